// The spreadsheet exporter: the exact workbook text, round trips through the importer, names and
// failures.

#include "sheet/AccessExcel.h"

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"
#include "tests/sheet/ExcelTestUtil.h"

#include <algorithm>
#include <csignal>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// The workbook template as the exporter starts from it, UTF-8, CR LF.
const char* const TEMPLATE_HEAD[] = {
    "<?xml version=\"1.0\"?>",
    "<?mso-application progid=\"Excel.Sheet\"?>",
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"",
    " xmlns:o=\"urn:schemas-microsoft-com:office:office\"",
    " xmlns:x=\"urn:schemas-microsoft-com:office:excel\"",
    " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"",
    " xmlns:html=\"http://www.w3.org/TR/REC-html40\">",
    " <DocumentProperties xmlns=\"urn:schemas-microsoft-com:office:office\">",
    "  <Created>1996-12-17T01:32:42Z</Created>",
    "  <LastSaved>2011-05-19T07:14:55Z</LastSaved>",
    "  <Version>11.5606</Version>",
    " </DocumentProperties>",
    " <OfficeDocumentSettings xmlns=\"urn:schemas-microsoft-com:office:office\">",
    "  <RemovePersonalInformation/>",
    " </OfficeDocumentSettings>",
    " <ExcelWorkbook xmlns=\"urn:schemas-microsoft-com:office:excel\">",
    "  <WindowHeight>4530</WindowHeight>",
    "  <WindowWidth>8505</WindowWidth>",
    "  <WindowTopX>480</WindowTopX>",
    "  <WindowTopY>120</WindowTopY>",
    "  <AcceptLabelsInFormulas/>",
    "  <ProtectStructure>False</ProtectStructure>",
    "  <ProtectWindows>False</ProtectWindows>",
    " </ExcelWorkbook>",
    " <Styles>",
    "  <Style ss:ID=\"Default\" ss:Name=\"Normal\">",
    "   <Alignment ss:Vertical=\"Bottom\"/>",
    "   <Borders/>",
    "   <Font ss:FontName=\"\xE5\xAE\x8B\xE4\xBD\x93\" x:CharSet=\"134\" ss:Size=\"12\"/>",
    "   <Interior/>",
    "   <NumberFormat/>",
    "   <Protection/>",
    "  </Style>",
    "  <Style ss:ID=\"s21\" ss:Name=\"\xE8\xB6\x85\xE9\x93\xBE\xE6\x8E\xA5\">",
    "   <Font ss:FontName=\"\xE5\xAE\x8B\xE4\xBD\x93\" x:CharSet=\"134\" ss:Size=\"12\" ss:Color=\"#0000FF\"",
    "    ss:Underline=\"Single\"/>",
    "  </Style>",
    " </Styles>",
    " <Worksheet ss:Name=\"Satellites\">",
};
const char* const TEMPLATE_TAIL[] = {
    "  <WorksheetOptions xmlns=\"urn:schemas-microsoft-com:office:excel\">",
    "   <Unsynced/>",
    "   <Selected/>",
    "   <ProtectObjects>False</ProtectObjects>",
    "   <ProtectScenarios>False</ProtectScenarios>",
    "  </WorksheetOptions>",
    " </Worksheet>",
};

const std::string CRLF = "\r\n";

// Expected text of cells and rows as the workbook's append rules lay them out: every element on
// a line of its own, a cell without text as an empty-element tag.
std::string XCell(const std::string& strText, const std::string& strLink = "")
{
    if (strText.empty() && strLink.empty())
        return "<Cell/>" + CRLF;
    std::string s = "<Cell";
    if (!strLink.empty())
        s += " ss:HRef=\"" + strLink + "\" ss:StyleID=\"s21\"";
    return s + ">" + CRLF + "<Data ss:Type=\"String\">" + Escape(strText) + "</Data>" + CRLF + "</Cell>" +
           CRLF;
}

std::string XRow(const Row& cells, const std::string& strLink = "")
{
    std::string s = "<Row ss:AutoFitHeight=\"0\">" + CRLF;
    for (size_t c = 0; c < cells.size(); ++c)
        s += XCell(cells[c], c == 1 ? strLink : "");
    return s + "</Row>" + CRLF;
}

std::string XProgSheet(const std::string& strName, const std::vector<Row>& rows)
{
    size_t nColumns = 0;
    std::string body;
    for (const Row& r : rows) {
        nColumns = std::max(nColumns, r.size());
        body += XRow(r);
    }
    return "<Worksheet ss:Name=\"" + strName + "\">" + CRLF + "<Table ss:ExpandedColumnCount=\"" +
           std::to_string(nColumns) + "\" ss:ExpandedRowCount=\"" + std::to_string(rows.size()) + "\">" +
           CRLF + body + "</Table>" + CRLF + "</Worksheet>" + CRLF;
}

std::vector<uint8_t> DbImage(CProgDb& db)
{
    std::vector<uint8_t> image;
    CAccessDbOut out;
    EXPECT_TRUE(out.BuildImage(&db, image));
    return image;
}

class ExcelExport : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }
    void TearDown() override { ClearLastError(); }

    bool Save(CProgDb& db, const std::string& strName = "out.xls")
    {
        CAccessExcelOut out;
        return out.SaveDb(m_dir.File(strName), &db);
    }
    bool LoadBack(CProgDb& db, const std::string& strName = "out.xls")
    {
        CAccessExcelIn in(m_sink);
        return in.LoadDb(m_dir.File(strName), &db);
    }

    CTempDir m_dir;
    CRecordingSink m_sink;
};

} // namespace

TEST_F(ExcelExport, SmallDatabaseGivesTheExactWorkbookText)
{
    CCodePageScope cp(936); // the template's font and style names survive this code page
    CProgDb db;
    CSatNode* pSat = AddSat(db, "Orbit 1");
    SatRecord* s = pSat->GetRecord();
    s->Set(SatField::Longitude, 192);
    s->Set(SatField::LocalFre1, 3);
    s->Set(SatField::LocalFre2, 12); // outside the table: written as 5150
    s->Set(SatField::V12, 1);
    s->Set(SatField::K22, 2);
    s->Set(SatField::DiSEqC, 3);
    s->Set(SatField::DiSEqC12, 200);
    s->Set(SatField::Direction, 1);
    s->Set(SatField::LnbType, 2);
    s->Set(SatField::DisEqCMotor, 1);
    s->Set(SatField::TunerSel, 3);
    AddSat(db, "Sky")->SetSelect(1);
    CTpNode* pTp0 = AddTp(db, 0, 11494, 22000, 1);
    AddTp(db, 0, 12000, 27500, 0);
    CProgNode* pProg = AddProg(db, pTp0->GetId(), "News & <Talk>");
    ProgRecord* p = pProg->GetRecord();
    p->Set(ProgField::VPID, 511);
    p->Set(ProgField::APID, 512);
    p->Set(ProgField::PCRPID, 513);
    p->Set(ProgField::Scramble, 1);
    p->Set(ProgField::Track, 3);
    p->Set(ProgField::ServiceId, 65535);
    p->Set(ProgField::PmtPid, 8191);
    p->Set(ProgField::FavType, 15);
    p->Set(ProgField::TunerSel, 2);
    AddProg(db, pTp0->GetId(), "Music");

    ASSERT_TRUE(Save(db)) << GetLastErrorMsg();

    std::string expected;
    for (const char* l : TEMPLATE_HEAD)
        expected += std::string(l) + CRLF;
    expected += "  <Table ss:ExpandedColumnCount=\"14\" ss:ExpandedRowCount=\"3\" x:FullColumns=\"1\"" +
                CRLF + "   x:FullRows=\"1\" ss:DefaultColumnWidth=\"54\" ss:DefaultRowHeight=\"14.25\" >" +
                CRLF;
    expected += XRow(SAT_HEADER);
    expected +=
        XRow({"A", "Orbit 1", "Orbit_1", "192", "9750", "5150", "1", "2", "3", "200", "1", "2", "1", "3"},
             "#Orbit_1!A1");
    expected +=
        XRow({"S", "Sky", "Sky", "0", "5150", "5150", "0", "0", "0", "0", "0", "0", "0", "0"}, "#Sky!A1");
    expected += "</Table>" + CRLF;
    for (const char* l : TEMPLATE_TAIL)
        expected += std::string(l) + CRLF;
    expected += XProgSheet("Orbit_1", {PROG_HEADER,
                                       {"News & <Talk>", "11494", "22000", "V", "511", "512", "513", "1", "0",
                                        "3", "65535", "8191", "0", "0", "0", "15", "2"},
                                       {"Music", "11494", "22000", "V", "0", "0", "0", "0", "0", "0", "0",
                                        "0", "0", "0", "0", "0", "0"},
                                       {"", "12000", "27500", "H"}});
    expected += XProgSheet("Sky", {PROG_HEADER});
    expected += "</Workbook>" + CRLF;

    const std::string actual = ReadText(m_dir.File("out.xls"));
    EXPECT_EQ(actual, expected);
    // Show where they part, which the whole-text comparison does not.
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    EXPECT_EQ(i, expected.size()) << "first difference at " << i << ": ...\n"
                                  << actual.substr(i > 80 ? i - 80 : 0, 160);
}

TEST_F(ExcelExport, RoundTripKeepsTheDatabaseImageExactly)
{
    CProgDb db;
    GenerateLargeDb(db, 7, 60, 300);
    AddTp(db, 6, 11111, 22222, 1); // a transponder without programs, at the end of its satellite
    const std::vector<uint8_t> before = DbImage(db);

    ASSERT_TRUE(Save(db)) << GetLastErrorMsg();
    CProgDb back;
    ASSERT_TRUE(LoadBack(back)) << GetLastErrorMsg();
    EXPECT_EQ(back.GetSatList().GetCount(), 7);
    EXPECT_EQ(back.GetTpList().GetCount(), 61);
    EXPECT_EQ(back.GetProgList().GetCount(), 300);
    EXPECT_TRUE(DbImage(back) == before);

    // Export again: the same workbook text.
    const std::string first = ReadText(m_dir.File("out.xls"));
    ASSERT_TRUE(Save(back, "again.xls"));
    EXPECT_TRUE(ReadText(m_dir.File("again.xls")) == first);
}

TEST_F(ExcelExport, OddNamesSurviveTheRoundTrip)
{
    CCodePageScope cp(1252);
    CProgDb db;
    const std::vector<std::string> satNames = {"Caf\xe9 S\xfc"
                                               "d",
                                               "\"\\x41\"",
                                               "Tab\there",
                                               "Satellites",
                                               "Bad\x81"
                                               "byte",
                                               "A & <B> \"c\" 'd'"};
    for (const std::string& n : satNames) {
        AddSat(db, n);
        AddTp(db, db.GetSatList().GetLastId(), 10000 + db.GetSatList().GetLastId(), 27500, 0);
        AddProg(db, db.GetTpList().GetLastId(), n + "!");
    }
    ASSERT_TRUE(Save(db)) << GetLastErrorMsg();
    const std::string text = ReadText(m_dir.File("out.xls"));
    // Names the file can carry are written as they are, in UTF-8; the others in quoted hex.
    EXPECT_NE(text.find("<Data ss:Type=\"String\">Caf\xc3\xa9 S\xc3\xbc"
                        "d</Data>"),
              std::string::npos);
    EXPECT_NE(text.find("<Data ss:Type=\"String\">A &amp; &lt;B&gt; \"c\" 'd'</Data>"), std::string::npos);
    EXPECT_NE(text.find("<Data ss:Type=\"String\">\"\\x22\\x5c\\x78\\x34\\x31\\x22\"</Data>"),
              std::string::npos);
    // A satellite named "Satellites" gets its own program sheet.
    EXPECT_NE(text.find("<Worksheet ss:Name=\"Satellites1\">"), std::string::npos);

    CProgDb back;
    ASSERT_TRUE(LoadBack(back)) << GetLastErrorMsg();
    ASSERT_EQ(back.GetSatList().GetCount(), static_cast<int32_t>(satNames.size()));
    ASSERT_EQ(back.GetProgList().GetCount(), static_cast<int32_t>(satNames.size()));
    size_t i = 0;
    for (const CNode* pNode : back.GetSatList())
        EXPECT_EQ(static_cast<const CSatNode*>(pNode)->GetRecord()->GetName(), satNames[i++]);
    i = 0;
    for (const CNode* pNode : back.GetProgList())
        EXPECT_EQ(static_cast<const CProgNode*>(pNode)->GetRecord()->GetName(), satNames[i++] + "!");
    EXPECT_TRUE(DbImage(back) == DbImage(db));
}

TEST_F(ExcelExport, SheetNamesAndLinks)
{
    CProgDb db;
    AddSat(db, "Orbit");
    AddSat(db, "Orbit");
    AddSat(db, "Orbit");
    ASSERT_TRUE(Save(db));
    const std::string text = ReadText(m_dir.File("out.xls"));
    for (const char* name : {"Orbit", "Orbit1", "Orbit2"}) {
        EXPECT_NE(text.find("<Worksheet ss:Name=\"" + std::string(name) + "\">"), std::string::npos) << name;
        EXPECT_NE(text.find("<Cell ss:HRef=\"#" + std::string(name) + "!A1\" ss:StyleID=\"s21\">"),
                  std::string::npos)
            << name;
        EXPECT_NE(text.find("<Data ss:Type=\"String\">" + std::string(name) + "</Data>"), std::string::npos)
            << name;
    }
    // Satellites without transponders: each sheet holds only its header; importing gives the
    // satellites alone, in order, with fresh ids.
    CProgDb back;
    ASSERT_TRUE(LoadBack(back));
    EXPECT_EQ(back.GetSatList().GetCount(), 3);
    EXPECT_TRUE(back.GetTpList().IsEmpty());
    EXPECT_EQ(back.GetSatList().GetLastId(), 2);
}

TEST_F(ExcelExport, SatellitesSharingAnIdEachGetTheirSheet)
{
    // Ids taken from a firmware image need not be unique; the workbook must still import.
    CProgDb db;
    AddSat(db, "First");
    AddSat(db, "Second", 0);
    AddProg(db, AddTp(db, 0, 11000, 27500, 0)->GetId(), "P");
    ASSERT_TRUE(Save(db));
    CProgDb back;
    ASSERT_TRUE(LoadBack(back)) << GetLastErrorMsg();
    EXPECT_EQ(back.GetSatList().GetCount(), 2);
    // The transponder belongs to satellite id 0, which both satellites carry.
    EXPECT_EQ(back.GetTpList().GetCountByParent(0), 1);
    EXPECT_EQ(back.GetTpList().GetCountByParent(1), 1);
    EXPECT_EQ(back.GetProgList().GetCount(), 2);
}

TEST_F(ExcelExport, SatellitesWithoutNames)
{
    // The first unnamed satellite gets an empty ProgSheet cell, so the import leaves it out; the
    // second gets the sheet "1" and its empty name cell makes the import fail.
    CProgDb db;
    AddSat(db, "");
    AddSat(db, "Named");
    ASSERT_TRUE(Save(db));
    CProgDb back;
    ASSERT_TRUE(LoadBack(back));
    ASSERT_EQ(back.GetSatList().GetCount(), 1);
    EXPECT_EQ(static_cast<const CSatNode*>(*back.GetSatList().begin())->GetRecord()->GetName(), "Named");

    AddSat(db, "");
    ASSERT_TRUE(Save(db));
    EXPECT_NE(ReadText(m_dir.File("out.xls")).find("<Worksheet ss:Name=\"1\">"), std::string::npos);
    back.Clear();
    EXPECT_FALSE(LoadBack(back));
    EXPECT_TRUE(back.IsEmpty());
    EXPECT_FALSE(HasLastError());
}

TEST_F(ExcelExport, FailuresLeaveAnExistingFileAlone)
{
    CProgDb db;
    AddSat(db, "Orbit");
    CAccessExcelOut out;
    EXPECT_FALSE(out.SaveDb(m_dir.File("out.xls"), nullptr));
    EXPECT_FALSE(HasLastError());

    EXPECT_FALSE(Save(db, "no/such/folder/out.xls"));
    EXPECT_EQ(GetLastErrorMsg(), "Create File Failed!");
    ClearLastError();

    // A write that fails half-way (the file size limit stands in for a full disk).
    const std::string strOld = "previous contents";
    WriteText(m_dir.File("out.xls"), strOld);
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool bSaved = Save(db);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(bSaved);
    EXPECT_TRUE(HasLastError());
    EXPECT_EQ(ReadText(m_dir.File("out.xls")), strOld);

    // A successful export replaces it.
    ASSERT_TRUE(Save(db));
    EXPECT_EQ(ReadText(m_dir.File("out.xls")).substr(0, 21), "<?xml version=\"1.0\"?>");
}
