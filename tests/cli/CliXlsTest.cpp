#include "platform/FileIO.h"
#include "tests/TestUtil.h"
#include "tests/cli/CliRun.h"

#include <algorithm>
#include <string>
#include <vector>

#ifndef RAVELIN_TESTDATA_DIR
#error "RAVELIN_TESTDATA_DIR must name the folder of the spreadsheet test workbooks"
#endif

namespace {

class CliXls : public ::testing::Test
{
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_dir.Path(), "LC_ALL=C"); }
    // Copies a workbook of tests/data into the test's folder, so nothing writes beside it.
    std::string CopyTestData(const std::string& strName)
    {
        const std::string strText = ReadText(std::string(RAVELIN_TESTDATA_DIR) + "/" + strName);
        EXPECT_FALSE(strText.empty()) << "missing test data " << strName;
        WriteText(m_dir.File(strName), strText);
        return strText;
    }
    CTempDir m_dir;
};

bool Contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

} // namespace

TEST_F(CliXls, RealWorkbooksImportToTheExpectedDatabase)
{
    CopyTestData("channels.xls");
    CopyTestData("channels-saved-by-libreoffice.xls");
    const std::string expected = CopyTestData("channels.expected.json");
    for (const char* name : {"channels.xls", "channels-saved-by-libreoffice.xls"}) {
        CliResult r = Run({"dump", name, "--codepage", "1252"});
        EXPECT_EQ(r.nExit, 0) << name << ": " << r.strErr;
        EXPECT_EQ(r.strErr, "") << name;
        EXPECT_EQ(r.strOut, expected) << name;

        r = Run({"info", name, "--codepage", "1252"});
        EXPECT_EQ(r.strOut, "satellites: 4\ntransponders: 8\nprograms: 7\n") << name;
    }
}

TEST_F(CliXls, ConvertBetweenDatabaseAndWorkbook)
{
    ASSERT_EQ(Run({"sample", "s.xls"}).nExit, 0);
    EXPECT_TRUE(Contains(ReadText(m_dir.File("s.xls")), "<Worksheet ss:Name=\"A3S\">"));
    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);

    // The sample's out-of-table LNB indexes are written as 5150 and so read back as index 0; from
    // then on the database and the workbook stay the same through every conversion.
    CliResult r = Run({"convert", "s.db", "a.xls"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(ReadText(m_dir.File("a.xls")), ReadText(m_dir.File("s.xls")));
    ASSERT_EQ(Run({"convert", "a.xls", "b.db"}).nExit, 0);
    ASSERT_EQ(Run({"convert", "b.db", "b.XLS"}).nExit, 0);
    ASSERT_EQ(Run({"convert", "b.XLS", "c.db"}).nExit, 0);
    EXPECT_EQ(ReadBytes(m_dir.File("b.db")), ReadBytes(m_dir.File("c.db")));
    EXPECT_EQ(ReadText(m_dir.File("b.XLS")), ReadText(m_dir.File("a.xls")));

    r = Run({"info", "b.XLS"});
    EXPECT_EQ(r.strOut, "satellites: 2\ntransponders: 2\nprograms: 2\n");

    // Formats named explicitly.
    ASSERT_EQ(Run({"convert", "c.db", "wb.out", "--to", "xls"}).nExit, 0);
    r = Run({"info", "wb.out", "--from", "xls"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "satellites: 2\ntransponders: 2\nprograms: 2\n");
}

TEST_F(CliXls, MergeTakesAWorkbook)
{
    // An image whose default-database area at 0x1000 holds an empty database and free space.
    std::vector<uint8_t> image(0x4000, 0x00);
    const std::string empty("Sg8K\0\0\0\0\0\0\0\0\0\0\0\0Eg8K", 20);
    std::copy(empty.begin(), empty.end(), image.begin() + 0x1000);
    std::fill(image.begin() + 0x1000 + 20, image.begin() + 0x2000 + 20, 0xFF);
    WriteBytes(m_dir.File("fw.bin"), image);
    CopyTestData("channels.xls");

    CliResult r = Run({"merge", "channels.xls", "fw.bin", "--codepage", "1252"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    ASSERT_EQ(Run({"convert", "channels.xls", "channels.db", "--codepage", "1252"}).nExit, 0);
    const std::vector<uint8_t> db = ReadBytes(m_dir.File("channels.db"));
    const std::vector<uint8_t> after = ReadBytes(m_dir.File("fw.bin"));
    ASSERT_EQ(after.size(), image.size());
    ASSERT_EQ(db.size(), 20u + 4 * 28 + 8 * 4 + 7 * 40);
    EXPECT_TRUE(std::equal(db.begin(), db.end(), after.begin() + 0x1000));
}

TEST_F(CliXls, ReadErrorsAreReported)
{
    const std::string head =
        "<?xml version=\"1.0\"?>\n<Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">"
        "<Worksheet ss:Name=\"Satellites\"><Table ss:ExpandedColumnCount=\"14\" "
        "ss:ExpandedRowCount=\"2\"><Row><Cell><Data>select</Data></Cell></Row><Row>";
    std::string cells;
    for (const char* c : {"A", "Sat", "S", "10", "10601", "9750"})
        cells += std::string("<Cell><Data>") + c + "</Data></Cell>";
    WriteText(m_dir.File("bad.xls"), head + cells + "</Row></Table></Worksheet></Workbook>");
    CliResult r = Run({"dump", "bad.xls"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strOut, "");
    EXPECT_EQ(r.strErr, "Read Error: Reading Excel Error!\nRow=2, Column=4\nLoad Error: Unknown Error!\n");

    WriteText(m_dir.File("broken.xls"), "<Workbook>");
    r = Run({"info", "broken.xls"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Load Error: Open Excel failed! File = broken.xls\n");

    ASSERT_EQ(Run({"sample", "s.db"}).nExit, 0);
    r = Run({"convert", "s.db", "missing-folder/out.xls"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_EQ(r.strErr, "Save Error: Create File Failed!\n");
    EXPECT_FALSE(FileExists(m_dir.File("missing-folder/out.xls")));
}
