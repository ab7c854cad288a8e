// The exports for other tools: the program list as CSV and the channel list as an HTML page.

#include "access/AccessCsv.h"
#include "access/AccessHtml.h"
#include "access/LastError.h"
#include "db/ChannelTable.h"
#include "db/ProgDb.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 read back independently of the writer: fields split at commas, quoted fields with doubled
// quotes, records ended by CR LF. An unquoted field must not hold a quote, CR or LF.
bool ParseCsv(const std::string& text, Rows& rows, std::string& strError)
{
    rows.clear();
    size_t i = 0;
    while (i < text.size()) {
        std::vector<std::string> row;
        for (;;) {
            std::string field;
            if (i < text.size() && text[i] == '"') {
                for (++i;; ++i) {
                    if (i >= text.size())
                        return strError = "unterminated quote", false;
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i];
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                    if (text[i] == '"' || text[i] == '\n')
                        return strError = "bare quote or LF at " + std::to_string(i), false;
                    field += text[i++];
                }
            }
            row.push_back(field);
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (text.compare(i, 2, "\r\n") != 0)
                return strError = "record not ended by CR LF at " + std::to_string(i), false;
            i += 2;
            break;
        }
        rows.push_back(row);
    }
    return true;
}

const std::vector<std::string> HEADING = {
    "Number", "Name",   "Satellite", "Frequency", "Polar", "SymbolRate", "ServiceId", "VPID",
    "APID",   "PCRPID", "PmtPid",    "Scramble",  "Lock",  "Skip",       "Hide",      "FavType"};

// A name in the code page of each case, with the UTF-8 it decodes to.
struct SNamed
{
    uint32_t nCodePage;
    std::string satBytes, satUtf8;
    std::string progBytes, progUtf8;
};

const SNamed NAMED[] = {
    {1252, "Astra \xE9", "Astra \xC3\xA9", "Caf\xE9 \"TV\", 1", "Caf\xC3\xA9 \"TV\", 1"},
    {1251, "\xC4\xE8\xE0\xE4", "\xD0\x94\xD0\xB8\xD0\xB0\xD0\xB4", "\xCA\xE0\xED\xE0\xEB 1",
     "\xD0\x9A\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB 1"},
    {936,
     "\xD6\xD0\xD0\xC7"
     "6B",
     "\xE4\xB8\xAD\xE6\x98\x9F"
     "6B",
     "CCTV-1 \xD6\xD0", "CCTV-1 \xE4\xB8\xAD"},
    {1256, "\xE3\xD5\xD1", "\xD9\x85\xD8\xB5\xD8\xB1", "<\xE3> & '\xD5'", "<\xD9\x85> & '\xD8\xB5'"},
};

// One satellite with one transponder and one program named in the case's code page, every field of
// the program set.
void FillNamed(CProgDb& db, const SNamed& named)
{
    AddSat(db, named.satBytes);
    AddTp(db, 0, 11747, 27500, 1);
    ProgRecord* pRec = AddProg(db, 0, named.progBytes)->GetRecord();
    pRec->Set(ProgField::ServiceId, 1234);
    pRec->Set(ProgField::VPID, 8191);
    pRec->Set(ProgField::APID, 257);
    pRec->Set(ProgField::PCRPID, 8190);
    pRec->Set(ProgField::PmtPid, 100);
    pRec->Set(ProgField::Scramble, 1);
    pRec->Set(ProgField::Lock, 0);
    pRec->Set(ProgField::Skip, 1);
    pRec->Set(ProgField::Hide, 1);
    pRec->Set(ProgField::FavType, 15);
}

int RunTidy(const std::string& strPath, std::string& strOutput)
{
    const std::string strOut = strPath + ".tidy";
    const int nStatus = std::system(("tidy -q -e '" + strPath + "' >'" + strOut + "' 2>&1").c_str());
    strOutput = ReadText(strOut);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

bool HaveTidy()
{
    return std::system("command -v tidy >/dev/null 2>&1") == 0;
}

// The texts of the name cells, in page order.
std::vector<std::string> NameCells(const std::string& strPage)
{
    std::vector<std::string> cells;
    const std::string strOpen = "<td dir=\"auto\">";
    for (size_t i = strPage.find(strOpen); i != std::string::npos; i = strPage.find(strOpen, i)) {
        i += strOpen.size();
        cells.push_back(strPage.substr(i, strPage.find("</td>", i) - i));
    }
    return cells;
}

} // namespace

// Every field of every row, quoting where the text needs it, names decoded from each code page,
// parents that do not exist as empty cells, and the heading alone for an empty database.
TEST(CsvExportTest, RowsReadBackInEveryCodePageWithQuotingAndMissingParents)
{
    for (const SNamed& named : NAMED) {
        CProgDb db;
        FillNamed(db, named);
        const std::string text = CsvText(db, named.nCodePage);
        Rows rows;
        std::string strError;
        ASSERT_TRUE(ParseCsv(text, rows, strError)) << strError << "\n" << text;
        const Rows expected = {HEADING,
                               {"1", named.progUtf8, named.satUtf8, "11747", "V", "27500", "1234", "8191",
                                "257", "8190", "100", "1", "0", "1", "1", "15"}};
        EXPECT_EQ(rows, expected) << named.nCodePage;
    }

    // Quoting: only fields with a comma, a quote, CR or LF, quotes doubled; nothing else changes.
    CProgDb db;
    AddSat(db, "Sat, West");
    AddTp(db, 0, 10000, 22000, 0); // tp 0
    AddTp(db, 8, 12000, 27500, 1); // tp 1: its satellite does not exist
    const std::vector<std::string> names = {"plain",    "a,b",      "say \"hi\"", "two\nlines",
                                            "cr\rhere", " spaced ", "=1+2",       ""};
    for (const std::string& strName : names)
        AddProg(db, 0, strName);
    AddProg(db, 1, "sat gone");
    AddProg(db, 5, "tp gone");
    const std::string text = CsvText(db, 1252);
    EXPECT_EQ(text.compare(0, 7, "Number,"), 0) << "nothing before the heading: no byte order mark";
    for (const char* pszQuoted :
         {"\"a,b\"", "\"say \"\"hi\"\"\"", "\"two\nlines\"", "\"cr\rhere\"", "\"Sat, West\""})
        EXPECT_NE(text.find(pszQuoted), std::string::npos) << pszQuoted;
    EXPECT_NE(text.find(", spaced ,"), std::string::npos);
    Rows rows;
    std::string strError;
    ASSERT_TRUE(ParseCsv(text, rows, strError)) << strError;
    ASSERT_EQ(rows.size(), names.size() + 3);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(rows[i + 1][0], std::to_string(i + 1));
        EXPECT_EQ(rows[i + 1][1], names[i]);
        EXPECT_EQ(std::vector<std::string>(rows[i + 1].begin() + 2, rows[i + 1].begin() + 6),
                  std::vector<std::string>({"Sat, West", "10000", "H", "22000"}));
    }
    EXPECT_EQ(
        std::vector<std::string>(rows[names.size() + 1].begin() + 1, rows[names.size() + 1].begin() + 6),
        std::vector<std::string>({"sat gone", "", "12000", "V", "27500"}));
    EXPECT_EQ(
        std::vector<std::string>(rows[names.size() + 2].begin() + 1, rows[names.size() + 2].begin() + 6),
        std::vector<std::string>({"tp gone", "", "", "", ""}));

    CProgDb empty;
    EXPECT_EQ(CsvText(empty, 1252),
              "Number,Name,Satellite,Frequency,Polar,SymbolRate,ServiceId,VPID,APID,PCRPID,"
              "PmtPid,Scramble,Lock,Skip,Hide,FavType\r\n");

    // The file is the text; a target that cannot be written fails with a message.
    CTempDir dir;
    CAccessCsvOut out(1252);
    ASSERT_TRUE(out.SaveDb(dir.File("list.csv"), &db));
    EXPECT_EQ(ReadText(dir.File("list.csv")), text);
    ClearLastError();
    EXPECT_FALSE(out.SaveDb(dir.Path(), &db));
    EXPECT_EQ(GetLastErrorMsg(), "Open file failed!");
    ClearLastError();
}

// Escaping: the five characters with meaning in markup as references, characters an HTML document
// may not hold (and bytes that are not UTF-8) as U+FFFD, everything else as it is.
TEST(HtmlExportTest, EscapeKeepsTextAndReplacesWhatMayNotStand)
{
    const std::string FFFD = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"a&b<c>\"d'e", "a&amp;b&lt;c&gt;&quot;d&#39;e"},
        {"&amp;", "&amp;amp;"},
        {"tab\there\nline", "tab\there\nline"},
        {"\x01x\x1F\x7F", FFFD + "x" + FFFD + FFFD},
        {"\xC2\x85", FFFD},                        // U+0085, a C1 control
        {"\xEF\xB7\x90\xEF\xBF\xBE", FFFD + FFFD}, // U+FDD0 and U+FFFE, noncharacters
        {"\xF0\x9F\xBF\xBF", FFFD},                // U+1FFFF
        {"\xFF"
         "ok",
         FFFD + "ok"}, // not UTF-8
        {"\xE4\xB8\xAD\xD9\x85\xD0\x94", "\xE4\xB8\xAD\xD9\x85\xD0\x94"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeHtml(c.first), c.second) << c.first;
}

// One valid page per database: every name of every code page escaped in its place, sections for
// the satellites and for records whose parent does not exist, and an empty database's page too.
TEST(HtmlExportTest, PageIsValidAndShowsEveryNameInEveryCodePage)
{
    CTempDir dir;
    const bool bTidy = HaveTidy();
    auto check = [&](const CProgDb& db, uint32_t nCodePage, const std::string& strName) {
        CAccessHtmlOut out(nCodePage);
        CProgDb& writable = const_cast<CProgDb&>(db);
        const std::string strPath = dir.File(strName + ".html");
        EXPECT_TRUE(out.SaveDb(strPath, &writable));
        const std::string page = ReadText(strPath);
        EXPECT_EQ(page, HtmlText(db, nCodePage));
        EXPECT_EQ(page.compare(0, 15, "<!DOCTYPE html>"), 0);
        EXPECT_EQ(page.find("<script"), std::string::npos);
        EXPECT_EQ(page.find("src="), std::string::npos);
        EXPECT_EQ(page.find("href="), std::string::npos);
        EXPECT_NE(page.find("@media print"), std::string::npos);
        if (bTidy) {
            std::string strOutput;
            EXPECT_EQ(RunTidy(strPath, strOutput), 0) << strName << ":\n" << strOutput;
            EXPECT_EQ(strOutput, "") << strName;
        }
        return page;
    };

    for (const SNamed& named : NAMED) {
        CProgDb db;
        FillNamed(db, named);
        AddProg(db, 0, named.progBytes.substr(0, 2));
        const std::string page = check(db, named.nCodePage, std::to_string(named.nCodePage));
        EXPECT_EQ(NameCells(page),
                  std::vector<std::string>(
                      {EscapeHtml(named.progUtf8),
                       EscapeHtml(CUtf8NameDecoder(named.nCodePage).ToUtf8(named.progBytes.substr(0, 2)))}));
        EXPECT_NE(page.find("<h2>" + EscapeHtml(named.satUtf8) + "</h2>"), std::string::npos)
            << named.nCodePage;
        EXPECT_NE(page.find(">11747/V/27500</th>"), std::string::npos);
        EXPECT_NE(page.find("<td>Scr Skip Hide Fav 15</td>"), std::string::npos);
    }

    CProgDb db;
    AddSat(db, ""); // no name, no transponders
    AddSat(db, "Full");
    AddTp(db, 1, 10000, 22000, 0); // no programs
    AddTp(db, 1, 11000, 22000, 0);
    AddTp(db, 9, 12000, 27500, 1); // of no satellite
    AddProg(db, 1, "first");
    AddProg(db, 2, "orphan tp");
    AddProg(db, 7, "no tp");
    AddProg(db, 1, "");
    const std::string page = check(db, 1252, "parents");
    EXPECT_EQ(NameCells(page), std::vector<std::string>({"first", "", "orphan tp", "no tp"}));
    for (const char* pszText : {"<h2>(no name)</h2>\n<p class=\"none\">No transponders.</p>", "<h2>Full</h2>",
                                "No programs.", "<h2>Transponders without a satellite</h2>",
                                "<h2>Programs without a transponder</h2>", "<td class=\"n\">3</td>"})
        EXPECT_NE(page.find(pszText), std::string::npos) << pszText;

    CProgDb empty;
    EXPECT_NE(check(empty, 1252, "empty").find("0 satellites, 0 transponders, 0 programs"),
              std::string::npos);
    if (!bTidy)
        GTEST_SKIP() << "tidy is not installed (scripts/test.sh installs it): the pages were not validated";
}
