#include "db/Columns.h"

#include "platform/Chars.h"
#include "platform/CodePage.h"

#include <cstdio>

namespace {

constexpr bool RO = true;
constexpr bool RW = false;

// Headings are the list's own, "LnbTpype" included: the clipboard text and the saved column
// layouts carry them.
const CColumn g_satColumns[] = {
    {"SatID", CColumn::SRC_ID, nullptr, RO},
    {"Name", CColumn::SRC_NAME, nullptr, RW},
    {"Longitude", CColumn::SRC_FIELD, &SatField::Longitude, RW},
    {"LocalFre1", CColumn::SRC_LNB_FREQ, &SatField::LocalFre1, RW},
    {"LocalFre2", CColumn::SRC_LNB_FREQ, &SatField::LocalFre2, RW},
    {"12V", CColumn::SRC_FIELD, &SatField::V12, RW},
    {"22K", CColumn::SRC_FIELD, &SatField::K22, RW},
    {"DiSEqC", CColumn::SRC_FIELD, &SatField::DiSEqC, RW},
    {"DiSEqC12", CColumn::SRC_FIELD, &SatField::DiSEqC12, RW},
    {"Direction", CColumn::SRC_FIELD, &SatField::Direction, RW},
    {"LnbTpype", CColumn::SRC_FIELD, &SatField::LnbType, RW},
    {"DisEqC Motor", CColumn::SRC_FIELD, &SatField::DisEqCMotor, RW},
    {"TunerSel", CColumn::SRC_FIELD, &SatField::TunerSel, RW},
};
const CColumn g_tpColumns[] = {
    {"TpID", CColumn::SRC_ID, nullptr, RO},
    {"SatID", CColumn::SRC_PARENT, nullptr, RO},
    {"Frequency", CColumn::SRC_FIELD, &TpField::Frequency, RW},
    {"SymbolRate", CColumn::SRC_FIELD, &TpField::SymbolRate, RW},
    {"Polar", CColumn::SRC_FIELD, &TpField::Polar, RW},
};
const CColumn g_progColumns[] = {
    {"ProgID", CColumn::SRC_ID, nullptr, RO},
    {"TpID", CColumn::SRC_PARENT, nullptr, RO},
    {"ProgName", CColumn::SRC_NAME, nullptr, RW},
    {"VPID", CColumn::SRC_FIELD, &ProgField::VPID, RW},
    {"APID", CColumn::SRC_FIELD, &ProgField::APID, RW},
    {"PCRPID", CColumn::SRC_FIELD, &ProgField::PCRPID, RW},
    {"Scramble", CColumn::SRC_FIELD, &ProgField::Scramble, RW},
    {"Hide", CColumn::SRC_FIELD, &ProgField::Hide, RW},
    {"Track", CColumn::SRC_FIELD, &ProgField::Track, RW},
    {"ServiceId", CColumn::SRC_FIELD, &ProgField::ServiceId, RW},
    {"PmtPid", CColumn::SRC_FIELD, &ProgField::PmtPid, RW},
    {"AvType", CColumn::SRC_FIELD, &ProgField::AvType, RW},
    {"Lock", CColumn::SRC_FIELD, &ProgField::Lock, RW},
    {"Skip", CColumn::SRC_FIELD, &ProgField::Skip, RW},
    {"FavType", CColumn::SRC_FIELD, &ProgField::FavType, RW},
    {"TunerSel", CColumn::SRC_FIELD, &ProgField::TunerSel, RW},
};

constexpr int SAT_COLUMNS = sizeof(g_satColumns) / sizeof(g_satColumns[0]);
constexpr int TP_COLUMNS = sizeof(g_tpColumns) / sizeof(g_tpColumns[0]);
constexpr int PROG_COLUMNS = sizeof(g_progColumns) / sizeof(g_progColumns[0]);
static_assert(SAT_COLUMNS == 13 && TP_COLUMNS == 5 && PROG_COLUMNS == 16, "column counts");

const CColumn* TableOf(int32_t nKind)
{
    switch (nKind) {
    case NODE_SAT:
        return g_satColumns;
    case NODE_TP:
        return g_tpColumns;
    case NODE_PROG:
        return g_progColumns;
    default:
        return nullptr;
    }
}

std::string Quoted(const std::string& strText)
{
    return "\"" + strText + "\"";
}

std::string Trimmed(const std::string& strText)
{
    size_t nFirst = 0, nEnd = strText.size();
    while (nFirst < nEnd && (strText[nFirst] == ' ' || strText[nFirst] == '\t'))
        ++nFirst;
    while (nEnd > nFirst && (strText[nEnd - 1] == ' ' || strText[nEnd - 1] == '\t'))
        --nEnd;
    return strText.substr(nFirst, nEnd - nFirst);
}

// A decimal or 0x-hexadecimal number without sign. bOverflow: digits that do not fit 32 bits.
bool ParseNumber(const std::string& strText, uint32_t& nValue, bool& bOverflow)
{
    const bool bHex = strText.size() > 2 && strText[0] == '0' && (strText[1] == 'x' || strText[1] == 'X');
    const unsigned nBase = bHex ? 16 : 10;
    size_t i = bHex ? 2 : 0;
    if (i >= strText.size())
        return false;
    uint64_t n = 0;
    bOverflow = false;
    for (; i < strText.size(); ++i) {
        const int nDigit = HexDigit(strText[i]);
        if (nDigit < 0 || static_cast<unsigned>(nDigit) >= nBase)
            return false;
        n = n * nBase + static_cast<unsigned>(nDigit);
        if (n > 0xFFFFFFFFu) {
            bOverflow = true;
            n = 0xFFFFFFFFu + uint64_t(1); // keeps reading digits without growing
        }
    }
    nValue = static_cast<uint32_t>(n);
    return true;
}

bool ParseFieldNumber(const CColumn& col, const std::string& strText, uint32_t& nValue, std::string& strError)
{
    const uint32_t nMax = FieldMask(col.pField->nWidth);
    char szRange[64];
    std::snprintf(szRange, sizeof szRange, "enter 0 to %u (0x0 to 0x%X)", nMax, nMax);
    const std::string strNumber = Trimmed(strText);
    bool bOverflow = false;
    if (!ParseNumber(strNumber, nValue, bOverflow)) {
        strError = std::string(col.pszHeading) + ": " + Quoted(strText) + " is not a number; " + szRange;
        return false;
    }
    if (bOverflow || nValue > nMax) {
        strError = std::string(col.pszHeading) + ": " + strNumber + " is out of range; " + szRange;
        return false;
    }
    return true;
}

bool ParseLnbFreq(const CColumn& col, const std::string& strText, uint32_t& nValue, std::string& strError)
{
    uint32_t nFreq = 0;
    bool bOverflow = false;
    const int nIndex =
        ParseNumber(Trimmed(strText), nFreq, bOverflow) && !bOverflow ? LnbFreqToIndex(nFreq) : -1;
    if (nIndex >= 0) {
        nValue = static_cast<uint32_t>(nIndex);
        return true;
    }
    strError =
        std::string(col.pszHeading) + ": " + Quoted(strText) + " is not an LNB frequency; enter one of ";
    for (int i = 0; i < LNB_FREQ_COUNT; ++i)
        strError += (i ? ", " : "") + std::to_string(LnbFreqTable[i]);
    return false;
}

bool ParsePolar(const CColumn& col, const std::string& strText, uint32_t& nValue, std::string& strError)
{
    const std::string strPolar = Trimmed(strText);
    if (strPolar == "H" || strPolar == "h" || strPolar == "0") {
        nValue = 0;
        return true;
    }
    if (strPolar == "V" || strPolar == "v" || strPolar == "1") {
        nValue = 1;
        return true;
    }
    strError =
        std::string(col.pszHeading) + ": " + Quoted(strText) + " is not a polarisation; enter H, V, 0 or 1";
    return false;
}

// The name's bytes in the ANSI code page, refused when a character has no byte there, when it is a
// control character (a tab or line break would split the clipboard text, a zero would cut the name)
// or when the bytes do not fit the field.
bool ParseName(const CColumn& col, size_t nFieldLen, const std::string& strText, std::string& strName,
               std::string& strError)
{
    const uint32_t nCodePage = CodePage::GetAnsiCodePage();
    const std::string strHead = std::string(col.pszHeading) + ": ";
    if (!CodePage::IsSupported(nCodePage)) {
        strError = strHead + "code page " + std::to_string(nCodePage) + " cannot be converted on this system";
        return false;
    }
    const std::u16string wide = CodePage::ToUtf16(strText, CodePage::CP_UTF8);
    std::string strBytes;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t ch = wide[i];
        size_t nUnits = 1;
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            nUnits = 2;
        }
        if (ch < 0x20 || ch == 0x7F) {
            strError = strHead + "control characters such as tabs and line breaks cannot be stored in a name";
            return false;
        }
        if (!CodePage::EncodeChar(ch, nCodePage, strBytes)) {
            const std::string strChar = CodePage::FromUtf16(wide.substr(i, nUnits), CodePage::CP_UTF8);
            strError = strHead + Quoted(strChar) + " has no byte in code page " + std::to_string(nCodePage);
            return false;
        }
        i += nUnits - 1;
    }
    if (strBytes.size() > nFieldLen) {
        strError = strHead + "the name takes " + std::to_string(strBytes.size()) + " bytes in code page " +
                   std::to_string(nCodePage) + "; at most " + std::to_string(nFieldLen) + " fit";
        return false;
    }
    strName = strBytes;
    return true;
}

} // namespace

int GetColumnCount(int32_t nKind)
{
    switch (nKind) {
    case NODE_SAT:
        return SAT_COLUMNS;
    case NODE_TP:
        return TP_COLUMNS;
    case NODE_PROG:
        return PROG_COLUMNS;
    default:
        return 0;
    }
}

const CColumn* GetColumn(int32_t nKind, int nColumn)
{
    if (nColumn < 0 || nColumn >= GetColumnCount(nKind))
        return nullptr;
    return &TableOf(nKind)[nColumn];
}

int FindColumn(int32_t nKind, const std::string& strHeading)
{
    for (int i = 0; i < GetColumnCount(nKind); ++i)
        if (strHeading == TableOf(nKind)[i].pszHeading)
            return i;
    return -1;
}

bool GetCellNumber(const CNode& node, int nColumn, int64_t& nValue)
{
    const CColumn* pCol = GetColumn(node.GetType(), nColumn);
    if (!pCol)
        return false;
    switch (pCol->nSource) {
    case CColumn::SRC_ID:
        nValue = node.GetId();
        return true;
    case CColumn::SRC_PARENT:
        nValue = node.GetParentId();
        return true;
    case CColumn::SRC_NAME:
        return false;
    case CColumn::SRC_FIELD:
    case CColumn::SRC_LNB_FREQ: {
        uint32_t nField = 0;
        if (node.GetType() == NODE_SAT)
            nField = static_cast<const CSatNode&>(node).GetRecord()->Get(*pCol->pField);
        else if (node.GetType() == NODE_TP)
            nField = static_cast<const CTpNode&>(node).GetRecord()->Get(*pCol->pField);
        else
            nField = static_cast<const CProgNode&>(node).GetRecord()->Get(*pCol->pField);
        nValue = pCol->nSource == CColumn::SRC_LNB_FREQ ? LnbIndexToFreq(nField) : nField;
        return true;
    }
    }
    return false;
}

std::string GetNodeName(const CNode& node)
{
    if (node.GetType() == NODE_SAT)
        return static_cast<const CSatNode&>(node).GetRecord()->GetName();
    if (node.GetType() == NODE_PROG)
        return static_cast<const CProgNode&>(node).GetRecord()->GetName();
    return std::string();
}

std::string GetCellText(const CNode& node, int nColumn)
{
    const CColumn* pCol = GetColumn(node.GetType(), nColumn);
    if (!pCol)
        return std::string();
    if (pCol->nSource == CColumn::SRC_NAME)
        return CodePage::ToUtf8(GetNodeName(node), CodePage::GetAnsiCodePage());
    int64_t nValue = 0;
    GetCellNumber(node, nColumn, nValue);
    return std::to_string(nValue);
}

bool ParseCellText(int32_t nKind, int nColumn, const std::string& strText, CCellValue& value,
                   std::string& strError)
{
    const CColumn* pCol = GetColumn(nKind, nColumn);
    if (!pCol) {
        strError = "There is no such column";
        return false;
    }
    if (pCol->bReadOnly) {
        strError = std::string(pCol->pszHeading) + " is read only";
        return false;
    }
    value = CCellValue();
    switch (pCol->nSource) {
    case CColumn::SRC_NAME:
        return ParseName(*pCol, nKind == NODE_SAT ? SAT_NAME_LEN : PROG_NAME_LEN, strText, value.strName,
                         strError);
    case CColumn::SRC_LNB_FREQ:
        return ParseLnbFreq(*pCol, strText, value.nValue, strError);
    default:
        break;
    }
    if (pCol->pField == &TpField::Polar)
        return ParsePolar(*pCol, strText, value.nValue, strError);
    return ParseFieldNumber(*pCol, strText, value.nValue, strError);
}
