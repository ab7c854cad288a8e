#include "access/AccessHtml.h"

#include "access/AccessDb.h"
#include "db/ChannelTable.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "platform/Utf.h"

namespace {

// Screen and paper alike: thin rules, the number column right-aligned; on paper a satellite's
// heading stays with its table, a transponder's with its first row, and the column headings are
// repeated on every page a table spans.
const char* const PAGE_HEAD = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Channel list</title>
<style>
body { font-family: "DejaVu Sans", "Noto Sans", "WenQuanYi Micro Hei", sans-serif; margin: 1.5em; color: #000; background: #fff; }
h1 { font-size: 1.4em; margin: 0 0 0.3em; }
h2 { font-size: 1.15em; margin: 1.4em 0 0.4em; }
table { border-collapse: collapse; margin-bottom: 0.5em; }
th, td { border: 1px solid #aaa; padding: 0.15em 0.5em; text-align: left; vertical-align: top; }
thead th { background: #e4e4e4; }
tbody th { background: #f2f2f2; }
td.n { text-align: right; }
p.none { font-style: italic; }
@media print {
  body { margin: 0; font-size: 9pt; }
  h2 { break-after: avoid; page-break-after: avoid; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; page-break-inside: avoid; }
  tbody th { break-after: avoid; page-break-after: avoid; }
  th, td { border-color: #000; }
  thead th, tbody th { background: none; }
}
</style>
</head>
<body>
)";

const char* const PAGE_TAIL = "</body>\n</html>\n";

bool IsForbidden(char32_t c)
{
    const bool bControl =
        (c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r') || (c >= 0x7F && c <= 0x9F);
    const bool bNonCharacter = (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
    return bControl || bNonCharacter;
}

std::string Count(size_t n, const char* pszOne, const char* pszMany)
{
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

class CHtmlWriter
{
public:
    explicit CHtmlWriter(const CChannelTable& table)
        : m_table(table), m_nColumns(2 + static_cast<int>(table.GetHeadings().size()))
    {}

    void Write(const CProgDb& db, std::string& out)
    {
        out += PAGE_HEAD;
        out += "<h1>Channel list</h1>\n<p>" +
               Count(size_t(db.GetSatList().GetCount()), "satellite", "satellites") + ", " +
               Count(size_t(db.GetTpList().GetCount()), "transponder", "transponders") + ", " +
               Count(size_t(db.GetProgList().GetCount()), "program", "programs") + "</p>\n";
        const std::vector<SChannelGroup>& groups = m_table.GetGroups();
        for (size_t i = 0; i < groups.size();) {
            // A section: the groups of one satellite, those of the transponders without one, or the
            // programs without a transponder.
            const SChannelGroup& first = groups[i];
            size_t nEnd = i + 1;
            while (nEnd < groups.size() && SameSection(first, groups[nEnd]))
                ++nEnd;
            out += "<section>\n<h2>";
            if (first.nSatIndex >= 0)
                out += first.strSatellite.empty() ? "(no name)" : EscapeHtml(first.strSatellite);
            else if (first.nTpIndex >= 0)
                out += "Transponders without a satellite";
            else
                out += "Programs without a transponder";
            out += "</h2>\n";
            if (first.nSatIndex >= 0 && first.nTpIndex < 0)
                out += "<p class=\"none\">No transponders.</p>\n";
            else
                Table(groups, i, nEnd, out);
            out += "</section>\n";
            i = nEnd;
        }
        out += PAGE_TAIL;
    }

private:
    static bool SameSection(const SChannelGroup& a, const SChannelGroup& b)
    {
        if (a.nSatIndex >= 0)
            return b.nSatIndex == a.nSatIndex;
        return b.nSatIndex < 0 && (a.nTpIndex >= 0) == (b.nTpIndex >= 0);
    }

    void Table(const std::vector<SChannelGroup>& groups, size_t nFirst, size_t nEnd, std::string& out) const
    {
        out += "<table>\n<thead><tr><th scope=\"col\">No.</th><th scope=\"col\">Name</th>";
        for (const std::string& strHeading : m_table.GetHeadings())
            out += "<th scope=\"col\">" + EscapeHtml(strHeading) + "</th>";
        out += "</tr></thead>\n";
        const std::string strSpan = std::to_string(m_nColumns);
        for (size_t g = nFirst; g < nEnd; ++g) {
            const SChannelGroup& group = groups[g];
            out += "<tbody>\n";
            if (group.nTpIndex >= 0)
                out += "<tr><th colspan=\"" + strSpan + "\" scope=\"rowgroup\">" +
                       EscapeHtml(group.strTransponder) + "</th></tr>\n";
            if (group.rows.empty())
                out += "<tr><td colspan=\"" + strSpan + "\">No programs.</td></tr>\n";
            for (const SChannelRow& row : group.rows) {
                out += "<tr><td class=\"n\">" + std::to_string(row.nNumber) + "</td><td dir=\"auto\">" +
                       EscapeHtml(row.strName) + "</td>";
                for (const std::string& strCell : row.cells)
                    out += "<td>" + EscapeHtml(strCell) + "</td>";
                out += "</tr>\n";
            }
            out += "</tbody>\n";
        }
        out += "</table>\n";
    }

    const CChannelTable& m_table;
    int m_nColumns;
};

} // namespace

std::string EscapeHtml(const std::string& strText)
{
    std::string out;
    out.reserve(strText.size() + 8);
    CodePage::ForEachCodePoint(strText, [&out](char32_t c) {
        switch (c) {
        case '&':
            out += "&amp;";
            return;
        case '<':
            out += "&lt;";
            return;
        case '>':
            out += "&gt;";
            return;
        case '"':
            out += "&quot;";
            return;
        case '\'':
            out += "&#39;";
            return;
        default:
            if (c < 0x80 && !IsForbidden(c))
                out += static_cast<char>(c);
            else
                CodePage::AppendUtf8(out, IsForbidden(c) ? char32_t(0xFFFD) : c);
        }
    });
    return out;
}

std::string HtmlText(const CProgDb& db, uint32_t nCodePage)
{
    SChannelColumns columns;
    columns.bServiceId = columns.bPids = columns.bFlags = true;
    const CChannelTable table = CChannelTable::Grouped(db, columns, nCodePage);
    std::string out;
    out.reserve(4096 + table.GetRowCount() * 200);
    CHtmlWriter(table).Write(db, out);
    return out;
}

CAccessHtmlOut::CAccessHtmlOut() : m_nCodePage(CodePage::GetAnsiCodePage()) {}

CAccessHtmlOut::CAccessHtmlOut(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

bool CAccessHtmlOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    const std::string text = HtmlText(*pDb, m_nCodePage);
    return WriteImageFile(strPath, text.data(), text.size());
}
