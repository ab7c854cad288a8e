// The spreadsheet importer on workbooks written by hand and by a spreadsheet application.

#include "sheet/AccessExcel.h"

#include "access/LastError.h"
#include "db/ProgDb.h"
#include "tests/TestUtil.h"
#include "tests/sheet/ExcelTestUtil.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// ---- Workbooks written by hand for the import tests (UTF-8, compact, counts given) ----------

struct Sheet
{
    std::string strName;
    std::vector<Row> rows;
};

std::string Workbook(const std::vector<Sheet>& sheets)
{
    std::string s =
        "<?xml version=\"1.0\"?>\r\n<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
        "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n";
    for (const Sheet& sheet : sheets) {
        size_t nColumns = 0;
        for (const Row& r : sheet.rows)
            nColumns = std::max(nColumns, r.size());
        s += " <Worksheet ss:Name=\"" + sheet.strName + "\">\r\n<Table ss:ExpandedColumnCount=\"" +
             std::to_string(nColumns) + "\" ss:ExpandedRowCount=\"" + std::to_string(sheet.rows.size()) +
             "\">\r\n";
        for (const Row& r : sheet.rows) {
            s += "<Row>";
            for (const std::string& c : r)
                s += c.empty() ? "<Cell/>" : "<Cell><Data ss:Type=\"String\">" + Escape(c) + "</Data></Cell>";
            s += "</Row>\r\n";
        }
        s += "</Table>\r\n </Worksheet>\r\n";
    }
    return s + "</Workbook>\r\n";
}

Row SatRow(const std::string& mark, const std::string& name, const std::string& sheet,
           const std::string& lon = "192", const std::string& lnb1 = "9750",
           const std::string& lnb2 = "10600")
{
    return {mark, name, sheet, lon, lnb1, lnb2, "1", "2", "3", "4", "1", "2", "3", "1"};
}

Row ProgRow(const std::string& name, const std::string& fre, const std::string& sr, const std::string& pol,
            const std::string& vpid = "101", const std::string& apid = "102")
{
    return {name, fre, sr, pol, vpid, apid, "103", "1", "1", "2", "1000", "104", "1", "1", "1", "5", "2"};
}

Row TpRow(const std::string& fre, const std::string& sr, const std::string& pol)
{
    return {"", fre, sr, pol};
}

class ExcelImport : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }
    void TearDown() override { ClearLastError(); }

    bool Load(const std::vector<Sheet>& sheets)
    {
        WriteText(m_dir.File("in.xls"), Workbook(sheets));
        CAccessExcelIn in(m_sink);
        return in.LoadDb(m_dir.File("in.xls"), &m_db);
    }
    const CSatNode* Sat(int i) { return static_cast<const CSatNode*>(Nth(m_db.GetSatList(), i)); }
    const CTpNode* Tp(int i) { return static_cast<const CTpNode*>(Nth(m_db.GetTpList(), i)); }
    const CProgNode* Prog(int i) { return static_cast<const CProgNode*>(Nth(m_db.GetProgList(), i)); }
    static const CNode* Nth(const CNodeList& list, int i)
    {
        for (const CNode* p : list)
            if (i-- == 0)
                return p;
        return nullptr;
    }

    CTempDir m_dir;
    CRecordingSink m_sink;
    CProgDb m_db;
};

} // namespace

TEST_F(ExcelImport, ReadsEveryColumnOfSatellitesAndPrograms)
{
    ASSERT_TRUE(Load({{"Satellites", {SAT_HEADER, SatRow("A", "Orbit", "Orb", "130", "9750", "11300")}},
                      {"Orb", {PROG_HEADER, ProgRow("News", "11494", "22000", "H")}}}));
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    const CSatNode* pSat = Sat(0);
    const SatRecord* s = pSat->GetRecord();
    EXPECT_EQ(pSat->GetId(), 0);
    EXPECT_EQ(pSat->GetParentId(), INVALID_ID);
    EXPECT_EQ(pSat->GetSelect(), 0);
    EXPECT_EQ(s->GetName(), "Orbit");
    EXPECT_EQ(s->Get(SatField::Longitude), 130u);
    EXPECT_EQ(s->Get(SatField::LocalFre1), 3u);
    EXPECT_EQ(s->Get(SatField::LocalFre2), 9u);
    EXPECT_EQ(s->Get(SatField::V12), 1u);
    EXPECT_EQ(s->Get(SatField::K22), 2u);
    EXPECT_EQ(s->Get(SatField::DiSEqC), 3u);
    EXPECT_EQ(s->Get(SatField::DiSEqC12), 4u);
    EXPECT_EQ(s->Get(SatField::Direction), 1u);
    EXPECT_EQ(s->Get(SatField::LnbType), 2u);
    EXPECT_EQ(s->Get(SatField::DisEqCMotor), 3u);
    EXPECT_EQ(s->Get(SatField::TunerSel), 1u);
    EXPECT_EQ(s->Get(SatField::ReservedA), 0u);
    EXPECT_EQ(s->Get(SatField::TpCount), 0u);
    EXPECT_EQ(s->Get(SatField::FirstTpIndex), 0u);

    ASSERT_EQ(m_db.GetTpList().GetCount(), 1);
    const TpRecord* t = Tp(0)->GetRecord();
    EXPECT_EQ(Tp(0)->GetParentId(), 0);
    EXPECT_EQ(t->Get(TpField::Frequency), 11494u);
    EXPECT_EQ(t->Get(TpField::SymbolRate), 22000u);
    EXPECT_EQ(t->Get(TpField::Polar), 0u);
    EXPECT_EQ(t->Get(TpField::Flag), 0u);

    ASSERT_EQ(m_db.GetProgList().GetCount(), 1);
    const ProgRecord* p = Prog(0)->GetRecord();
    EXPECT_EQ(Prog(0)->GetParentId(), 0);
    EXPECT_EQ(p->GetName(), "News");
    EXPECT_EQ(p->Get(ProgField::VPID), 101u);
    EXPECT_EQ(p->Get(ProgField::APID), 102u);
    EXPECT_EQ(p->Get(ProgField::PCRPID), 103u);
    EXPECT_EQ(p->Get(ProgField::Scramble), 1u);
    EXPECT_EQ(p->Get(ProgField::Hide), 1u);
    EXPECT_EQ(p->Get(ProgField::Track), 2u);
    EXPECT_EQ(p->Get(ProgField::ServiceId), 1000u);
    EXPECT_EQ(p->Get(ProgField::PmtPid), 104u);
    EXPECT_EQ(p->Get(ProgField::AvType), 1u);
    EXPECT_EQ(p->Get(ProgField::Lock), 1u);
    EXPECT_EQ(p->Get(ProgField::Skip), 1u);
    EXPECT_EQ(p->Get(ProgField::FavType), 5u);
    EXPECT_EQ(p->Get(ProgField::TunerSel), 2u);
    EXPECT_EQ(p->Get(ProgField::SatIndex), 0u);
    EXPECT_EQ(p->Get(ProgField::TpIndex), 0u);
    EXPECT_EQ(p->Get(ProgField::Reserved1) | p->Get(ProgField::Reserved2) | p->Get(ProgField::Reserved3), 0u);
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(ExcelImport, SelectMarkDecidesHowMuchOfTheProgramSheetIsTaken)
{
    const std::vector<Row> progRows = {PROG_HEADER, ProgRow("P1", "11000", "27500", "V"),
                                       ProgRow("P2", "11100", "27500", "V")};
    ASSERT_TRUE(
        Load({{"Satellites",
               {SAT_HEADER, SatRow("Yes", "Full", "F"), SatRow("a", "Lower", "L"), SatRow("S", "Only", "O"),
                SatRow("N", "No", "N"), SatRow("T", "Tps", "T"), SatRow("1", "One", "1")}},
              {"F", progRows},
              {"O", progRows},
              {"T", progRows}}));
    ASSERT_EQ(m_db.GetSatList().GetCount(), 3);
    EXPECT_EQ(Sat(0)->GetRecord()->GetName(), "Full");
    EXPECT_EQ(Sat(0)->GetSelect(), 0);
    EXPECT_EQ(Sat(1)->GetRecord()->GetName(), "Only");
    EXPECT_EQ(Sat(1)->GetSelect(), 1);
    EXPECT_EQ(Sat(2)->GetRecord()->GetName(), "Tps");
    EXPECT_EQ(Sat(2)->GetSelect(), 2);
    // "Full" gets two transponders and two programs, "Only" nothing, "Tps" two transponders.
    ASSERT_EQ(m_db.GetTpList().GetCount(), 4);
    EXPECT_EQ(m_db.GetTpList().GetCountByParent(0), 2);
    EXPECT_EQ(m_db.GetTpList().GetCountByParent(1), 0);
    EXPECT_EQ(m_db.GetTpList().GetCountByParent(2), 2);
    ASSERT_EQ(m_db.GetProgList().GetCount(), 2);
    EXPECT_EQ(Prog(0)->GetParentId(), 0);
    EXPECT_EQ(Prog(1)->GetParentId(), 1);
}

TEST_F(ExcelImport, ValuesAreCutToTheirFieldWidths)
{
    ASSERT_TRUE(
        Load({{"Satellites",
               {SAT_HEADER, SatRow("A", "ABCDEFGHIJKLMNOPQ", "X", "2048", "10600", "5150"),
                SatRow("A", "B", "", "1"), SatRow("A", "C", "Y", "2049")}},
              {"X", {PROG_HEADER, ProgRow("123456789012345678901234", "16385", "65537", "h", "8193", "-1")}},
              {"Y", {PROG_HEADER}}}));
    ASSERT_EQ(m_db.GetSatList().GetCount(), 2);
    EXPECT_EQ(Sat(0)->GetRecord()->GetName(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Sat(0)->GetRecord()->Get(SatField::Longitude), 0u);
    EXPECT_EQ(Sat(0)->GetRecord()->Get(SatField::LocalFre1), 5u);
    EXPECT_EQ(Sat(0)->GetRecord()->Get(SatField::LocalFre2), 0u);
    EXPECT_EQ(Sat(1)->GetRecord()->Get(SatField::Longitude), 1u);
    const TpRecord* t = Tp(0)->GetRecord();
    EXPECT_EQ(t->Get(TpField::Frequency), 1u);
    EXPECT_EQ(t->Get(TpField::SymbolRate), 1u);
    EXPECT_EQ(t->Get(TpField::Polar), 1u); // "h" is vertical
    const ProgRecord* p = Prog(0)->GetRecord();
    EXPECT_EQ(p->GetName(), "123456789012345678901");
    EXPECT_EQ(p->Get(ProgField::VPID), 1u);
    EXPECT_EQ(p->Get(ProgField::APID), 8191u);
}

TEST_F(ExcelImport, EmptyCellsReadAsZeroWhereAllowed)
{
    Row sat = {"A", "Sat", "S", "10", "9750", "9750"}; // columns 6 to 13 missing
    Row prog = {"P", "11000", "27500", "H", "1", "2", "", "", "", "", "", "", "", "", "", "", ""};
    ASSERT_TRUE(Load({{"Satellites", {SAT_HEADER, sat}}, {"S", {PROG_HEADER, prog}}}));
    EXPECT_EQ(Sat(0)->GetRecord()->dwWord[0], 0u);
    EXPECT_EQ(Sat(0)->GetRecord()->Get(SatField::V12), 0u);
    EXPECT_EQ(Sat(0)->GetRecord()->Get(SatField::TunerSel), 0u);
    ASSERT_EQ(m_db.GetProgList().GetCount(), 1);
    EXPECT_EQ(Prog(0)->GetRecord()->Get(ProgField::PCRPID), 0u);
    EXPECT_EQ(Prog(0)->GetRecord()->Get(ProgField::TunerSel), 0u);
}

TEST_F(ExcelImport, QuotedHexNames)
{
    ASSERT_TRUE(
        Load({{"Satellites",
               {SAT_HEADER, SatRow("A", "\"\\x41\\x42\\x43\"", "S1"), SatRow("A", "\"\\x41\\x4G\"", "S2")}},
              {"S1", {PROG_HEADER, ProgRow("\"\\x58\\x00\\x59\"", "11000", "27500", "H")}},
              {"S2", {PROG_HEADER}}}));
    EXPECT_EQ(Sat(0)->GetRecord()->GetName(), "ABC");
    EXPECT_EQ(Sat(1)->GetRecord()->GetName(), "A");
    // The zero byte ends the name; the byte after it stays in the field.
    const ProgRecord* p = Prog(0)->GetRecord();
    EXPECT_EQ(p->GetName(), "X");
    EXPECT_EQ(p->ProgName[1], 0);
    EXPECT_EQ(p->ProgName[2], 'Y');
}

TEST_F(ExcelImport, TranspondersAreRebuiltFromProgramRows)
{
    ASSERT_TRUE(Load({{"Satellites", {SAT_HEADER, SatRow("A", "One", "S1"), SatRow("A", "Two", "S2")}},
                      {"S1",
                       {PROG_HEADER, ProgRow("P1", "11000", "27500", "H"), TpRow("12000", "22000", "V"),
                        ProgRow("P2", "11000", "27500", "V"), ProgRow("P3", "11000", "27500", "0"),
                        ProgRow("", "12100", "22000", "V"), ProgRow("P4", "12200", "22000", "V", "", "1"),
                        ProgRow("P5", "12300", "22000", "V", "1", "")}},
                      // Same tuning on another satellite is another transponder; the sheet ends
                      // at the first row with an empty Fre, SymbolRate or Polar.
                      {"S2",
                       {PROG_HEADER, ProgRow("Q1", "11000", "27500", "H"), ProgRow("Q2", "11000", "", "H"),
                        ProgRow("Q3", "11000", "27500", "H")}}}));
    // S1: (11000,H) (12000,V) (11000,V) (12100,V) (12200,V) (12300,V); S2: (11000,H).
    ASSERT_EQ(m_db.GetTpList().GetCount(), 7);
    EXPECT_EQ(m_db.GetTpList().GetCountByParent(0), 6);
    EXPECT_EQ(m_db.GetTpList().GetCountByParent(1), 1);
    EXPECT_EQ(Tp(1)->GetRecord()->Get(TpField::Frequency), 12000u);
    EXPECT_EQ(Tp(2)->GetRecord()->Get(TpField::Polar), 1u);
    // P1 and P3 share transponder 0 although P2 lies between them; the rows without a name,
    // VPID or APID give no program.
    ASSERT_EQ(m_db.GetProgList().GetCount(), 4);
    EXPECT_EQ(Prog(0)->GetRecord()->GetName(), "P1");
    EXPECT_EQ(Prog(0)->GetParentId(), 0);
    EXPECT_EQ(Prog(1)->GetRecord()->GetName(), "P2");
    EXPECT_EQ(Prog(1)->GetParentId(), 2);
    EXPECT_EQ(Prog(2)->GetRecord()->GetName(), "P3");
    EXPECT_EQ(Prog(2)->GetParentId(), 0);
    EXPECT_EQ(Prog(3)->GetRecord()->GetName(), "Q1");
    EXPECT_EQ(Prog(3)->GetParentId(), 6);
    EXPECT_EQ(Prog(3)->GetRecord()->Get(ProgField::TpIndex), 6u);
    EXPECT_EQ(Prog(3)->GetRecord()->Get(ProgField::SatIndex), 1u);
}

TEST_F(ExcelImport, RowsThatAddNothing)
{
    // A row without ProgSheet is skipped whatever else it holds, and its sheet is never read (it
    // is missing here); an empty Fre in row 2 leaves the satellite without transponders.
    ASSERT_TRUE(Load(
        {{"Satellites", {SAT_HEADER, SatRow("A", "Skipped", "", "1", "1", "1"), SatRow("A", "Kept", "K")}},
         {"K", {PROG_HEADER, ProgRow("P", "", "27500", "H"), ProgRow("P", "11000", "27500", "H")}}}));
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    EXPECT_EQ(Sat(0)->GetRecord()->GetName(), "Kept");
    EXPECT_TRUE(m_db.GetTpList().IsEmpty());
    EXPECT_TRUE(m_db.GetProgList().IsEmpty());

    // Only the header row: success, nothing added. The scan stops at the first empty select.
    m_db.Clear();
    ASSERT_TRUE(Load({{"Satellites", {SAT_HEADER}}}));
    EXPECT_TRUE(m_db.IsEmpty());
    ASSERT_TRUE(Load({{"Satellites", {SAT_HEADER, Row{"", "Gap"}, SatRow("A", "After", "Missing")}}}));
    EXPECT_TRUE(m_db.IsEmpty());
    EXPECT_FALSE(HasLastError());
}

TEST_F(ExcelImport, LnbValueOutsideTheTableShowsTheReadError)
{
    for (int nColumn : {4, 5}) {
        m_sink.m_messages.clear();
        Row bad = SatRow("A", "Bad", "B");
        bad[nColumn] = "10601";
        EXPECT_FALSE(
            Load({{"Satellites",
                   {SAT_HEADER, SatRow("A", "S1", "B"), SatRow("A", "S2", "B"), SatRow("x", "S3", "B"), bad}},
                  {"B", {PROG_HEADER}}}));
        EXPECT_TRUE(m_db.IsEmpty());
        EXPECT_FALSE(HasLastError());
        ASSERT_EQ(m_sink.m_messages.size(), 1u);
        EXPECT_EQ(m_sink.m_messages[0].strText,
                  "Reading Excel Error!\nRow=5, Column=" + std::to_string(nColumn));
        EXPECT_EQ(m_sink.m_messages[0].strCaption, "Read Error");
        EXPECT_EQ(m_sink.m_messages[0].nIcon, IMessageSink::ICON_ERROR);
    }
}

TEST_F(ExcelImport, MissingRequiredSatelliteCellFailsWithoutMessage)
{
    for (int nColumn : {1, 3, 4, 5}) {
        Row bad = SatRow("A", "Bad", "B");
        bad[nColumn] = "";
        EXPECT_FALSE(
            Load({{"Satellites", {SAT_HEADER, SatRow("A", "Good", "B"), bad}}, {"B", {PROG_HEADER}}}))
            << nColumn;
        EXPECT_TRUE(m_db.IsEmpty());
        EXPECT_FALSE(HasLastError());
        EXPECT_TRUE(m_sink.m_messages.empty());
    }
}

TEST_F(ExcelImport, MissingSheetsAndFilesFailAndLeaveTheDatabaseEmpty)
{
    // The third satellite's sheet is missing: the two read before are dropped again.
    EXPECT_FALSE(
        Load({{"Satellites",
               {SAT_HEADER, SatRow("A", "S1", "B"), SatRow("A", "S2", "B"), SatRow("A", "S3", "Gone")}},
              {"B", {PROG_HEADER, ProgRow("P", "11000", "27500", "H")}}}));
    EXPECT_TRUE(m_db.IsEmpty());
    EXPECT_EQ(GetLastErrorMsg(), "Open work sheet failed! Sheet=Gone");

    ClearLastError();
    EXPECT_FALSE(Load({{"satellites", {SAT_HEADER}}})); // names match exactly
    EXPECT_EQ(GetLastErrorMsg(), "Open work sheet failed! Sheet=Satellites");

    CAccessExcelIn in(m_sink);
    const std::string strMissing = m_dir.File("missing.xls");
    EXPECT_FALSE(in.LoadDb(strMissing, &m_db));
    EXPECT_EQ(GetLastErrorMsg(), "Open Excel failed! File = " + strMissing);

    const std::string strBroken = m_dir.File("broken.xls");
    WriteText(strBroken, "<Workbook><Worksheet ss:Name=\"Satellites\"><Table></Worksheet></Workbook>");
    EXPECT_FALSE(in.LoadDb(strBroken, &m_db));
    EXPECT_EQ(GetLastErrorMsg(), "Open Excel failed! File = " + strBroken);
    EXPECT_TRUE(m_db.IsEmpty());
    EXPECT_FALSE(in.LoadDb(strBroken, nullptr));
}

TEST_F(ExcelImport, ReadsWhatSpreadsheetApplicationsWrite)
{
    // Written the way a spreadsheet application saves XML Spreadsheet 2003: prefixed element
    // names, no row and column counts, rows after gaps carrying ss:Index, merged cells, typed
    // numbers, rich text, comments, one line with LF only.
    auto cell = [](const std::string& text, const std::string& attrs = "") {
        return "<Cell" + attrs + "><ss:Data ss:Type=\"String\">" + text + "</ss:Data></Cell>";
    };
    auto num = [](const std::string& text) {
        return "<Cell><Data ss:Type=\"Number\">" + text + "</Data></Cell>";
    };
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Workbook "
                    "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                    "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\" "
                    "xmlns:html=\"http://www.w3.org/TR/REC-html40\">";
    s += "<ss:Worksheet ss:Name=\"Satellites\"><Table ss:StyleID=\"ta1\"><Column ss:Width=\"64\"/>";
    s += "<Row>" + cell("select") + cell("SateName", " ss:MergeAcross=\"1\"") + "</Row>";
    s += "<Row ss:Index=\"2\"><Cell><Comment ss:Author=\"x\"><ss:Data><Font>note</Font></ss:Data></Comment>"
         "<Data ss:Type=\"String\">A</Data></Cell>" +
         cell("<Font html:Color=\"#0000ff\">Orbit</Font> <B>One</B>") + cell("Orb") + num("130") +
         num("9750") + num("10600") + cell("1", " ss:Index=\"9\"") + "</Row>";
    // Row 3 is missing: the satellite scan ends there and row 4 is never read.
    s += "<Row ss:Index=\"4\">" + cell("A") + cell("Late") + cell("Missing") + num("1") + num("9750") +
         num("9750") + "</Row>";
    s += "</Table></ss:Worksheet>";
    s += "<ss:Worksheet ss:Name=\"Orb\"><Table>";
    s += "<Row>" + cell("ProgName") + "</Row><Row>" + cell("P&amp;1") + num("11494") + num("22000") +
         cell("V") + num("101") + num("102") + cell("103", " ss:MergeAcross=\"1\"") + num("1") +
         cell("2", " ss:Index=\"16\"") + "</Row>";
    s += "<Row ss:Index=\"5\">" + cell("Late") + num("12000") + num("27500") + cell("H") + num("1") +
         num("2") + "</Row>";
    s += "</Table></ss:Worksheet></Workbook>";
    WriteText(m_dir.File("app.xls"), s);

    CAccessExcelIn in(m_sink);
    ASSERT_TRUE(in.LoadDb(m_dir.File("app.xls"), &m_db)) << GetLastErrorMsg();
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    const SatRecord* pSat = Sat(0)->GetRecord();
    EXPECT_EQ(pSat->GetName(), "Orbit One");
    EXPECT_EQ(pSat->Get(SatField::Longitude), 130u);
    EXPECT_EQ(pSat->Get(SatField::LocalFre2), 5u);
    EXPECT_EQ(pSat->Get(SatField::K22), 0u);
    EXPECT_EQ(pSat->Get(SatField::DiSEqC), 1u); // column 8 by its ss:Index
    ASSERT_EQ(m_db.GetTpList().GetCount(), 1);
    ASSERT_EQ(m_db.GetProgList().GetCount(), 1);
    const ProgRecord* p = Prog(0)->GetRecord();
    EXPECT_EQ(p->GetName(), "P&1");
    EXPECT_EQ(p->Get(ProgField::PCRPID), 103u);
    EXPECT_EQ(p->Get(ProgField::Scramble), 0u); // covered by the merged cell
    EXPECT_EQ(p->Get(ProgField::Hide), 1u);
    EXPECT_EQ(p->Get(ProgField::FavType), 2u);
}
