// ravelin-cli with JSON files, and its check command, run as a program.

#include "platform/FileIO.h"
#include "tests/TestUtil.h"
#include "tests/cli/CliRun.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class CliJson : public ::testing::Test
{
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_dir.Path(), "LC_ALL=C"); }
    std::string File(const std::string& strName) { return m_dir.File(strName); }
    CTempDir m_dir;
};

// Satellite 1 has no name; transponder 1 repeats transponder 0; transponder 2 has no satellite;
// program 1 repeats the ServiceId of program 0 once its transponder is transponder 0.
const char* PROBLEMS = R"({
 "satellites": [{"SatID": 5, "Name": "Astra"}, {"SatID": 6, "Name": ""}],
 "transponders": [{"TpID": 1, "SatID": 5, "Frequency": 100}, {"TpID": 2, "SatID": 5, "Frequency": 100},
                  {"TpID": 3, "SatID": -1}],
 "programs": [{"TpID": 1, "ServiceId": 3, "ProgName": "x"}, {"TpID": 2, "ServiceId": 3, "ProgName": "y"},
              {"TpID": 2, "ServiceId": 4, "ProgName": "z"}, {"TpID": 3, "ProgName": "w"}]
})";

const char* PROBLEM_LINES = "satellite 1: empty name: a workbook round trip drops it\n"
                            "transponder 1: same transponder as transponder 0 of satellite 0 (fix: move its "
                            "2 programs to transponder 0 "
                            "and remove it)\n"
                            "transponder 2: it has no satellite (fix: remove it and its 1 program)\n"
                            "program 1: same ServiceId 3 as program 0 on transponder 0 (fix: remove it)\n";

} // namespace

// .db to .json and back is byte for byte the same file; the .json is the dump, and reads back into
// the same dump, by extension or with --from json, in info, convert and merge alike.
TEST_F(CliJson, ConvertRoundTripsAndTheFileIsTheDump)
{
    ASSERT_EQ(Run({"sample", "x.db"}).nExit, 0);
    CliResult r = Run({"convert", "x.db", "x.json"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const CliResult dumpDb = Run({"dump", "x.db"});
    ASSERT_EQ(dumpDb.nExit, 0);
    EXPECT_EQ(ReadText(File("x.json")), dumpDb.strOut);

    r = Run({"convert", "x.json", "y.db"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(File("y.db")), ReadBytes(File("x.db")));
    EXPECT_EQ(Run({"dump", "x.json"}).strOut, dumpDb.strOut);
    EXPECT_EQ(Run({"info", "x.json"}).strOut, "satellites: 2\ntransponders: 2\nprograms: 2\n");

    // Names the code page cannot give back as text still come back exactly (from their hex form).
    ASSERT_EQ(Run({"convert", "x.db", "x.txt", "--to", "json", "--codepage", "1253"}).nExit, 0);
    r = Run({"convert", "x.txt", "z.db", "--from", "json", "--codepage", "1253"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(File("z.db")), ReadBytes(File("x.db")));

    // Merge takes a .json like any input.
    std::vector<uint8_t> image(0x3000, 0xFF);
    const uint8_t empty[] = {'S', 'g', '8', 'K', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'E', 'g', '8', 'K'};
    std::copy(empty, empty + sizeof empty, image.begin() + 0x1000);
    WriteBytes(File("a.bin"), image);
    WriteBytes(File("b.bin"), image);
    ASSERT_EQ(Run({"merge", "x.db", "a.bin"}).nExit, 0);
    r = Run({"merge", "x.json", "b.bin"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(File("b.bin")), ReadBytes(File("a.bin")));
}

// A .json that cannot be taken is a load error that says where and why; nothing is written.
TEST_F(CliJson, LoadErrorsSayWhereAndWhy)
{
    std::string twelve;
    for (int i = 0; i < 12; ++i)
        twelve += R"({"TpID": 0},)";
    const struct
    {
        std::string strText;
        const char* pszErr;
    } cases[] = {
        {R"({"satellites": [{}], "transponders": [{"TpID": 0, "SatID": -1}], "programs": [)" + twelve +
             R"({"VPID": 9000}]})",
         "Load Error: JSON: programs[12].VPID: 9000 does not fit in 13 bits\n"},
        {R"({"programs": [{"Name": "x"}]})", "Load Error: JSON: programs[0].Name: unknown key\n"},
        {R"({"satellites": [{"SatID": 1}, {"SatID": 1}]})",
         "Load Error: JSON: satellites[1].SatID: 1 is also the id of satellites[0]\n"},
        {R"({"programs": [{"TpID": 4}]})",
         "Load Error: JSON: programs[0].TpID: no transponder has the id 4\n"},
        {R"({"satellites": [{"Name": "Astra 19.2E Hotbird"}]})",
         "Load Error: JSON: satellites[0].Name: \"Astra 19.2E Hotbird\" is 19 bytes in code page 1252, at "
         "most 16 "
         "fit\n"},
        {R"({"satellites": [{"Name": "\u4e2d"}]})",
         "Load Error: JSON: satellites[0].Name: \"\xE4\xB8\xAD\" is not in code page 1252\n"},
        {"{\n \"programs\": [\n  {\"VPID\": 1,}\n ]\n}",
         "Load Error: JSON: line 3, column 14: syntax error while parsing object key - unexpected '}'; "
         "expected "
         "string literal\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strText);
        WriteText(File("bad.json"), c.strText);
        CliResult r = Run({"convert", "bad.json", "out.db"});
        EXPECT_EQ(r.nExit, 1);
        EXPECT_EQ(r.strErr, c.pszErr);
        EXPECT_EQ(r.strOut, "");
        EXPECT_FALSE(FileExists(File("out.db")));
    }
}

// check prints one line per finding and a count; --fix saves the fixed database in OUTPUT's format.
// Exit status 0: nothing (left) to find, 3: problems remain, 1: load or save failed, 2: usage.
TEST_F(CliJson, CheckLinesAndExitStatuses)
{
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    WriteText(File("p.json"), PROBLEMS);

    CliResult r = Run({"check", "p.json"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_EQ(r.strOut, std::string(PROBLEM_LINES) + "4 problems found\n");
    EXPECT_EQ(r.strErr, "");

    // Three fixed; the empty name remains. Programs 0 and 2 are left, both on transponder 0.
    r = Run({"check", "p.json", "--fix", "fixed.db"});
    EXPECT_EQ(r.nExit, 3) << r.strErr;
    EXPECT_EQ(r.strOut, std::string(PROBLEM_LINES) + "4 problems found, 3 fixed\n");
    EXPECT_EQ(Run({"info", "fixed.db"}).strOut, "satellites: 2\ntransponders: 1\nprograms: 2\n");
    r = Run({"check", "fixed.db"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_EQ(r.strOut, "satellite 1: empty name: a workbook round trip drops it\n1 problems found\n");

    // Everything found fixed and saved: 0. The saved list checks clean.
    std::string strNamed = PROBLEMS;
    strNamed.replace(strNamed.find("\"Name\": \"\""), 10, "\"Name\": \"Hotbird\"");
    WriteText(File("named.json"), strNamed);
    r = Run({"check", "named.json", "--fix", "out", "--to", "json"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut.substr(r.strOut.rfind('\n', r.strOut.size() - 2) + 1), "3 problems found, 3 fixed\n");
    r = Run({"check", "out", "--from", "json"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, "0 problems found\n");
    EXPECT_EQ(Run({"info", "out", "--from", "json"}).strOut, "satellites: 2\ntransponders: 1\nprograms: 2\n");

    // The sample's own problems: LNB indexes past the table and one repeated service.
    r = Run({"check", "s.db"});
    EXPECT_EQ(r.nExit, 3);
    EXPECT_EQ(r.strOut.substr(r.strOut.rfind('\n', r.strOut.size() - 2) + 1), "5 problems found\n");

    // A load or a save that fails: 1, and nothing fixed is claimed.
    WriteText(File("broken.json"), "{");
    r = Run({"check", "broken.json"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr.compare(0, 25, "Load Error: JSON: line 1,"), 0) << r.strErr;
    ::mkdir(File("dir.db").c_str(), 0755);
    r = Run({"check", "p.json", "--fix", "dir.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, std::string(PROBLEM_LINES) + "4 problems found\n");
    EXPECT_EQ(r.strErr, "Save Error: Open file failed!\n");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"check"},
             {"check", "p.json", "s.db"},
             {"check", "p.json", "--fix"},
             {"check", "p.json", "--fix", "out.txt"},
             {"check", "p.json", "--fix", "fw.bin"},
             {"convert", "s.db", "t.db", "--fix", "u.db"},
         }) {
        r = Run(args);
        EXPECT_EQ(r.nExit, 2) << args.back();
        EXPECT_NE(r.strErr.find("Usage:"), std::string::npos) << args.back();
    }
    EXPECT_FALSE(FileExists(File("t.db")));
}
