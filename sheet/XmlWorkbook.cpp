#include "sheet/XmlWorkbook.h"

#include "access/LastError.h"
#include "sheet/XmlDoc.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

// Element names of the spreadsheet namespace are matched with and without the "ss:" prefix:
// files saved by other spreadsheet applications write <ss:Worksheet> and <ss:Data>.

namespace {

const char* const NOT_A_SHEET = "Error: Not yet opened the WorkSheet!";

// A decimal attribute value read the way atoi reads it: leading blanks, a sign, digits up to the
// first other character; out-of-range values are clamped.
int64_t ParseDecimal(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
        ++i;
    bool bNeg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        bNeg = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > std::numeric_limits<int32_t>::max())
            v = std::numeric_limits<int32_t>::max();
    }
    return bNeg ? -v : v;
}

std::string Truncated(const char* psz)
{
    std::string s = psz ? psz : "";
    if (s.size() > 255)
        s.resize(255);
    return s;
}

// Whether a file can be created at strPath: its folder exists and is writable, and the path is
// not a folder or a file we may not write.
bool CanCreateFile(const std::string& strPath)
{
    if (strPath.empty() || strPath.back() == '/')
        return false;
    const size_t slash = strPath.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : strPath.substr(0, slash);
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(dir.c_str(), W_OK | X_OK) != 0)
        return false;
    if (::stat(strPath.c_str(), &st) == 0)
        return S_ISREG(st.st_mode) && ::access(strPath.c_str(), W_OK) == 0;
    return errno == ENOENT;
}

} // namespace

CXmlWorkbook::CXmlWorkbook() = default;

CXmlWorkbook::~CXmlWorkbook()
{
    CloseWorkbook();
}

void CXmlWorkbook::ForgetCursors()
{
    m_row = SRowCursor();
    m_cell = SCellCursor();
    m_table = STableCache();
}

bool CXmlWorkbook::OpenWorkbook(const std::string& strPath)
{
    CloseWorkbook();
    auto pDoc = std::make_unique<CXmlDoc>();
    bool bOk = false;
    try {
        bOk = pDoc->LoadFile(strPath);
    } catch (const std::exception&) {
        bOk = false;
    }
    if (!bOk) {
        SetLastErrorMsg("Open Excel failed! File = " + strPath);
        return false;
    }
    m_pDoc = std::move(pDoc);
    m_strPath = strPath;
    m_bOpened = true;
    return true;
}

bool CXmlWorkbook::CreateWorkbook(const std::string& strPath)
{
    CloseWorkbook();
    // The file is written only by SaveWorkbook, so that a failed export leaves an existing file as
    // it was; here it is only checked that it could be created.
    if (!CanCreateFile(strPath)) {
        SetLastErrorMsg("Create File Failed!");
        return false;
    }
    auto pDoc = std::make_unique<CXmlDoc>();
    if (!pDoc->LoadBytes(g_pszWorkbookTemplate)) {
        SetLastErrorMsg("Open Excel failed! File = " + strPath);
        return false;
    }
    m_pDoc = std::move(pDoc);
    m_strPath = strPath;
    m_bOpened = true;
    return true;
}

void CXmlWorkbook::CloseWorkbook()
{
    if (m_bOpened) {
        m_pDoc.reset();
        m_bOpened = false;
    }
    ForgetCursors();
}

bool CXmlWorkbook::SaveWorkbook(bool bWrite)
{
    if (!m_bOpened) {
        SetLastErrorMsg("Save Excel failed! File = " + m_strPath);
        return false;
    }
    if (!bWrite)
        return true;
    bool bOk = false;
    try {
        bOk = m_pDoc->SaveFile(m_strPath);
    } catch (const std::exception&) {
        bOk = false;
    }
    if (!bOk) {
        SetLastErrorMsg("Save Excel failed! File = " + m_strPath);
        return false;
    }
    return true;
}

bool CXmlWorkbook::OpenSheet(const std::string& strName)
{
    const std::string strError = "Open work sheet failed! Sheet=" + strName;
    if (!m_bOpened) {
        SetLastErrorMsg(strError);
        return false;
    }
    m_pDoc->Rewind();
    if (!m_pDoc->NextElementEither("Workbook", "ss:Workbook")) {
        SetLastErrorMsg(strError);
        return false;
    }
    while (m_pDoc->NextChildEither("Worksheet", "ss:Worksheet")) {
        if (m_pDoc->ChildAttribute("ss:Name") == strName) {
            m_pDoc->EnterChild();
            return true;
        }
    }
    SetLastErrorMsg(strError);
    return false;
}

bool CXmlWorkbook::CreateSheet(const std::string& strName)
{
    const std::string strError = "Create work sheet failed! -- " + strName;
    if (!m_bOpened) {
        SetLastErrorMsg(strError);
        return false;
    }
    try {
        m_pDoc->Rewind();
        if (!m_pDoc->NextElementEither("Workbook", "ss:Workbook")) {
            SetLastErrorMsg(strError);
            return false;
        }
        while (m_pDoc->NextChildEither("Worksheet", "ss:Worksheet")) {
            if (m_pDoc->ChildAttribute("ss:Name") == strName) {
                m_pDoc->EnterChild();
                return true;
            }
        }
        // The search left the child position on the last worksheet: the new one follows it.
        m_pDoc->AppendChild("Worksheet");
        m_pDoc->SetChildAttribute("ss:Name", strName);
        m_pDoc->EnterChild();
        m_pDoc->AppendChild("Table");
        m_pDoc->SetChildAttribute("ss:ExpandedColumnCount", "0");
        m_pDoc->SetChildAttribute("ss:ExpandedRowCount", "0");
        m_pDoc->RewindChildren();
        return true;
    } catch (const std::exception& e) {
        SetLastErrorMsg(Truncated(e.what()));
        return false;
    }
}

bool CXmlWorkbook::IsSheetCurrent() const
{
    if (!m_bOpened)
        return false;
    const std::string tag = m_pDoc->CurrentTag();
    return tag == "Worksheet" || tag == "ss:Worksheet";
}

// Moves into the worksheet's Table and reads its row and column counts. A table without a count
// (as other applications write it) is unbounded in that direction.
bool CXmlWorkbook::EnterTable(STableInfo& info)
{
    if (!m_pDoc->NextChildEither("Table", "ss:Table"))
        return false;
    m_pDoc->EnterChild();
    const int32_t table = m_pDoc->CurrentElement();
    if (m_table.nTable == table && m_table.nEdits == m_pDoc->EditCount()) {
        info = m_table.info;
        return true;
    }
    std::string v;
    info.bRowBound = m_pDoc->FindCurrentAttribute("ss:ExpandedRowCount", v);
    info.nRows = static_cast<int32_t>(ParseDecimal(v));
    info.bColumnBound = m_pDoc->FindCurrentAttribute("ss:ExpandedColumnCount", v);
    info.nColumns = static_cast<int32_t>(ParseDecimal(v));
    m_table = STableCache{table, m_pDoc->EditCount(), info};
    return true;
}

// With the Table current: makes row nRow the child position. A Row with ss:Index n is row n (the
// rows it skips are empty); any other Row follows the one before. Row numbers only grow, so a
// smaller ss:Index than the running number is taken as the next row. With bAppend, the rows missing
// up to nRow are inserted where they belong, each with ss:AutoFitHeight "0".
bool CXmlWorkbook::FindRow(int32_t nRow, bool bAppend)
{
    const int32_t table = m_pDoc->CurrentElement();
    int64_t number = 0;
    if (m_row.nTable == table && m_row.nRow && m_row.nNumber <= nRow && m_pDoc->SetChildElement(m_row.nRow))
        number = m_row.nNumber;
    while (number < nRow) {
        const int32_t before = m_pDoc->ChildElement();
        if (!m_pDoc->NextChildEither("Row", "ss:Row"))
            break;
        const int64_t index = ParseDecimal(m_pDoc->ChildAttribute("ss:Index"));
        const int64_t next = index > number ? index : number + 1;
        if (next > nRow) {
            // The next row starts after nRow: the row is missing, and new rows go in front of it.
            if (!bAppend || !before)
                return false;
            m_pDoc->SetChildElement(before);
            break;
        }
        number = next;
        m_row = SRowCursor{table, m_pDoc->ChildElement(), static_cast<int32_t>(number)};
    }
    if (number == nRow)
        return true;
    if (!bAppend)
        return false;
    while (number < nRow) {
        m_pDoc->AppendChild("Row");
        m_pDoc->SetChildAttribute("ss:AutoFitHeight", "0");
        ++number;
        m_row = SRowCursor{table, m_pDoc->ChildElement(), static_cast<int32_t>(number)};
    }
    return true;
}

// With the Row current: makes the cell of column nColumn the child position. ss:Index sets a
// cell's column (from 1); ss:MergeAcross m moves the following cell m columns further on. Only
// columns below nColumns are looked at. With bAppend, missing cells are appended up to the column;
// when a cell already lies past the column there is none to write (appending more would put the
// text into a cell that reads as another column).
bool CXmlWorkbook::FindCell(int32_t nColumn, int64_t nColumns, bool bAppend)
{
    const int32_t row = m_pDoc->CurrentElement();
    int64_t c = 0, prev = -1;
    if (m_cell.nRow == row && m_cell.nCell && m_cell.nColumn < nColumn &&
        m_pDoc->SetChildElement(m_cell.nCell)) {
        c = m_cell.nNext;
        prev = m_cell.nColumn;
    }
    bool bIncreasing = true; // a cell whose column is not above the one before ends the caching
    while (c < nColumns) {
        int64_t merge = 0;
        if (m_pDoc->NextChildEither("Cell", "ss:Cell")) {
            const int64_t index = ParseDecimal(m_pDoc->ChildAttribute("ss:Index"));
            if (index != 0)
                c = index - 1;
            merge = ParseDecimal(m_pDoc->ChildAttribute("ss:MergeAcross"));
            if (merge < 0)
                merge = 0;
        } else {
            if (!bAppend || c > nColumn)
                return false;
            m_pDoc->AppendChild("Cell");
        }
        if (c <= prev)
            bIncreasing = false;
        prev = c;
        if (bIncreasing && c >= 0 && c + 1 + merge <= std::numeric_limits<int32_t>::max())
            m_cell = SCellCursor{row, m_pDoc->ChildElement(), static_cast<int32_t>(c),
                                 static_cast<int32_t>(c + 1 + merge)};
        else
            m_cell = SCellCursor();
        if (c == nColumn)
            return true;
        c += 1 + merge;
    }
    return false;
}

// Makes an existing cell the current element: inside the table's bounds, without creating a row
// or a cell. False when there is none.
bool CXmlWorkbook::EnterExistingCell(int32_t nRow, int32_t nColumn)
{
    STableInfo info;
    if (nRow < 1 || nColumn < 0 || !EnterTable(info) || (info.bRowBound && nRow > info.nRows) ||
        (info.bColumnBound && nColumn >= info.nColumns) || !FindRow(nRow, false))
        return false;
    m_pDoc->EnterChild();
    if (!FindCell(nColumn, info.bColumnBound ? info.nColumns : std::numeric_limits<int64_t>::max(), false))
        return false;
    m_pDoc->EnterChild();
    return true;
}

bool CXmlWorkbook::GetCellText(int32_t nRow, int32_t nColumn, std::string& strText)
{
    if (!IsSheetCurrent()) {
        SetLastErrorMsg(NOT_A_SHEET);
        return false;
    }
    strText.clear();
    m_pDoc->MarkPosition();
    // The cell's text is all text of its first Data child, rich-text markup included; a Comment
    // (with a Data of its own) is not part of it.
    if (EnterExistingCell(nRow, nColumn) && m_pDoc->NextChildEither("Data", "ss:Data")) {
        m_pDoc->EnterChild();
        strText = m_pDoc->CurrentTextContent();
    }
    m_pDoc->ReturnToMark();
    return !strText.empty();
}

bool CXmlWorkbook::SetCellText(int32_t nRow, int32_t nColumn, const std::string& strText)
{
    if (!IsSheetCurrent()) {
        SetLastErrorMsg(NOT_A_SHEET);
        return false;
    }
    m_pDoc->MarkPosition();
    bool bOk = false;
    try {
        STableInfo info;
        if (nRow >= 1 && nColumn >= 0 && EnterTable(info)) {
            // A count the table does not give stays absent: writing it would hide the rows and
            // columns beyond it from every later read.
            const int32_t table = m_pDoc->CurrentElement();
            if (info.bRowBound && info.nRows < nRow) {
                m_pDoc->SetCurrentAttribute("ss:ExpandedRowCount", nRow);
                info.nRows = nRow;
            }
            int64_t nColumns = std::numeric_limits<int64_t>::max();
            if (info.bColumnBound) {
                nColumns = info.nColumns;
                if (nColumn >= nColumns) {
                    nColumns = nColumn + 1;
                    m_pDoc->SetCurrentAttribute("ss:ExpandedColumnCount", nColumn + 1);
                    info.nColumns = nColumn + 1;
                }
            }
            // The counts were written just now; the edits below do not touch the Table's tag.
            m_table = STableCache{table, 0, info};
            if (FindRow(nRow, true)) {
                m_pDoc->EnterChild();
                bOk = FindCell(nColumn, nColumns, true);
            }
            if (bOk) {
                m_pDoc->EnterChild();
                // Writing a cell again replaces its text.
                if (m_pDoc->NextChildEither("Data", "ss:Data")) {
                    m_pDoc->SetChildText(strText);
                } else {
                    m_pDoc->AppendChild("Data", strText);
                }
                m_pDoc->SetChildAttribute("ss:Type", "String");
            }
            if (m_table.nTable == table)
                m_table.nEdits = m_pDoc->EditCount();
        }
    } catch (const std::exception& e) {
        SetLastErrorMsg(Truncated(e.what()));
        bOk = false;
    }
    m_pDoc->ReturnToMark();
    return bOk;
}

bool CXmlWorkbook::SetCellLink(int32_t nRow, int32_t nColumn, const std::string& strTarget)
{
    if (!IsSheetCurrent()) {
        SetLastErrorMsg(NOT_A_SHEET);
        return false;
    }
    m_pDoc->MarkPosition();
    bool bOk = false;
    try {
        if (EnterExistingCell(nRow, nColumn)) {
            m_pDoc->SetCurrentAttribute("ss:HRef", strTarget);
            m_pDoc->SetCurrentAttribute("ss:StyleID", "s21");
            bOk = true;
        }
    } catch (const std::exception& e) {
        SetLastErrorMsg(Truncated(e.what()));
        bOk = false;
    }
    m_pDoc->ReturnToMark();
    return bOk;
}
