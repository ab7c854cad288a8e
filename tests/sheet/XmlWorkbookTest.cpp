#include "sheet/XmlWorkbook.h"

#include "access/LastError.h"
#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "tests/TestUtil.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The head of the template up to and including the line that opens the "Satellites" sheet.
const char* const TEMPLATE_HEAD =
    "<?xml version=\"1.0\"?>\r\n"
    "<?mso-application progid=\"Excel.Sheet\"?>\r\n"
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\r\n"
    " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\r\n"
    " xmlns:x=\"urn:schemas-microsoft-com:office:excel\"\r\n"
    " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"\r\n"
    " xmlns:html=\"http://www.w3.org/TR/REC-html40\">\r\n"
    " <DocumentProperties xmlns=\"urn:schemas-microsoft-com:office:office\">\r\n"
    "  <Created>1996-12-17T01:32:42Z</Created>\r\n"
    "  <LastSaved>2011-05-19T07:14:55Z</LastSaved>\r\n"
    "  <Version>11.5606</Version>\r\n"
    " </DocumentProperties>\r\n"
    " <OfficeDocumentSettings xmlns=\"urn:schemas-microsoft-com:office:office\">\r\n"
    "  <RemovePersonalInformation/>\r\n"
    " </OfficeDocumentSettings>\r\n"
    " <ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">\r\n"
    "  <WindowHeight>4530</WindowHeight>\r\n"
    "  <WindowWidth>8505</WindowWidth>\r\n"
    "  <WindowTopX>480</WindowTopX>\r\n"
    "  <WindowTopY>120</WindowTopY>\r\n"
    "  <AcceptLabelsInFormulas/>\r\n"
    "  <ProtectStructure>False</ProtectStructure>\r\n"
    "  <ProtectWindows>False</ProtectWindows>\r\n"
    " </ExcelWorkbook>\r\n"
    " <Styles>\r\n"
    "  <Style ss:ID=\"Default\" ss:Name=\"Normal\">\r\n"
    "   <Alignment ss:Vertical=\"Bottom\"/>\r\n"
    "   <Borders/>\r\n"
    "   <Font ss:FontName=\"\xE5\xAE\x8B\xE4\xBD\x93\" x:CharSet=\"134\" ss:Size=\"12\"/>\r\n"
    "   <Interior/>\r\n"
    "   <NumberFormat/>\r\n"
    "   <Protection/>\r\n"
    "  </Style>\r\n"
    "  <Style ss:ID=\"s21\" ss:Name=\"\xE8\xB6\x85\xE9\x93\xBE\xE6\x8E\xA5\">\r\n"
    "   <Font ss:FontName=\"\xE5\xAE\x8B\xE4\xBD\x93\" x:CharSet=\"134\" ss:Size=\"12\" "
    "ss:Color=\"#0000FF\"\r\n"
    "    ss:Underline=\"Single\"/>\r\n"
    "  </Style>\r\n"
    " </Styles>\r\n"
    " <Worksheet ss:Name=\"Satellites\">\r\n";

const char* const TEMPLATE_OPTIONS =
    "  <WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\">\r\n"
    "   <Unsynced/>\r\n"
    "   <Selected/>\r\n"
    "   <ProtectObjects>False</ProtectObjects>\r\n"
    "   <ProtectScenarios>False</ProtectScenarios>\r\n"
    "  </WorksheetOptions>\r\n"
    " </Worksheet>\r\n";

std::string ExpectedTemplate()
{
    return std::string(TEMPLATE_HEAD) +
           "  <Table ss:ExpandedColumnCount=\"0\" ss:ExpandedRowCount=\"0\" x:FullColumns=\"1\"\r\n"
           "   x:FullRows=\"1\" ss:DefaultColumnWidth=\"54\" ss:DefaultRowHeight=\"14.25\" />\r\n" +
           TEMPLATE_OPTIONS + "</Workbook>\r\n";
}

// A workbook file with one sheet "S" holding the given Table element.
std::string SheetFile(const std::string& strTable, const std::string& strSheetTag = "Worksheet")
{
    return "<?xml version=\"1.0\"?>\r\n<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
           "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n<" +
           strSheetTag + " ss:Name=\"S\">\r\n" + strTable + "\r\n</" + strSheetTag + ">\r\n</Workbook>\r\n";
}

class XmlWorkbookTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }

    // Opens a workbook written from text, with sheet "S" current.
    void OpenText(const std::string& strText)
    {
        m_strOut = m_dir.File("in.xls");
        WriteText(m_strOut, strText);
        ASSERT_TRUE(m_book.OpenWorkbook(m_strOut));
        ASSERT_TRUE(m_book.OpenSheet("S"));
    }
    std::string Cell(int32_t nRow, int32_t nColumn)
    {
        std::string text = "untouched";
        m_book.GetCellText(nRow, nColumn, text);
        return text;
    }
    std::string Saved()
    {
        EXPECT_TRUE(m_book.SaveWorkbook(true));
        return ReadText(m_strOut);
    }

    CCodePageScope m_ansi{1252};
    CTempDir m_dir;
    CXmlWorkbook m_book;
    std::string m_strOut = m_dir.File("out.xls");
};

} // namespace

TEST_F(XmlWorkbookTest, CreatedWorkbookIsTheTemplateByteForByte)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    EXPECT_FALSE(FileExists(m_strOut)); // nothing is written before SaveWorkbook
    EXPECT_EQ(ExpectedTemplate(), Saved());
    // The Chinese style names survive although the ANSI code page cannot hold them.
    EXPECT_EQ(std::string(g_pszWorkbookTemplate), ReadText(m_strOut));
}

TEST_F(XmlWorkbookTest, FreshWorkbookHasOneEmptySatellitesSheet)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.OpenSheet("Satellites"));
    std::string text = "x";
    EXPECT_FALSE(m_book.GetCellText(1, 0, text));
    EXPECT_EQ("", text);
    EXPECT_FALSE(HasLastError());
    // The position is unchanged: the sheet is still current and other sheets are not found.
    EXPECT_TRUE(m_book.SetCellText(1, 0, "a"));
    EXPECT_EQ("a", Cell(1, 0));
    EXPECT_FALSE(m_book.OpenSheet("satellites"));
    EXPECT_EQ("Open work sheet failed! Sheet=satellites", GetLastErrorMsg());
}

TEST_F(XmlWorkbookTest, ExportedTextIsExact)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.OpenSheet("Satellites"));
    EXPECT_TRUE(m_book.SetCellText(1, 0, "select"));
    EXPECT_TRUE(m_book.SetCellText(1, 1, "A&B<\"'>"));
    EXPECT_TRUE(m_book.SetCellText(2, 0, "A"));
    EXPECT_TRUE(m_book.SetCellLink(2, 0, "#S&T!A1"));
    ASSERT_TRUE(m_book.CreateSheet("S"));
    EXPECT_TRUE(m_book.SetCellText(1, 0, "caf\xE9")); // e acute in 1252, UTF-8 in the file
    const std::string expected =
        std::string(TEMPLATE_HEAD) +
        "  <Table ss:ExpandedColumnCount=\"2\" ss:ExpandedRowCount=\"2\" x:FullColumns=\"1\"\r\n"
        "   x:FullRows=\"1\" ss:DefaultColumnWidth=\"54\" ss:DefaultRowHeight=\"14.25\" >\r\n"
        "<Row ss:AutoFitHeight=\"0\">\r\n"
        "<Cell>\r\n"
        "<Data ss:Type=\"String\">select</Data>\r\n"
        "</Cell>\r\n"
        "<Cell>\r\n"
        "<Data ss:Type=\"String\">A&amp;B&lt;\"'&gt;</Data>\r\n"
        "</Cell>\r\n"
        "</Row>\r\n"
        "<Row ss:AutoFitHeight=\"0\">\r\n"
        "<Cell ss:HRef=\"#S&amp;T!A1\" ss:StyleID=\"s21\">\r\n"
        "<Data ss:Type=\"String\">A</Data>\r\n"
        "</Cell>\r\n"
        "</Row>\r\n"
        "</Table>\r\n" +
        TEMPLATE_OPTIONS +
        "<Worksheet ss:Name=\"S\">\r\n"
        "<Table ss:ExpandedColumnCount=\"1\" ss:ExpandedRowCount=\"1\">\r\n"
        "<Row ss:AutoFitHeight=\"0\">\r\n"
        "<Cell>\r\n"
        "<Data ss:Type=\"String\">caf\xC3\xA9</Data>\r\n"
        "</Cell>\r\n"
        "</Row>\r\n"
        "</Table>\r\n"
        "</Worksheet>\r\n"
        "</Workbook>\r\n";
    EXPECT_EQ(expected, Saved());
}

TEST_F(XmlWorkbookTest, WritingBeyondTheTableCreatesRowsCellsAndCounts)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.CreateSheet("S"));
    ASSERT_TRUE(m_book.SetCellText(3, 2, "x"));
    const std::string saved = Saved();
    const std::string expected = "<Worksheet ss:Name=\"S\">\r\n"
                                 "<Table ss:ExpandedColumnCount=\"3\" ss:ExpandedRowCount=\"3\">\r\n"
                                 "<Row ss:AutoFitHeight=\"0\"/>\r\n"
                                 "<Row ss:AutoFitHeight=\"0\"/>\r\n"
                                 "<Row ss:AutoFitHeight=\"0\">\r\n"
                                 "<Cell/>\r\n"
                                 "<Cell/>\r\n"
                                 "<Cell>\r\n"
                                 "<Data ss:Type=\"String\">x</Data>\r\n"
                                 "</Cell>\r\n"
                                 "</Row>\r\n"
                                 "</Table>\r\n"
                                 "</Worksheet>\r\n"
                                 "</Workbook>\r\n";
    ASSERT_GE(saved.size(), expected.size());
    EXPECT_EQ(expected, saved.substr(saved.size() - expected.size()));
    EXPECT_EQ("x", Cell(3, 2));
    EXPECT_EQ("", Cell(3, 1));
    EXPECT_EQ("", Cell(1, 0));
}

TEST_F(XmlWorkbookTest, CountsOnlyGrow)
{
    OpenText(SheetFile("<Table ss:ExpandedRowCount=\"2\" ss:ExpandedColumnCount=\"3\">\r\n"
                       "<Row><Cell><Data ss:Type=\"String\">a</Data></Cell></Row>\r\n"
                       "<Row><Cell><Data ss:Type=\"String\">b</Data></Cell></Row>\r\n</Table>"));
    ASSERT_TRUE(m_book.SetCellText(1, 5, "f"));
    const std::string saved = Saved();
    EXPECT_NE(std::string::npos,
              saved.find("<Table ss:ExpandedRowCount=\"2\" ss:ExpandedColumnCount=\"6\">"));
    EXPECT_EQ("f", Cell(1, 5));
    EXPECT_EQ("b", Cell(2, 0));
}

TEST_F(XmlWorkbookTest, CellIndexSetsTheColumn)
{
    OpenText(SheetFile("<Table ss:ExpandedRowCount=\"1\" ss:ExpandedColumnCount=\"5\"><Row>"
                       "<Cell><Data ss:Type=\"String\">first</Data></Cell>"
                       "<Cell ss:Index=\"4\"><Data ss:Type=\"String\">fourth</Data></Cell>"
                       "<Cell><Data ss:Type=\"String\">fifth</Data></Cell></Row></Table>"));
    EXPECT_EQ("first", Cell(1, 0));
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ("", Cell(1, 2));
    EXPECT_EQ("fourth", Cell(1, 3));
    EXPECT_EQ("fifth", Cell(1, 4));
    // Backwards and again, so that a remembered position cannot give a stale answer.
    EXPECT_EQ("first", Cell(1, 0));
    EXPECT_EQ("fourth", Cell(1, 3));
    // Writing column 2 appends no cell in between: there is none, and the text is not put into
    // the fourth column's cell.
    std::string before = Saved();
    EXPECT_FALSE(m_book.SetCellText(1, 2, "third"));
    EXPECT_EQ("fourth", Cell(1, 3));
    EXPECT_EQ("", Cell(1, 2));
    // Writing column 4 (the cell after ss:Index 4) finds it.
    EXPECT_TRUE(m_book.SetCellText(1, 4, "new"));
    EXPECT_EQ("new", Cell(1, 4));
}

TEST_F(XmlWorkbookTest, ColumnsAtOrBeyondTheCountAreNotRead)
{
    OpenText(SheetFile("<Table ss:ExpandedRowCount=\"2\" ss:ExpandedColumnCount=\"1\">"
                       "<Row><Cell><Data ss:Type=\"String\">a</Data></Cell>"
                       "<Cell><Data ss:Type=\"String\">b</Data></Cell></Row>"
                       "<Row><Cell><Data ss:Type=\"String\">c</Data></Cell></Row>"
                       "<Row><Cell><Data ss:Type=\"String\">d</Data></Cell></Row></Table>"));
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ("a", Cell(1, 0));
    EXPECT_EQ("c", Cell(2, 0));
    EXPECT_EQ("", Cell(3, 0)); // beyond the row count
    EXPECT_FALSE(m_book.SetCellLink(1, 1, "#x"));
    EXPECT_FALSE(HasLastError());
}

TEST_F(XmlWorkbookTest, SheetsAreFoundByExactNameAndCreatedInOrder)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.CreateSheet("B"));
    ASSERT_TRUE(m_book.SetCellText(1, 0, "in B"));
    ASSERT_TRUE(m_book.CreateSheet("A"));
    ASSERT_TRUE(m_book.CreateSheet("B")); // existing: made current with its rows
    EXPECT_EQ("in B", Cell(1, 0));
    ASSERT_TRUE(m_book.OpenSheet("A"));
    EXPECT_EQ("", Cell(1, 0));
    const std::string saved = Saved();
    const size_t sat = saved.find("ss:Name=\"Satellites\""), b = saved.find("ss:Name=\"B\""),
                 a = saved.find("ss:Name=\"A\"");
    EXPECT_LT(sat, b);
    EXPECT_LT(b, a);
    EXPECT_NE(std::string::npos, a);
    // Reopened from the file, the sheets read back the same.
    CXmlWorkbook again;
    ASSERT_TRUE(again.OpenWorkbook(m_strOut));
    ASSERT_TRUE(again.OpenSheet("B"));
    std::string text;
    EXPECT_TRUE(again.GetCellText(1, 0, text));
    EXPECT_EQ("in B", text);
    EXPECT_FALSE(again.OpenSheet("b"));
}

TEST_F(XmlWorkbookTest, WritingACellAgainReplacesItsText)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.OpenSheet("Satellites"));
    ASSERT_TRUE(m_book.SetCellText(1, 0, "old"));
    ASSERT_TRUE(m_book.SetCellText(1, 0, "new & better"));
    EXPECT_EQ("new & better", Cell(1, 0));
    const std::string saved = Saved();
    EXPECT_EQ(std::string::npos, saved.find("old"));
    EXPECT_NE(std::string::npos, saved.find("<Data ss:Type=\"String\">new &amp; better</Data>"));
}

TEST_F(XmlWorkbookTest, CellOperationsNeedACurrentSheet)
{
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    std::string text = "kept";
    EXPECT_FALSE(m_book.GetCellText(1, 0, text));
    EXPECT_EQ("kept", text);
    EXPECT_EQ("Error: Not yet opened the WorkSheet!", GetLastErrorMsg());
    ClearLastError();
    EXPECT_FALSE(m_book.SetCellText(1, 0, "x"));
    EXPECT_EQ("Error: Not yet opened the WorkSheet!", GetLastErrorMsg());
    ClearLastError();
    EXPECT_FALSE(m_book.SetCellLink(1, 0, "x"));
    EXPECT_EQ("Error: Not yet opened the WorkSheet!", GetLastErrorMsg());
    // A closed workbook: the sheet operations fail with their messages.
    m_book.CloseWorkbook();
    EXPECT_FALSE(m_book.OpenSheet("Satellites"));
    EXPECT_EQ("Open work sheet failed! Sheet=Satellites", GetLastErrorMsg());
    EXPECT_FALSE(m_book.CreateSheet("X"));
    EXPECT_EQ("Create work sheet failed! -- X", GetLastErrorMsg());
    EXPECT_FALSE(m_book.GetCellText(1, 0, text));
}

TEST_F(XmlWorkbookTest, BadArgumentsAndMissingPartsFailWithoutMessage)
{
    OpenText(SheetFile("<Table ss:ExpandedRowCount=\"1\" ss:ExpandedColumnCount=\"1\"><Row>"
                       "<Cell><Data ss:Type=\"String\">a</Data></Cell></Row></Table>"));
    EXPECT_FALSE(m_book.SetCellText(0, 0, "x"));
    EXPECT_FALSE(m_book.SetCellText(1, -1, "x"));
    EXPECT_EQ("", Cell(0, 0));
    EXPECT_EQ("", Cell(1, -1));
    EXPECT_FALSE(m_book.SetCellLink(1, 1, "#x")); // no such cell: SetCellLink creates none
    EXPECT_FALSE(HasLastError());
    EXPECT_EQ("a", Cell(1, 0));

    OpenText(SheetFile("<Other/>"));
    EXPECT_EQ("", Cell(1, 0));
    EXPECT_FALSE(m_book.SetCellText(1, 0, "x"));
    EXPECT_FALSE(HasLastError());
}

TEST_F(XmlWorkbookTest, OpenAndCreateFailures)
{
    EXPECT_FALSE(m_book.OpenWorkbook(m_dir.File("missing.xls")));
    EXPECT_EQ("Open Excel failed! File = " + m_dir.File("missing.xls"), GetLastErrorMsg());
    WriteText(m_dir.File("bad.xls"), "<Workbook><Worksheet></Workbook>");
    EXPECT_FALSE(m_book.OpenWorkbook(m_dir.File("bad.xls")));
    EXPECT_EQ("Open Excel failed! File = " + m_dir.File("bad.xls"), GetLastErrorMsg());
    EXPECT_FALSE(m_book.OpenSheet("Satellites")); // stays closed

    ClearLastError();
    EXPECT_FALSE(m_book.CreateWorkbook(m_dir.File("no-such-folder/out.xls")));
    EXPECT_EQ("Create File Failed!", GetLastErrorMsg());
    ClearLastError();
    EXPECT_FALSE(m_book.CreateWorkbook(m_dir.Path()));
    EXPECT_EQ("Create File Failed!", GetLastErrorMsg());

    // No Workbook element.
    WriteText(m_dir.File("other.xls"), "<?xml version=\"1.0\"?><Other><Worksheet ss:Name=\"S\"/></Other>");
    ASSERT_TRUE(m_book.OpenWorkbook(m_dir.File("other.xls")));
    EXPECT_FALSE(m_book.OpenSheet("S"));
    EXPECT_EQ("Open work sheet failed! Sheet=S", GetLastErrorMsg());
    EXPECT_FALSE(m_book.CreateSheet("S"));
    EXPECT_EQ("Create work sheet failed! -- S", GetLastErrorMsg());
}

TEST_F(XmlWorkbookTest, FailedSaveLeavesTheFileAndReportsIt)
{
    WriteText(m_strOut, "previous");
    ASSERT_TRUE(m_book.CreateWorkbook(m_strOut));
    ASSERT_TRUE(m_book.OpenSheet("Satellites"));
    ASSERT_TRUE(m_book.SetCellText(1, 0, "x"));
    EXPECT_TRUE(m_book.SaveWorkbook(false));
    EXPECT_EQ("previous", ReadText(m_strOut));
    // The target has become a folder with a file in it: the finished document cannot be put there.
    ASSERT_EQ(0, std::remove(m_strOut.c_str()));
    ASSERT_EQ(0, ::mkdir(m_strOut.c_str(), 0755));
    WriteText(m_strOut + "/keep", "kept");
    EXPECT_FALSE(m_book.SaveWorkbook(true));
    EXPECT_EQ("Save Excel failed! File = " + m_strOut, GetLastErrorMsg());
    EXPECT_EQ("kept", ReadText(m_strOut + "/keep"));
    ASSERT_EQ(0, std::remove((m_strOut + "/keep").c_str()));
    ASSERT_EQ(0, ::rmdir(m_strOut.c_str()));
    EXPECT_TRUE(m_book.SaveWorkbook(true));
    EXPECT_NE(std::string::npos, ReadText(m_strOut).find("<Data ss:Type=\"String\">x</Data>"));
    m_book.CloseWorkbook();
    EXPECT_FALSE(m_book.SaveWorkbook(true));
}

TEST_F(XmlWorkbookTest, ForeignWorkbookReadingRules)
{
    // As another spreadsheet application writes it: prefixed element names, no counts, a Row with
    // ss:Index after empty rows, merged cells, rich text, a comment, typed numbers.
    const std::string table =
        "<Table ss:StyleID=\"ta1\"><Column ss:Width=\"64\"/>"
        "<Row><Cell ss:MergeAcross=\"1\"><ss:Data ss:Type=\"String\">wide</ss:Data></Cell>"
        "<Cell><Data ss:Type=\"Number\">10600</Data></Cell>"
        "<Cell><Comment><ss:Data>note</ss:Data></Comment><Data ss:Type=\"String\">"
        "<Font html:Color=\"#ff0000\">Red</Font> &amp; <B>bold</B></Data></Cell></Row>"
        "<Row ss:Index=\"4\"><Cell ss:Index=\"2\"><Data ss:Type=\"String\">r4c1</Data></Cell></Row>"
        "<Row><Cell><Data ss:Type=\"String\">r5c0</Data></Cell><Cell ss:Index=\"30\"/></Row>"
        "</Table>";
    OpenText(SheetFile(table, "ss:Worksheet"));
    EXPECT_EQ("wide", Cell(1, 0));
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ("10600", Cell(1, 2));
    EXPECT_EQ("Red & bold", Cell(1, 3));
    EXPECT_EQ("", Cell(2, 0));
    EXPECT_EQ("", Cell(3, 1));
    EXPECT_EQ("r4c1", Cell(4, 1));
    EXPECT_EQ("", Cell(4, 0));
    EXPECT_EQ("r5c0", Cell(5, 0));
    EXPECT_EQ("", Cell(6, 0));
    // Out of order as well.
    EXPECT_EQ("r4c1", Cell(4, 1));
    EXPECT_EQ("10600", Cell(1, 2));
    // Writing into such a table adds no counts (they would hide the other rows).
    ASSERT_TRUE(m_book.SetCellText(2, 0, "new"));
    EXPECT_EQ("new", Cell(2, 0));
    EXPECT_EQ("wide", Cell(1, 0));
    EXPECT_EQ("r4c1", Cell(4, 1));
    EXPECT_EQ("r5c0", Cell(5, 0));
    EXPECT_EQ(std::string::npos, Saved().find("Expanded"));
}

TEST_F(XmlWorkbookTest, ReadsTheWorkbooksOfTheTestData)
{
    // The same workbook in this system's style and as saved back by another spreadsheet
    // application (prefixes, no counts, ss:Index cells, one line): every cell reads the same.
    CXmlWorkbook ours, theirs;
    for (auto [pBook, name] : {std::make_pair(&ours, "channels.xls"),
                               std::make_pair(&theirs, "channels-saved-by-libreoffice.xls")}) {
        const std::string copy = m_dir.File(name);
        WriteText(copy, ReadText(std::string(RAVELIN_TESTDATA_DIR) + "/" + name));
        ASSERT_TRUE(pBook->OpenWorkbook(copy)) << name;
    }
    ASSERT_TRUE(ours.OpenSheet("Satellites"));
    std::vector<std::string> sheets = {"Satellites"};
    std::string text;
    for (int32_t row = 2; ours.GetCellText(row, 2, text); ++row)
        sheets.push_back(text);
    ASSERT_EQ(5u, sheets.size());
    int nFilled = 0;
    for (const std::string& sheet : sheets) {
        ASSERT_TRUE(ours.OpenSheet(sheet));
        ASSERT_TRUE(theirs.OpenSheet(sheet)) << sheet;
        for (int32_t row = 1; row <= 12; ++row) {
            for (int32_t column = 0; column <= 18; ++column) {
                std::string a, b;
                const bool bOurs = ours.GetCellText(row, column, a);
                EXPECT_EQ(bOurs, theirs.GetCellText(row, column, b));
                EXPECT_EQ(a, b) << sheet << " row " << row << " column " << column;
                nFilled += bOurs;
            }
        }
    }
    EXPECT_GT(nFilled, 250);
    ASSERT_TRUE(theirs.OpenSheet("Satellites"));
    EXPECT_TRUE(theirs.GetCellText(2, 1, text));
    EXPECT_EQ("Astra 19.2E", text);
    ASSERT_TRUE(theirs.OpenSheet("Astra_19_2E"));
    bool bFound = false;
    for (int32_t row = 2; row < 10; ++row)
        if (theirs.GetCellText(row, 0, text) && text == "Tom & Jerry <HD>")
            bFound = true;
    EXPECT_TRUE(bFound);
    EXPECT_FALSE(theirs.OpenSheet("Missing"));
}
