// ravelin-cli's commands on two lists, diff and reorder, run as a program.

#include "platform/FileIO.h"
#include "tests/TestUtil.h"
#include "tests/access/UserDbImage.h"
#include "tests/cli/CliRun.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

namespace {

class CliCompare : public ::testing::Test
{
protected:
    CliResult Run(std::vector<std::string> args)
    {
        args.push_back("--codepage");
        args.push_back("1252");
        return RunCli(args, m_dir.Path(), "LC_ALL=C");
    }
    std::string File(const std::string& strName) { return m_dir.File(strName); }
    void SetUp() override
    {
        WriteText(File("old.json"), KEPT);
        WriteText(File("new.json"), RESCAN);
    }
    CTempDir m_dir;

    // The list kept by the user (names and a lock of their own), and the receiver's rescan of it:
    // another order, the provider's names, a transponder off by one, a satellite and a program more,
    // ZDF gone.
    static constexpr const char* KEPT = R"({
 "satellites": [{"SatID": 0, "Name": "Astra", "Longitude": 192},
                {"SatID": 1, "Name": "Hotbird", "Longitude": 130}],
 "transponders": [{"TpID": 0, "SatID": 0, "Frequency": 11000, "SymbolRate": 27500},
                  {"TpID": 1, "SatID": 0, "Frequency": 12000, "SymbolRate": 27500, "Polar": 1},
                  {"TpID": 2, "SatID": 1, "Frequency": 11500, "SymbolRate": 27500}],
 "programs": [{"TpID": 0, "ProgName": "Das \"Erste\"", "ServiceId": 1, "VPID": 201, "Lock": 1},
              {"TpID": 0, "ProgName": "ZDF", "ServiceId": 2},
              {"TpID": 1, "ProgName": "RTL", "ServiceId": 3},
              {"TpID": 2, "ProgName": "Rai 1", "ServiceId": 4},
              {"TpID": 2, "ProgName": "Rai 2", "ServiceId": 5}]
})";
    static constexpr const char* RESCAN = R"({
 "satellites": [{"SatID": 0, "Name": "Hotbird", "Longitude": 130},
                {"SatID": 1, "Name": "Astra", "Longitude": 192},
                {"SatID": 2, "Name": "Türksat", "Longitude": 420}],
 "transponders": [{"TpID": 0, "SatID": 0, "Frequency": 11501, "SymbolRate": 27500},
                  {"TpID": 1, "SatID": 1, "Frequency": 12000, "SymbolRate": 27500, "Polar": 1},
                  {"TpID": 2, "SatID": 1, "Frequency": 11000, "SymbolRate": 27500}],
 "programs": [{"TpID": 0, "ProgName": "Rai 2", "ServiceId": 5},
              {"TpID": 2, "ProgName": "ARD", "ServiceId": 1, "VPID": 101},
              {"TpID": 1, "ProgName": "RTL", "ServiceId": 3},
              {"TpID": 2, "ProgName": "New", "ServiceId": 9},
              {"TpID": 0, "ProgName": "Rai 1", "ServiceId": 4}]
})";
};

// The names of a list's records in order, as "satellites | transponders | programs".
std::string Names(const std::string& strDump)
{
    const nlohmann::json doc = nlohmann::json::parse(strDump);
    std::string strText;
    for (const auto& sat : doc["satellites"])
        strText += sat["Name"].get<std::string>() + " ";
    strText += "|";
    for (const auto& tp : doc["transponders"])
        strText += " " + std::to_string(tp["Frequency"].get<int>());
    strText += " |";
    for (const auto& prog : doc["programs"])
        strText += " " + prog["ProgName"].get<std::string>() + (prog["Lock"].get<int>() ? "(L)" : "");
    return strText;
}

} // namespace

// One line per difference, in the order only in A, only in B, changed, moved, kind by kind, and the
// counts; the same as JSON; the exit status says whether the lists differ.
TEST_F(CliCompare, DiffPrintsEachDifferenceAndSaysWhetherTheListsDiffer)
{
    CliResult r = Run({"diff", "new.json", "old.json"});
    EXPECT_EQ(r.nExit, 3) << r.strErr;
    EXPECT_EQ(r.strOut,
              "- satellite \"T\xC3\xBCrksat\"\n"
              "> satellite \"Hotbird\": now after \"Astra\"\n"
              "~ transponder 11501 H 27500 of \"Hotbird\": Frequency 11501 -> 11500\n"
              "> transponder 11501 H 27500 of \"Hotbird\": now after 12000 V 27500 of \"Astra\"\n"
              "> transponder 12000 V 27500 of \"Astra\": now after 11000 H 27500 of \"Astra\"\n"
              "- program \"New\" on 11000 H 27500 of \"Astra\"\n"
              "+ program \"ZDF\" on 11000 H 27500 of \"Astra\"\n"
              "~ program \"ARD\" on 11000 H 27500 of \"Astra\": ProgName \"ARD\" -> \"Das \\\"Erste\\\"\", "
              "Lock 0 -> 1, VPID 101 -> 201\n"
              "> program \"Rai 2\" on 11501 H 27500 of \"Hotbird\": now after \"Rai 1\"\n"
              "2 only in A, 1 only in B, 2 changed, 4 moved\n");

    r = Run({"diff", "old.json", "old.json"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, "0 only in A, 0 only in B, 0 changed, 0 moved\n");

    r = Run({"diff", "new.json", "old.json", "--json"});
    EXPECT_EQ(r.nExit, 3);
    const nlohmann::json doc = nlohmann::json::parse(r.strOut);
    EXPECT_EQ(doc["counts"], (nlohmann::json{{"onlyInA", 2}, {"onlyInB", 1}, {"changed", 2}, {"moved", 4}}));
    EXPECT_EQ(doc["onlyInB"][0]["name"], "ZDF");
    EXPECT_EQ(doc["onlyInB"][0]["transponder"]["frequency"], 11000);
    EXPECT_EQ(doc["changed"][1]["fields"][0],
              (nlohmann::json{{"field", "ProgName"}, {"a", "ARD"}, {"b", "Das \"Erste\""}}));
    EXPECT_EQ(doc["moved"].size(), 4u);

    // Each input's format and firmware address by its own options.
    WriteText(File("old.txt"), KEPT);
    r = Run({"diff", "old.json", "old.txt", "--ref-from", "json"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(Run({"diff", "old.txt", "old.json"}).nExit, 2);
    TestImage::CImage image(0x140000, 0x00);
    TestImage::UserDb20(image, 0x110000, TestImage::MakeDb(2, 3, 2));
    TestImage::UserDb20(image, 0x120000, TestImage::MakeDb(2, 3, 1));
    WriteBytes(File("fw.bin"), image.Data());
    ASSERT_EQ(Run({"convert", "fw.bin", "fw.db", "--from", "bin20", "--addr", "110000"}).nExit, 0);
    r = Run({"diff", "fw.db", "fw.bin", "--ref-from", "bin20", "--ref-addr", "110000"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "0 only in A, 0 only in B, 0 changed, 0 moved\n");
    r = Run({"diff", "fw.db", "fw.bin", "--ref-from", "bin20", "--ref-addr", "120000"});
    EXPECT_EQ(r.nExit, 3) << r.strErr;
    EXPECT_EQ(r.strOut.substr(r.strOut.rfind('\n', r.strOut.size() - 2) + 1),
              "6 only in A, 0 only in B, 0 changed, 0 moved\n");
    r = Run({"diff", "fw.bin", "fw.db", "--from", "bin20", "--addr", "110000", "--ref-from", "bin25"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("--ref-addr HEX"), std::string::npos) << r.strErr;

    // Loads that fail, and command lines that are wrong.
    WriteText(File("bad.json"), "{");
    r = Run({"diff", "old.json", "bad.json"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("Load Error: JSON:"), std::string::npos) << r.strErr;
    EXPECT_EQ(Run({"diff", "old.json", "none.json"}).nExit, 1);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"diff", "old.json"},
             {"diff", "old.json", "new.json", "x.json"},
             {"diff", "old.json", "new.json", "--names"},
             {"diff", "old.json", "new.json", "--ref-addr", "xyz"},
             {"info", "old.json", "--json"},
             {"convert", "old.json", "x.db", "--ref-from", "json"},
         }) {
        r = Run(args);
        EXPECT_EQ(r.nExit, 2) << args.back();
        EXPECT_EQ(r.strOut, "");
    }
}

// A rescan ordered like the kept list, with its names and flags back and what it lacks added; the
// summary counts each way of matching; the output reads back with the order of the kept list.
TEST_F(CliCompare, ReorderWritesTheInputInTheReferencesOrderAndSaysHow)
{
    CliResult r = Run({"reorder", "new.json", "old.json", "out.db", "--names", "--flags", "--add-missing"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "satellites: 2 of 3 like the reference (2 by position, 0 by name), 1 after them\n"
                        "transponders: 3 of 3 like the reference (2 exact, 1 near), 0 after them\n"
                        "programs: 4 of 5 like the reference (4 by service, 0 by name), 1 after them\n"
                        "added: 0 satellites, 0 transponders, 1 programs\n");
    CliResult dump = Run({"dump", "out.db"});
    ASSERT_EQ(dump.nExit, 0);
    EXPECT_EQ(Names(dump.strOut),
              "Astra Hotbird T\xC3\xBCrksat | 11000 12000 11501 | Das \"Erste\"(L) ZDF RTL Rai 1 "
              "Rai 2 New");

    // Without options only the order changes; --backup keeps the file it overwrites.
    const std::vector<uint8_t> before = ReadBytes(File("out.db"));
    r = Run({"reorder", "new.json", "old.json", "out.db", "--backup"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "satellites: 2 of 3 like the reference (2 by position, 0 by name), 1 after them\n"
                        "transponders: 3 of 3 like the reference (2 exact, 1 near), 0 after them\n"
                        "programs: 4 of 5 like the reference (4 by service, 0 by name), 1 after them\n");
    EXPECT_EQ(ReadBytes(File("out.db.bak")), before);
    EXPECT_EQ(Names(Run({"dump", "out.db"}).strOut),
              "Astra Hotbird T\xC3\xBCrksat | 11000 12000 11501 | ARD RTL Rai 1 "
              "Rai 2 New");

    r = Run({"reorder", "new.json", "none.json", "x.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_FALSE(FileExists(File("x.db")));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"reorder", "new.json", "old.json"},
             {"reorder", "new.json", "old.json", "x.unknown"},
             {"reorder", "new.json", "old.json", "x.db", "--json"},
         }) {
        r = Run(args);
        EXPECT_EQ(r.nExit, 2) << args.back();
        EXPECT_EQ(r.strOut, "");
    }
}
