#include "platform/FileIO.h"
#include "tests/TestUtil.h"
#include "tests/cli/CliRun.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

class Cli : public ::testing::Test
{
protected:
    CliResult Run(const std::vector<std::string>& args, const std::string& env = "LC_ALL=C")
    {
        return RunCli(args, m_dir.Path(), env);
    }
    CTempDir m_dir;
};

bool Contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

} // namespace

TEST_F(Cli, SampleInfoAndDump)
{
    CliResult r = Run({"sample", "s.db"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File("s.db")).size(), 20u + 2 * 28 + 2 * 4 + 2 * 40);

    r = Run({"info", "s.db"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, "satellites: 2\ntransponders: 2\nprograms: 2\n");

    r = Run({"dump", "s.db", "--codepage", "936"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut.substr(0, 53), "{\n \"satellites\": [\n  {\n   \"SatID\": 0,\n   \"select\": 0,");
    EXPECT_TRUE(Contains(r.strOut, "   \"Name\": \"\xE4\xB8\xAD\xE6\x98\x9F"
                                   "6B\",\n   \"NameHex\": \"d6d0d0c73642\",\n"));
    EXPECT_TRUE(Contains(
        r.strOut, "\"DisEqC Motor\": 1,\n   \"TpCount\": 2,\n   \"FirstTpIndex\": 0,\n   \"12V\": 1,"));
    EXPECT_TRUE(Contains(r.strOut,
                         " \"transponders\": [\n  {\n   \"TpID\": 0,\n   \"SatID\": 0,\n   \"Flag\": 0,\n"
                         "   \"SymbolRate\": 2000,\n   \"Polar\": 1,\n   \"Frequency\": 1000\n  },"));
    EXPECT_TRUE(Contains(r.strOut, "   \"ProgName\": \"SHANXI\",\n   \"ProgNameHex\": \"5348414e5849\",\n"));
    EXPECT_TRUE(Contains(r.strOut, "   \"PCRPID\": 200,\n   \"PmtPid\": 80\n  }\n ]\n}\n"));

    // Options stand anywhere after the command word.
    CliResult r2 = Run({"dump", "--codepage", "936", "s.db"});
    EXPECT_EQ(r2.nExit, 0);
    EXPECT_EQ(r2.strOut, r.strOut);
    CliResult r3 = Run({"dump", "--codepage=936", "s.db", "--from", "db"});
    EXPECT_EQ(r3.strOut, r.strOut);
}

TEST_F(Cli, DumpOfAnEmptyDatabaseAndEscaping)
{
    WriteBytes(m_dir.File("e.db"), CBytes().Str("Sg8K").Be32(0).Be32(0).Be32(0).Str("Eg8K"));
    CliResult r = Run({"dump", "e.db"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(r.strOut, "{\n \"satellites\": [],\n \"transponders\": [],\n \"programs\": []\n}\n");

    CBytes b;
    b.Str("Sg8K").Be32(1).Be32(0).Be32(0).Padded("a\"b\\c\td\x01", 16).Be32(0).Be32(0).Be32(0).Str("Eg8K");
    WriteBytes(m_dir.File("q.db"), b);
    r = Run({"dump", "q.db", "--codepage", "1252"});
    EXPECT_TRUE(Contains(r.strOut, "\"Name\": \"a\\\"b\\\\c\\td\\u0001\""));
    EXPECT_TRUE(Contains(r.strOut, "\"NameHex\": \"6122625c630964\x30\x31\""));
}

TEST_F(Cli, ConvertRoundTripIsByteExact)
{
    ASSERT_EQ(Run({"sample", "a.db"}).nExit, 0);
    CliResult r = Run({"convert", "a.db", "b.DB"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadBytes(m_dir.File("a.db")), ReadBytes(m_dir.File("b.DB")));
    r = Run({"convert", "a.db", "c.out", "--to", "db"});
    EXPECT_EQ(r.nExit, 0);
    EXPECT_EQ(ReadBytes(m_dir.File("a.db")), ReadBytes(m_dir.File("c.out")));
}

TEST_F(Cli, FailuresUseTheFrameCaptions)
{
    WriteText(m_dir.File("bad.db"), "Sg8Kxxxxxxxxxxxxxxxxxxxx");
    CliResult r = Run({"info", "bad.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Load Error: File size error!\n");
    EXPECT_EQ(r.strOut, "");

    WriteText(m_dir.File("bad2.db"), "Xg8K0000000000000000");
    r = Run({"dump", "bad2.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Load Error: File format error!\n");

    WriteBytes(m_dir.File("empty.db"), CBytes().Str("Sg8K").Be32(0).Be32(0).Be32(0).Str("Eg8K"));
    r = Run({"convert", "empty.db", "out.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Empty: No data to save!\n");
    EXPECT_FALSE(FileExists(m_dir.File("out.db")));

    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    r = Run({"convert", "s.db", "missing-folder/out.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Save Error: Open file failed!\n");
    ::mkdir(m_dir.File("dir.db").c_str(), 0755);
    r = Run({"convert", "s.db", "dir.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Save Error: Open file failed!\n");

    r = Run({"info", "nothere.db"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_TRUE(Contains(r.strErr, "nothere.db")) << r.strErr;
}

TEST_F(Cli, UsageErrors)
{
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    struct Case
    {
        std::vector<std::string> args;
        const char* expect; // part of the message
    };
    std::vector<Case> cases = {
        {{}, "no command"},
        {{"frobnicate", "s.db"}, "unknown command"},
        {{"info"}, "one INPUT"},
        {{"info", "s.db", "t.db"}, "one INPUT"},
        {{"convert", "s.db"}, "INPUT and OUTPUT"},
        {{"info", "s.db", "--bogus"}, "unknown option"},
        {{"info", "s.db", "--from"}, "needs a value"},
        {{"info", "s.db", "--from", "nope"}, "unknown format 'nope'"},
        {{"info", "s.txt"}, "cannot tell the format"},
        {{"convert", "s.db", "out.txt"}, "cannot tell the format of 'out.txt'"},
        {{"sample", "out"}, "cannot tell the format"},
        {{"info", "s.db", "--codepage", "99999"}, "code page"},
        {{"info", "s.db", "--codepage", "abc"}, "code page"},
    };
    for (const Case& c : cases) {
        CliResult r = Run(c.args);
        EXPECT_EQ(r.nExit, 2) << c.expect;
        EXPECT_TRUE(Contains(r.strErr, c.expect)) << r.strErr;
        EXPECT_TRUE(Contains(r.strErr, "Usage:")) << c.expect;
    }
    CliResult h = Run({"--help"});
    EXPECT_EQ(h.nExit, 0);
    EXPECT_TRUE(Contains(h.strOut, "ravelin-cli convert INPUT OUTPUT"));
    EXPECT_EQ(Run({"info", "--help"}).nExit, 0);
    // The version is the project's, from its CMake project() line.
    CliResult v = Run({"--version"});
    EXPECT_EQ(v.nExit, 0);
    EXPECT_EQ(v.strOut, "ravelin-cli " RAVELIN_PROJECT_VERSION "\n");
}

TEST_F(Cli, CodePageComesFromTheLocale)
{
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    CliResult zh = Run({"dump", "s.db"}, "LC_ALL=zh_CN.UTF-8");
    EXPECT_TRUE(Contains(zh.strOut, "\"Name\": \"\xE4\xB8\xAD\xE6\x98\x9F"
                                    "6B\""))
        << zh.strOut.substr(0, 600);
    CliResult c = Run({"dump", "s.db"}, "LC_ALL=C");
    // In code page 1252 the same bytes are four Latin letters.
    EXPECT_TRUE(Contains(c.strOut, "\"Name\": \"\xC3\x96\xC3\x90\xC3\x90\xC3\x87"
                                   "6B\""))
        << c.strOut.substr(0, 600);
}
