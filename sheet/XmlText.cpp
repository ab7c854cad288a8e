#include "sheet/XmlText.h"

#include "platform/CodePage.h"
#include "sheet/XmlEntities.h"

#include <cstring>
#include <unordered_map>
#include <utility>

namespace XmlText {

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Character of a named reference: the exact name first, then the name without regard to case
// (where two names differ only in case, such as Alpha and alpha, the exact spelling decides and
// any other spelling gives the first of the table).
bool LookupEntity(std::string_view name, char32_t& c)
{
    static const auto s_maps = [] {
        std::pair<std::unordered_map<std::string, char32_t>, std::unordered_map<std::string, char32_t>> m;
        for (size_t i = 0; i < g_nXmlEntities; ++i) {
            m.first.emplace(g_aXmlEntities[i].pszName, g_aXmlEntities[i].nCode);
            m.second.emplace(Lower(g_aXmlEntities[i].pszName), g_aXmlEntities[i].nCode);
        }
        return m;
    }();
    auto it = s_maps.first.find(std::string(name));
    if (it == s_maps.first.end()) {
        it = s_maps.second.find(Lower(name));
        if (it == s_maps.second.end())
            return false;
    }
    c = it->second;
    return true;
}

// The value of "#" digits or "#x" hex digits: false for no digits, zero, or beyond U+10FFFF.
bool DecodeCharacterReference(std::string_view name, char32_t& c)
{
    const bool bHex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    const size_t nStart = bHex ? 2 : 1;
    if (name.size() <= nStart)
        return false;
    uint32_t v = 0;
    for (size_t i = nStart; i < name.size(); ++i) {
        const char d = name[i];
        uint32_t digit;
        if (d >= '0' && d <= '9')
            digit = static_cast<uint32_t>(d - '0');
        else if (bHex && LowerAscii(d) >= 'a' && LowerAscii(d) <= 'f')
            digit = static_cast<uint32_t>(LowerAscii(d) - 'a' + 10);
        else
            return false;
        v = v * (bHex ? 16 : 10) + digit;
        if (v > 0x10FFFF)
            return false;
    }
    if (v == 0)
        return false;
    c = v;
    return true;
}

// Where the markup at text[i] ('<') ends, and what of it is text: a CDATA section gives its
// content, a comment or processing instruction nothing (an unclosed one runs to the end), any
// other '<' itself.
size_t SkipMarkup(std::string_view text, size_t i, std::string& strRun)
{
    const size_t n = text.size();
    if (StartsWith(text, i, "<![CDATA[")) {
        const size_t close = text.find("]]>", i + 9);
        const size_t end = close == std::string_view::npos ? n : close;
        strRun.append(text.substr(i + 9, end - i - 9));
        return close == std::string_view::npos ? n : close + 3;
    }
    if (StartsWith(text, i, "<!--")) {
        const size_t close = text.find("-->", i + 4);
        return close == std::string_view::npos ? n : close + 3;
    }
    if (StartsWith(text, i, "<?")) {
        const size_t close = text.find("?>", i + 2);
        return close == std::string_view::npos ? n : close + 2;
    }
    strRun += '<';
    return i + 1;
}

} // namespace

bool IsValidName(const std::string& s)
{
    if (s.empty() || !IsNameStart(s[0]))
        return false;
    for (char c : s)
        if (IsSpace(c) || std::strchr("<>&\"'/=", c))
            return false;
    return true;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string Escape(const std::string& s, bool bAttribute)
{
    if (s.find_first_of(bAttribute ? "&<>\"'" : "&<>") == std::string::npos)
        return s;
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += bAttribute ? "&quot;" : "\"";
            break;
        case '\'':
            out += bAttribute ? "&apos;" : "'";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool DecodeReference(std::string_view name, char32_t& c)
{
    if (name.empty())
        return false;
    if (name[0] != '#')
        return LookupEntity(name, c);
    return DecodeCharacterReference(name, c);
}

// ---- the document's code page ------------------------------------------------------------------

bool CDocCodePage::PassesThrough(std::string_view text) const
{
    const uint32_t nAnsi = CodePage::GetAnsiCodePage();
    if (nAnsi == m_nCodePage)
        return true;
    if (nAnsi != m_nAnsi) {
        m_nAnsi = nAnsi;
        m_bAsciiSame = CodePage::IsAsciiCompatible(nAnsi) && CodePage::IsAsciiCompatible(m_nCodePage);
    }
    if (!m_bAsciiSame)
        return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string CDocCodePage::ToDoc(const std::string& strAnsi) const
{
    if (PassesThrough(strAnsi))
        return strAnsi;
    return CodePage::Convert(strAnsi, CodePage::GetAnsiCodePage(), m_nCodePage);
}

std::string CDocCodePage::FromDoc(std::string_view text) const
{
    if (PassesThrough(text))
        return std::string(text);
    return CodePage::Convert(std::string(text), m_nCodePage, CodePage::GetAnsiCodePage());
}

void CDocCodePage::AppendFromDoc(std::string_view text, std::string& strOut) const
{
    if (PassesThrough(text))
        strOut += text;
    else
        strOut += CodePage::Convert(std::string(text), m_nCodePage, CodePage::GetAnsiCodePage());
}

// ---- decoding ----------------------------------------------------------------------------------

std::string DecodeText(std::string_view text, bool bMarkup, const CDocCodePage& codePage)
{
    const char* const pszSpecial = bMarkup ? "&<" : "&";
    if (text.find_first_of(pszSpecial) == std::string_view::npos)
        return codePage.FromDoc(text);
    const uint32_t nAnsi = CodePage::GetAnsiCodePage();
    std::string out;
    std::string run; // text of the document not yet converted
    auto flush = [&]() {
        if (!run.empty()) {
            codePage.AppendFromDoc(run, out);
            run.clear();
        }
    };
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t next = text.find_first_of(pszSpecial, i);
        if (next == std::string_view::npos) {
            run.append(text.substr(i));
            break;
        }
        run.append(text.substr(i, next - i));
        i = next;
        if (text[i] == '<') {
            i = SkipMarkup(text, i, run);
            continue;
        }
        // A reference: a name of at most nine characters, then ';'.
        const size_t semi = text.substr(i + 1, 10).find(';');
        char32_t c;
        std::string enc;
        if (semi != std::string_view::npos && DecodeReference(text.substr(i + 1, semi), c) &&
            CodePage::EncodeChar(c, nAnsi, enc)) {
            flush();
            out += enc;
            i += semi + 2;
        } else {
            run += '&';
            ++i;
        }
    }
    flush();
    return out;
}

} // namespace XmlText
