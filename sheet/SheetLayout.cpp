#include "sheet/SheetLayout.h"

#include "platform/Chars.h"
#include "platform/CodePage.h"

namespace SheetLayout {

const char* const g_satTitles[SAT_COLUMN_COUNT] = {
    "select", "SateName", "ProgSheet", "Longitude", "LocalFre1", "LocalFre2",    "12V",
    "22K",    "DiSEqC",   "DiSEqC12",  "Direction", "LnbType",   "DisEqC Motor", "TunerSel",
};

const char* const g_progTitles[PROG_COLUMN_COUNT] = {
    "ProgName", "Fre",       "SymbolRate", "Polar",  "VPID", "APID", "PCRPID",  "Scramble", "Hide",
    "Track",    "ServiceId", "PmtPid",     "AvType", "Lock", "Skip", "FavType", "TunerSel",
};

const FieldDesc* const g_satPlainFields[SATCOL_TUNERSEL - SATCOL_12V + 1] = {
    &SatField::V12,       &SatField::K22,     &SatField::DiSEqC,      &SatField::DiSEqC12,
    &SatField::Direction, &SatField::LnbType, &SatField::DisEqCMotor, &SatField::TunerSel,
};

const FieldDesc* const g_progPlainFields[PROGCOL_TUNERSEL - PROGCOL_PCRPID + 1] = {
    &ProgField::PCRPID,    &ProgField::Scramble, &ProgField::Hide,     &ProgField::Track,
    &ProgField::ServiceId, &ProgField::PmtPid,   &ProgField::AvType,   &ProgField::Lock,
    &ProgField::Skip,      &ProgField::FavType,  &ProgField::TunerSel,
};

std::string FormatNumber(uint32_t nValue)
{
    char buf[12];
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + nValue % 10);
        nValue /= 10;
    } while (nValue != 0);
    return std::string(p, buf + sizeof buf);
}

uint32_t ReadNumber(const std::string& strText)
{
    size_t i = 0;
    const size_t n = strText.size();
    // White space as the C locale knows it: blank, \t, \n, \v, \f, \r.
    while (i < n && (strText[i] == ' ' || (strText[i] >= '\t' && strText[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < n && (strText[i] == '+' || strText[i] == '-')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    uint64_t nValue = 0;
    bool bOverflow = false;
    for (; i < n && strText[i] >= '0' && strText[i] <= '9'; ++i) {
        if (!bOverflow) {
            nValue = nValue * 10 + static_cast<uint64_t>(strText[i] - '0');
            if (nValue > 0xFFFFFFFFull)
                bOverflow = true;
        }
    }
    if (bOverflow)
        return 0xFFFFFFFFu;
    const uint32_t nResult = static_cast<uint32_t>(nValue);
    return bNegative ? static_cast<uint32_t>(0u - nResult) : nResult;
}

const char* FormatPolar(uint32_t nPolar)
{
    return PolarName(nPolar);
}

uint32_t ReadPolar(const std::string& strText)
{
    return (strText == "H" || strText == "0") ? 0 : 1;
}

std::string FormatLnbFreq(uint32_t nIndex)
{
    return FormatNumber(LnbIndexToFreq(nIndex));
}

int ReadLnbFreq(const std::string& strText)
{
    return LnbFreqToIndex(ReadNumber(strText));
}

const char* FormatSelectMark(int32_t nSelect)
{
    switch (nSelect) {
    case 1:
        return "S";
    case 2:
        return "T";
    default:
        return "A";
    }
}

int32_t ReadSelectMark(const std::string& strText)
{
    if (strText.empty())
        return SELECT_SKIP;
    switch (strText[0]) {
    case 'S':
        return 1;
    case 'T':
        return 2;
    case 'A':
    case 'Y':
        return 0;
    default:
        return SELECT_SKIP;
    }
}

bool LooksLikeQuotedHex(const std::string& strText)
{
    const size_t n = strText.size();
    return n >= 6 && (n - 2) % 4 == 0 && strText[0] == '"' && strText[n - 1] == '"';
}

std::string DecodeNameCell(const std::string& strText, size_t nWidth)
{
    if (!LooksLikeQuotedHex(strText))
        return strText.substr(0, nWidth);
    std::string out;
    const size_t nGroups = (strText.size() - 2) / 4;
    for (size_t g = 0; g < nGroups && out.size() < nWidth; ++g) {
        const char* p = strText.data() + 1 + 4 * g;
        const int hi = HexDigit(p[2]);
        const int lo = HexDigit(p[3]);
        if (p[0] != '\\' || p[1] != 'x' || hi < 0 || lo < 0)
            break;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string QuotedHexName(const std::string& strBytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (unsigned char c : strBytes) {
        out += "\\x";
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out + "\"";
}

// With UTF-8 as the ANSI code page the bytes need only be valid UTF-8: they are checked through
// UTF-16.
CNameCellWriter::CNameCellWriter(uint32_t nCodePage)
    : m_toFile(nCodePage, FileCodePage(nCodePage)), m_fromFile(FileCodePage(nCodePage), nCodePage)
{}

uint32_t CNameCellWriter::FileCodePage(uint32_t nCodePage)
{
    return nCodePage == CodePage::CP_UTF8 ? CodePage::CP_UTF16LE : CodePage::CP_UTF8;
}

bool CNameCellWriter::RoundTrips(const std::string& strName)
{
    if (!m_toFile.IsOpen() || !m_fromFile.IsOpen()) // a code page iconv does not know is taken as it is
        return true;
    std::string file;
    std::string back;
    return m_toFile.Convert(strName, file) && m_fromFile.Convert(file, back) && back == strName;
}

std::string CNameCellWriter::Encode(const std::string& strName)
{
    bool bHigh = false;
    for (unsigned char c : strName) {
        if (c < 0x20 || c == 0x7F)
            return QuotedHexName(strName);
        if (c >= 0x80)
            bHigh = true;
    }
    if (LooksLikeQuotedHex(strName) || (bHigh && !RoundTrips(strName)))
        return QuotedHexName(strName);
    return strName;
}

namespace {

std::string FoldCase(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

CSheetNamer::CSheetNamer()
{
    m_used.insert(FoldCase(SAT_SHEET));
}

std::string CSheetNamer::BaseName(const std::string& strSatName)
{
    std::string base;
    const size_t n = strSatName.size() < SAT_NAME_LEN ? strSatName.size() : SAT_NAME_LEN;
    for (size_t i = 0; i < n; ++i) {
        const char c = strSatName[i];
        if (c == '_' && !base.empty() && base.back() == '_')
            continue;
        const bool bAlnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        base += bAlnum ? c : '_';
    }
    return base;
}

std::string CSheetNamer::MakeSheetName(const std::string& strSatName)
{
    const std::string base = BaseName(strSatName);
    std::string name = base;
    for (uint32_t n = 1; m_used.count(FoldCase(name)) != 0; ++n)
        name = base + FormatNumber(n);
    m_used.insert(FoldCase(name));
    return name;
}

} // namespace SheetLayout
