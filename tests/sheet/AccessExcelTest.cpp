#include "sheet/AccessExcel.h"

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "access/MessageSink.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "tests/TestUtil.h"

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

class CRecordingSink : public IMessageSink
{
public:
    struct Message
    {
        std::string strText;
        std::string strCaption;
        Icon nIcon;
    };
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon nIcon) override
    {
        m_messages.push_back({strText, strCaption, nIcon});
    }
    std::vector<Message> m_messages;
};

// Sets the ANSI code page for one test and puts the previous one back.
class CCodePageScope
{
public:
    explicit CCodePageScope(uint32_t nCodePage) : m_nOld(CodePage::GetAnsiCodePage())
    {
        CodePage::SetAnsiCodePage(nCodePage);
    }
    ~CCodePageScope() { CodePage::SetAnsiCodePage(m_nOld); }

private:
    uint32_t m_nOld;
};

std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// ---- Workbooks written by hand for the import tests (UTF-8, compact, counts given) ----------

using Row = std::vector<std::string>; // "" is a cell without Data
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

const Row SAT_HEADER = {"select",    "SateName", "ProgSheet",    "Longitude", "LocalFre1",
                        "LocalFre2", "12V",      "22K",          "DiSEqC",    "DiSEqC12",
                        "Direction", "LnbType",  "DisEqC Motor", "TunerSel"};
const Row PROG_HEADER = {"ProgName", "Fre",      "SymbolRate", "Polar",   "VPID",      "APID",
                         "PCRPID",   "Scramble", "Hide",       "Track",   "ServiceId", "PmtPid",
                         "AvType",   "Lock",     "Skip",       "FavType", "TunerSel"};

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

// ---- Export ---------------------------------------------------------------------------------

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

// nId: the id a firmware record would give the satellite; INVALID_ID takes the list's next id.
CSatNode* AddSat(CProgDb& db, const std::string& strName, int32_t nSelect = 0, int32_t nId = INVALID_ID)
{
    auto p = std::make_unique<CSatNode>(nSelect, INVALID_ID, INVALID_ID);
    p->GetRecord()->SetName(strName);
    CSatNode* pSat = p.get();
    if (nId == INVALID_ID)
        db.GetSatList().Add(std::move(p));
    else
        db.GetSatList().AddWithId(std::move(p), nId);
    return pSat;
}

CTpNode* AddTp(CProgDb& db, int32_t nSatId, uint32_t nFre, uint32_t nRate, uint32_t nPolar)
{
    auto p = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
    p->GetRecord()->Set(TpField::Frequency, nFre);
    p->GetRecord()->Set(TpField::SymbolRate, nRate);
    p->GetRecord()->Set(TpField::Polar, nPolar);
    p->SetParentId(nSatId);
    CTpNode* pTp = p.get();
    db.GetTpList().Add(std::move(p));
    return pTp;
}

CProgNode* AddProg(CProgDb& db, int32_t nTpId, const std::string& strName)
{
    auto p = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
    p->GetRecord()->SetName(strName);
    p->SetParentId(nTpId);
    CProgNode* pProg = p.get();
    db.GetProgList().Add(std::move(p));
    return pProg;
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
    AddSat(db, "Sky", 1);
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
    AddSat(db, "Second", 0, 0);
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
