#include "sheet/XmlDoc.h"

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "sheet/XmlEntities.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// First character of a tag name: a letter, '_', ':' or any byte of a non-ASCII character.
bool IsNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool IsNameEnd(char c)
{
    return IsSpace(c) || c == '/' || c == '>' || c == '<';
}

// A name AppendChild and the attribute setters accept: nothing that would break the markup.
bool IsValidName(const std::string& s)
{
    if (s.empty() || !IsNameStart(s[0]))
        return false;
    for (char c : s)
        if (IsSpace(c) || std::strchr("<>&\"'/=", c))
            return false;
    return true;
}

bool StartsWith(std::string_view s, size_t nAt, const char* pszPrefix)
{
    const size_t n = std::strlen(pszPrefix);
    return s.size() >= nAt + n && s.compare(nAt, n, pszPrefix) == 0;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

std::string EscapeText(const std::string& s, bool bAttribute)
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

// Character of a reference name (the text between '&' and ';').
bool DecodeReference(std::string_view name, char32_t& c)
{
    if (name.empty())
        return false;
    if (name[0] != '#')
        return LookupEntity(name, c);
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

// Finds a pseudo-attribute or attribute value name="..." (or '...') in s, names compared without
// case. Returns the value, empty when absent.
std::string FindQuotedValue(std::string_view s, const char* pszName)
{
    const std::string lower = Lower(s);
    const std::string name = pszName;
    size_t pos = 0;
    while ((pos = lower.find(name, pos)) != std::string::npos) {
        const bool bStart = pos == 0 || IsSpace(lower[pos - 1]);
        size_t i = pos + name.size();
        pos = i;
        if (!bStart)
            continue;
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        if (i >= s.size() || s[i] != '=')
            continue;
        ++i;
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        if (i >= s.size() || (s[i] != '"' && s[i] != '\''))
            continue;
        const size_t close = s.find(s[i], i + 1);
        if (close == std::string_view::npos)
            return "";
        return std::string(s.substr(i + 1, close - i - 1));
    }
    return "";
}

// The encoding a document declares at its start: the XML declaration's encoding, or for HTML the
// charset in the content of <meta http-equiv="Content-Type" ...>.
std::string DeclaredEncoding(std::string_view head)
{
    size_t i = 0;
    while (i < head.size() && IsSpace(head[i]))
        ++i;
    if (StartsWith(head, i, "<?xml")) {
        const size_t close = head.find("?>", i);
        return FindQuotedValue(
            head.substr(i + 5, close == std::string_view::npos ? std::string_view::npos : close - i - 5),
            "encoding");
    }
    const std::string lower = Lower(head);
    size_t pos = 0;
    while ((pos = lower.find("<meta", pos)) != std::string::npos) {
        const size_t close = lower.find('>', pos);
        const std::string_view tag =
            head.substr(pos + 5, close == std::string::npos ? std::string::npos : close - pos - 5);
        pos += 5;
        if (Lower(FindQuotedValue(tag, "http-equiv")) != "content-type")
            continue;
        const std::string content = FindQuotedValue(tag, "content");
        const size_t cs = Lower(content).find("charset");
        if (cs == std::string::npos)
            continue;
        size_t k = cs + 7;
        while (k < content.size() && IsSpace(content[k]))
            ++k;
        if (k >= content.size() || content[k] != '=')
            continue;
        ++k;
        while (k < content.size() && IsSpace(content[k]))
            ++k;
        size_t e = k;
        while (e < content.size() && !IsSpace(content[e]) && content[e] != ';')
            ++e;
        return content.substr(k, e - k);
    }
    return "";
}

bool IsValidUtf8(const std::string& s)
{
    // Invalid sequences turn into U+FFFD on the way through UTF-16, so the text comes back changed.
    using namespace CodePage;
    return Convert(Convert(s, CP_UTF8, CP_UTF16LE), CP_UTF16LE, CP_UTF8) == s;
}

} // namespace

CXmlDoc::CXmlDoc() : m_nDocCodePage(CodePage::GetAnsiCodePage())
{
    m_aElems.Reset();
}

// ---- loading and saving ------------------------------------------------------------------------

bool CXmlDoc::LoadFile(const std::string& strPath)
{
    std::vector<uint8_t> data;
    if (ReadWholeFile(strPath, data) != ReadResult::Ok) {
        LoadBytes(std::string());
        m_bWellFormed = false;
        return false;
    }
    std::string bytes(data.begin(), data.end());
    data = std::vector<uint8_t>();
    return LoadBytes(std::move(bytes));
}

bool CXmlDoc::LoadBytes(std::string strBytes)
{
    const uint32_t nAnsi = CodePage::GetAnsiCodePage();
    m_bom = Bom::None;
    m_strEncoding.clear();
    size_t nSkip = 0;
    if (strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        m_bom = Bom::Utf8;
        m_strEncoding = "UTF-8";
        nSkip = 3;
    } else if (strBytes.compare(0, 2, "\xFF\xFE") == 0) {
        m_bom = Bom::Utf16Le;
        m_strEncoding = "UTF-16LE";
        nSkip = 2;
    } else if (strBytes.compare(0, 2, "\xFE\xFF") == 0) {
        m_bom = Bom::Utf16Be;
        m_strEncoding = "UTF-16BE";
        nSkip = 2;
    } else {
        // The declaration is ASCII; zero bytes are skipped so that it is found in UTF-16 or UTF-32
        // text without a mark as well.
        std::string head;
        for (size_t i = 0; i < strBytes.size() && i < 1024; ++i)
            if (strBytes[i] != '\0')
                head += strBytes[i];
        m_strEncoding = DeclaredEncoding(head);
    }

    uint32_t nSource;
    if (!m_strEncoding.empty())
        nSource = CodePage::CodePageFromName(m_strEncoding);
    else if (!strBytes.empty() && strBytes[0] == '<')
        nSource = CodePage::CP_UTF8;
    else if (IsValidUtf8(strBytes))
        nSource = CodePage::CP_UTF8;
    else
        nSource = nAnsi;
    if (!CodePage::IsSupported(nSource))
        nSource = nAnsi;

    std::string text;
    if (nSource == CodePage::CP_UTF16LE || nSource == CodePage::CP_UTF16BE) {
        // Zero 16-bit units are dropped.
        text.reserve(strBytes.size() - nSkip);
        for (size_t i = nSkip; i + 1 < strBytes.size(); i += 2)
            if (strBytes[i] != '\0' || strBytes[i + 1] != '\0')
                text.append(strBytes, i, 2);
    } else {
        text = std::move(strBytes);
        text.erase(0, nSkip);
        // Zero bytes are dropped, except in UTF-32, where every character has some.
        if (nSource != CodePage::CP_UTF32LE && nSource != CodePage::CP_UTF32BE &&
            text.find('\0') != std::string::npos)
            text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    }
    if (nSource == nAnsi || nSource == CodePage::CP_UTF8) {
        m_nDocCodePage = nSource;
    } else {
        text = CodePage::Convert(text, nSource, CodePage::CP_UTF8);
        m_nDocCodePage = CodePage::CP_UTF8;
    }
    // Beyond what the element index can address (its offsets are 32-bit): refused.
    const bool bTooLarge = text.size() >= std::numeric_limits<uint32_t>::max() / 2;
    if (bTooLarge)
        text.clear();
    Parse(std::move(text));
    if (bTooLarge)
        m_bWellFormed = false;
    Rewind();
    m_marks.clear();
    return m_bWellFormed;
}

std::string CXmlDoc::SaveBytes() const
{
    std::string text = Serialize();
    uint32_t nTarget;
    std::string out;
    switch (m_bom) {
    case Bom::Utf8:
        nTarget = CodePage::CP_UTF8;
        out = "\xEF\xBB\xBF";
        break;
    case Bom::Utf16Le:
        nTarget = CodePage::CP_UTF16LE;
        out = "\xFF\xFE";
        break;
    case Bom::Utf16Be:
        nTarget = CodePage::CP_UTF16BE;
        out = "\xFE\xFF";
        break;
    default: {
        std::string declared;
        size_t i = 0;
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        if (StartsWith(text, i, "<?xml"))
            declared = DeclaredEncoding(std::string_view(text).substr(0, 1024));
        // An encoding this system does not know or convert was taken as it was; it is written
        // back the same way.
        nTarget = CodePage::CP_UTF8;
        if (!declared.empty() &&
            (!CodePage::FindEncodingName(declared, nTarget) || !CodePage::IsSupported(nTarget)))
            nTarget = m_nDocCodePage;
        break;
    }
    }
    std::string bytes =
        nTarget == m_nDocCodePage ? std::move(text) : CodePage::Convert(text, m_nDocCodePage, nTarget);
    bytes.insert(0, out);
    return bytes;
}

bool CXmlDoc::SaveFile(const std::string& strPath) const
{
    const std::string bytes = SaveBytes();
    std::string strError;
    return WriteFileAtomic(strPath, bytes.data(), bytes.size(), strError) == WriteResult::Ok;
}

std::string CXmlDoc::GetDocText() const
{
    return FromDoc(Serialize());
}

// ---- the element index -------------------------------------------------------------------------

void CXmlDoc::Parse(std::string strText)
{
    m_strText = std::move(strText);
    ++m_nEdits;
    m_aElems.Reset();
    m_crlf = SPiece();
    bool bOk = true;
    int nRoots = 0;
    std::vector<int32_t> stack;
    const std::string_view s(m_strText);
    const size_t n = s.size();
    size_t nMark = 0; // start of the text not yet given to a piece

    // Gives the text [nMark, nTo) to the element that contains it: the head of the innermost open
    // element while it has no children, else the tail of its last child.
    auto giveText = [&](size_t nTo) {
        const int32_t top = stack.empty() ? 0 : stack.back();
        SElem& e = m_aElems[top];
        SPiece& piece = e.nLast ? m_aElems[e.nLast].tail : e.head;
        piece.nOff = static_cast<uint32_t>(nMark);
        piece.nLen = static_cast<uint32_t>(nTo - nMark);
        nMark = nTo;
    };

    size_t p = 0;
    while (p < n) {
        const size_t lt = s.find('<', p);
        if (lt == std::string_view::npos)
            break;
        const char c1 = lt + 1 < n ? s[lt + 1] : '\0';
        if (c1 == '/') {
            size_t e = lt + 2;
            while (e < n && !IsNameEnd(s[e]))
                ++e;
            const std::string_view name = s.substr(lt + 2, e - lt - 2);
            const size_t gt = s.find('>', e);
            if (gt == std::string_view::npos) {
                bOk = false; // the tag runs to the end of the text
                break;
            }
            if (name.empty()) {
                bOk = false;
                p = lt + 1;
                continue;
            }
            size_t depth = stack.size();
            while (depth > 0 && Name(stack[depth - 1]) != name)
                --depth;
            if (depth == 0) {
                bOk = false; // end tag without a start tag: left as text
                p = gt + 1;
                continue;
            }
            giveText(lt);
            while (stack.size() > depth) {
                SElem& u = m_aElems[stack.back()];
                u.nFlags |= FLAG_UNENDED;
                u.end = SPiece{static_cast<uint32_t>(lt), 0};
                bOk = false;
                stack.pop_back();
            }
            SElem& el = m_aElems[stack.back()];
            el.end = SPiece{static_cast<uint32_t>(lt), static_cast<uint32_t>(gt + 1 - lt)};
            stack.pop_back();
            nMark = gt + 1;
            // The tail starts empty right after the end tag.
            el.tail = SPiece{static_cast<uint32_t>(nMark), 0};
            p = gt + 1;
        } else if (c1 == '!') {
            size_t close;
            size_t nCloseLen;
            if (StartsWith(s, lt, "<!--")) {
                close = s.find("-->", lt + 4);
                nCloseLen = 3;
            } else if (StartsWith(s, lt, "<![CDATA[")) {
                close = s.find("]]>", lt + 9);
                nCloseLen = 3;
            } else if (StartsWith(s, lt, "<!DOCTYPE")) {
                // Up to the '>' outside quotes and outside the internal subset in brackets.
                int nBrackets = 0;
                char quote = 0;
                close = std::string_view::npos;
                for (size_t i = lt + 9; i < n; ++i) {
                    const char c = s[i];
                    if (quote) {
                        if (c == quote)
                            quote = 0;
                    } else if (c == '"' || c == '\'') {
                        quote = c;
                    } else if (c == '[') {
                        ++nBrackets;
                    } else if (c == ']') {
                        --nBrackets;
                    } else if (c == '>' && nBrackets <= 0) {
                        close = i;
                        break;
                    }
                }
                nCloseLen = 1;
            } else {
                bOk = false; // "<!" that starts nothing known
                p = lt + 1;
                continue;
            }
            if (close == std::string_view::npos) {
                bOk = false;
                break;
            }
            p = close + nCloseLen;
        } else if (c1 == '?') {
            const size_t close = s.find("?>", lt + 2);
            if (close == std::string_view::npos) {
                bOk = false;
                break;
            }
            p = close + 2;
        } else if (IsNameStart(c1)) {
            size_t e = lt + 1;
            while (e < n && !IsNameEnd(s[e]))
                ++e;
            // Up to the '>' outside quoted attribute values.
            char quote = 0;
            size_t gt = std::string_view::npos;
            for (size_t i = e; i < n; ++i) {
                const char c = s[i];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>' || c == '<') {
                    gt = i;
                    break;
                }
            }
            if (gt == std::string_view::npos) {
                bOk = false;
                break;
            }
            if (s[gt] == '<') {
                bOk = false; // a '<' inside a tag: the tag is malformed and left as text
                p = gt;
                continue;
            }
            const int32_t parent = stack.empty() ? 0 : stack.back();
            if (parent == 0)
                ++nRoots;
            giveText(lt);
            const int32_t idx = static_cast<int32_t>(m_aElems.size());
            SElem el;
            el.start = SPiece{static_cast<uint32_t>(lt), static_cast<uint32_t>(gt + 1 - lt)};
            el.nNameLen = static_cast<uint32_t>(e - lt - 1);
            el.nParent = parent;
            el.head = el.end = el.tail = SPiece{static_cast<uint32_t>(gt + 1), 0};
            if (s[gt - 1] == '/')
                el.nFlags |= FLAG_EMPTY_TAG;
            m_aElems.push_back(el);
            SElem& par = m_aElems[parent];
            if (par.nLast)
                m_aElems[par.nLast].nNext = idx;
            else
                par.nFirst = idx;
            par.nLast = idx;
            nMark = gt + 1;
            if (!(el.nFlags & FLAG_EMPTY_TAG))
                stack.push_back(idx);
            p = gt + 1;
        } else {
            bOk = false; // '<' not followed by a name, '!' or '?'
            p = lt + 1;
        }
    }
    giveText(n);
    for (int32_t idx : stack) {
        m_aElems[idx].nFlags |= FLAG_UNENDED;
        m_aElems[idx].end = SPiece{static_cast<uint32_t>(n), 0};
        bOk = false;
    }
    m_bWellFormed = bOk && nRoots == 1;
}

std::string CXmlDoc::Serialize() const
{
    std::string out;
    out.reserve(m_strText.size());
    out += View(m_aElems[0].head);
    int32_t n = m_aElems[0].nFirst;
    while (n) {
        const SElem& e = m_aElems[n];
        out += View(e.start);
        out += View(e.head);
        if (e.nFirst) {
            n = e.nFirst;
            continue;
        }
        while (n) {
            const SElem& c = m_aElems[n];
            out += View(c.end);
            out += View(c.tail);
            if (c.nNext) {
                n = c.nNext;
                break;
            }
            n = c.nParent;
        }
    }
    return out;
}

std::string_view CXmlDoc::Name(int32_t nElem) const
{
    const SElem& e = m_aElems[nElem];
    return std::string_view(m_strText).substr(e.start.nOff + 1, e.nNameLen);
}

CXmlDoc::SPiece CXmlDoc::Store(std::initializer_list<std::string_view> parts)
{
    size_t n = 0;
    for (std::string_view p : parts)
        n += p.size();
    if (m_strText.size() + n >= std::numeric_limits<uint32_t>::max())
        throw std::length_error("XML document too large");
    ++m_nEdits;
    SPiece piece{static_cast<uint32_t>(m_strText.size()), static_cast<uint32_t>(n)};
    for (std::string_view p : parts)
        m_strText.append(p.data(), p.size());
    return piece;
}

// True when text needs no conversion between the document and the ANSI code page.
bool CXmlDoc::PassesThrough(std::string_view text) const
{
    const uint32_t nAnsi = CodePage::GetAnsiCodePage();
    if (nAnsi == m_nDocCodePage)
        return true;
    if (nAnsi != m_nAnsi) {
        m_nAnsi = nAnsi;
        m_bAsciiSame = CodePage::IsAsciiCompatible(nAnsi) && CodePage::IsAsciiCompatible(m_nDocCodePage);
    }
    if (!m_bAsciiSame)
        return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string CXmlDoc::ToDoc(const std::string& strAnsi) const
{
    if (PassesThrough(strAnsi))
        return strAnsi;
    return CodePage::Convert(strAnsi, CodePage::GetAnsiCodePage(), m_nDocCodePage);
}

std::string CXmlDoc::FromDoc(std::string_view text) const
{
    if (PassesThrough(text))
        return std::string(text);
    return CodePage::Convert(std::string(text), m_nDocCodePage, CodePage::GetAnsiCodePage());
}

// ---- navigation --------------------------------------------------------------------------------

void CXmlDoc::Rewind()
{
    m_cursor = SCursor();
}

bool CXmlDoc::Matches(int32_t nElem, const std::string& strName, const std::string& strAlt) const
{
    if (strName.empty())
        return true;
    const std::string_view name = Name(nElem);
    return name == strName || (!strAlt.empty() && name == strAlt);
}

int32_t CXmlDoc::FindSibling(int32_t nFrom, const std::string& strName, const std::string& strAlt) const
{
    for (int32_t n = nFrom; n; n = m_aElems[n].nNext)
        if (Matches(n, strName, strAlt))
            return n;
    return 0;
}

bool CXmlDoc::NextElement(const std::string& strName)
{
    return NextElementEither(strName, std::string());
}

bool CXmlDoc::NextElementEither(const std::string& strName, const std::string& strAltName)
{
    const std::string name = ToDoc(strName), alt = ToDoc(strAltName);
    const int32_t from =
        m_cursor.nCurrent ? m_aElems[m_cursor.nCurrent].nNext : m_aElems[m_cursor.nParent].nFirst;
    const int32_t found = FindSibling(from, name, alt);
    if (!found)
        return false;
    m_cursor.nCurrent = found;
    m_cursor.nChild = 0;
    return true;
}

bool CXmlDoc::NextChild(const std::string& strName)
{
    return NextChildEither(strName, std::string());
}

bool CXmlDoc::NextChildEither(const std::string& strName, const std::string& strAltName)
{
    if (!m_cursor.nCurrent && !NextElement())
        return false;
    const std::string name = ToDoc(strName), alt = ToDoc(strAltName);
    const SElem& cur = m_aElems[m_cursor.nCurrent];
    const int32_t from = m_cursor.nChild ? m_aElems[m_cursor.nChild].nNext : cur.nFirst;
    const int32_t found = FindSibling(from, name, alt);
    if (!found)
        return false;
    m_cursor.nChild = found;
    return true;
}

bool CXmlDoc::EnterChild()
{
    if (!m_cursor.nCurrent)
        return false;
    m_cursor.nParent = m_cursor.nCurrent;
    m_cursor.nCurrent = m_cursor.nChild;
    m_cursor.nChild = 0;
    return true;
}

void CXmlDoc::RewindChildren()
{
    m_cursor.nChild = 0;
}

bool CXmlDoc::SetChildElement(int32_t nElem)
{
    if (!m_cursor.nCurrent || nElem < 0 || static_cast<size_t>(nElem) >= m_aElems.size())
        return false;
    if (nElem && m_aElems[nElem].nParent != m_cursor.nCurrent)
        return false;
    m_cursor.nChild = nElem;
    return true;
}

bool CXmlDoc::MarkPosition(const std::string& strLabel)
{
    m_marks[strLabel] = m_cursor;
    return true;
}

bool CXmlDoc::ReturnToMark(const std::string& strLabel)
{
    auto it = m_marks.find(strLabel);
    if (it == m_marks.end())
        return false;
    m_cursor = it->second;
    return true;
}

// ---- reading -----------------------------------------------------------------------------------

std::string CXmlDoc::CurrentTag() const
{
    if (!m_cursor.nCurrent)
        return std::string();
    return FromDoc(Name(m_cursor.nCurrent));
}

// Finds attribute `name` in the start tag of nElem. The value is the text between its quotes (or
// the unquoted word); bHasValue is false for an attribute written without '='.
bool CXmlDoc::FindAttribute(int32_t nElem, std::string_view name, size_t& nValueOff, size_t& nValueLen,
                            bool& bHasValue) const
{
    const SElem& e = m_aElems[nElem];
    const std::string_view tag = View(e.start);
    size_t i = 1 + e.nNameLen;
    const size_t n = tag.size();
    while (i < n) {
        while (i < n && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        if (i >= n || tag[i] == '>')
            return false;
        const size_t nameStart = i;
        while (i < n && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/')
            ++i;
        const std::string_view attr = tag.substr(nameStart, i - nameStart);
        size_t k = i;
        while (k < n && IsSpace(tag[k]))
            ++k;
        bool bValue = false;
        size_t vOff = i, vLen = 0;
        if (k < n && tag[k] == '=') {
            ++k;
            while (k < n && IsSpace(tag[k]))
                ++k;
            bValue = true;
            if (k < n && (tag[k] == '"' || tag[k] == '\'')) {
                size_t close = tag.find(tag[k], k + 1);
                if (close == std::string_view::npos)
                    close = n - 1;
                vOff = k;
                vLen = close + 1 - k; // with the quotes
                i = close + 1;
            } else {
                size_t e2 = k;
                while (e2 < n && !IsSpace(tag[e2]) && tag[e2] != '>')
                    ++e2;
                vOff = k;
                vLen = e2 - k;
                i = e2;
            }
        }
        if (attr == name) {
            nValueOff = vOff;
            nValueLen = vLen;
            bHasValue = bValue;
            return true;
        }
        if (attr.empty())
            ++i; // a stray character: step over it
    }
    return false;
}

bool CXmlDoc::GetAttribute(int32_t nElem, const std::string& strName, std::string& strValue) const
{
    strValue.clear();
    if (!nElem)
        return false;
    size_t off, len;
    bool bValue;
    if (!FindAttribute(nElem, ToDoc(strName), off, len, bValue))
        return false;
    if (bValue) {
        std::string_view v = View(m_aElems[nElem].start).substr(off, len);
        if (!v.empty() && (v[0] == '"' || v[0] == '\'')) {
            v.remove_prefix(1);
            if (!v.empty() && (v.back() == '"' || v.back() == '\''))
                v.remove_suffix(1);
        }
        strValue = DecodeText(v, false);
    }
    return true;
}

std::string CXmlDoc::CurrentAttribute(const std::string& strName) const
{
    std::string v;
    GetAttribute(m_cursor.nCurrent, strName, v);
    return v;
}

std::string CXmlDoc::ChildAttribute(const std::string& strName) const
{
    std::string v;
    GetAttribute(m_cursor.nChild, strName, v);
    return v;
}

bool CXmlDoc::FindCurrentAttribute(const std::string& strName, std::string& strValue) const
{
    return GetAttribute(m_cursor.nCurrent, strName, strValue);
}

// Decodes references in text of the document and converts it to the ANSI code page. With bMarkup,
// CDATA sections are taken literally and comments and processing instructions are dropped.
std::string CXmlDoc::DecodeText(std::string_view text, bool bMarkup) const
{
    if (text.find_first_of(bMarkup ? "&<" : "&") == std::string_view::npos)
        return FromDoc(text);
    const uint32_t nAnsi = CodePage::GetAnsiCodePage();
    std::string out;
    std::string run; // text of the document not yet converted
    auto flush = [&]() {
        if (!run.empty()) {
            out += PassesThrough(run) ? run : CodePage::Convert(run, m_nDocCodePage, nAnsi);
            run.clear();
        }
    };
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t next = text.find_first_of(bMarkup ? "&<" : "&", i);
        if (next == std::string_view::npos) {
            run.append(text.substr(i));
            break;
        }
        run.append(text.substr(i, next - i));
        i = next;
        if (text[i] == '&') {
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
            continue;
        }
        if (StartsWith(text, i, "<![CDATA[")) {
            const size_t close = text.find("]]>", i + 9);
            const size_t end = close == std::string_view::npos ? n : close;
            run.append(text.substr(i + 9, end - i - 9));
            i = close == std::string_view::npos ? n : close + 3;
        } else if (StartsWith(text, i, "<!--")) {
            const size_t close = text.find("-->", i + 4);
            i = close == std::string_view::npos ? n : close + 3;
        } else if (StartsWith(text, i, "<?")) {
            const size_t close = text.find("?>", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
        } else {
            run += '<';
            ++i;
        }
    }
    flush();
    return out;
}

std::string CXmlDoc::CurrentText() const
{
    const int32_t cur = m_cursor.nCurrent;
    if (!cur)
        return std::string();
    const SElem& e = m_aElems[cur];
    if (e.nFirst || (e.nFlags & FLAG_EMPTY_TAG))
        return std::string();
    return DecodeText(View(e.head), true);
}

// Appends the decoded content of nElem (nested elements included) to strOut.
void CXmlDoc::AppendContent(int32_t nElem, std::string& strOut) const
{
    const SElem& root = m_aElems[nElem];
    if (root.nFlags & FLAG_EMPTY_TAG)
        return;
    strOut += DecodeText(View(root.head), true);
    int32_t n = root.nFirst;
    while (n) {
        const SElem& e = m_aElems[n];
        strOut += DecodeText(View(e.head), true);
        if (e.nFirst) {
            n = e.nFirst;
            continue;
        }
        while (n && n != nElem) {
            const SElem& c = m_aElems[n];
            strOut += DecodeText(View(c.tail), true);
            if (c.nNext) {
                n = c.nNext;
                break;
            }
            n = c.nParent;
        }
        if (n == nElem)
            break;
    }
}

std::string CXmlDoc::CurrentTextContent() const
{
    std::string out;
    if (m_cursor.nCurrent)
        AppendContent(m_cursor.nCurrent, out);
    return out;
}

// ---- editing -----------------------------------------------------------------------------------

bool CXmlDoc::AppendChild(const std::string& strName, const std::string& strText)
{
    const int32_t parent = m_cursor.nCurrent;
    if (!parent || !IsValidName(strName))
        return false;
    const std::string name = ToDoc(strName);
    if (!m_crlf.nLen)
        m_crlf = Store({"\r\n"});

    SElem el;
    el.nParent = parent;
    el.nNameLen = static_cast<uint32_t>(name.size());
    if (strText.empty()) {
        el.start = Store({"<", name, "/>"});
        el.nFlags = FLAG_EMPTY_TAG;
    } else {
        const std::string body = EscapeText(ToDoc(strText), false);
        const SPiece all = Store({"<", name, ">", body, "</", name, ">"});
        el.start = SPiece{all.nOff, static_cast<uint32_t>(name.size() + 2)};
        el.head = SPiece{el.start.nOff + el.start.nLen, static_cast<uint32_t>(body.size())};
        el.end = SPiece{el.head.nOff + el.head.nLen, static_cast<uint32_t>(name.size() + 3)};
    }
    el.tail = m_crlf; // every appended element ends its own line

    const int32_t idx = static_cast<int32_t>(m_aElems.size());
    int32_t prev; // the sibling the new element follows, 0 for the front
    SElem& par = m_aElems[parent];
    if (par.nFlags & FLAG_EMPTY_TAG) {
        // <P .../> becomes <P ...>CR LF<new/>CR LF</P>
        std::string tag(View(par.start));
        tag.erase(tag.size() - 2, 1); // the '/' of "/>"
        const std::string parentName(Name(parent));
        SElem& p2 = m_aElems[parent];
        p2.start = Store({tag});
        p2.head = m_crlf;
        p2.end = Store({"</", parentName, ">"});
        p2.nFlags &= static_cast<uint8_t>(~FLAG_EMPTY_TAG);
        prev = 0;
    } else if (m_cursor.nChild) {
        // After the child position, moved over the white space behind it when a tag comes next.
        prev = m_cursor.nChild;
        const SPiece tail = m_aElems[prev].tail;
        const std::string_view t = View(tail);
        size_t ip = 0;
        while (ip < t.size() && IsSpace(t[ip]))
            ++ip;
        if (ip < t.size() && t[ip] != '<')
            ip = 0;
        if (ip < t.size())
            el.tail = Store({"\r\n", std::string(t.substr(ip))});
        m_aElems[prev].tail = SPiece{tail.nOff, static_cast<uint32_t>(ip)};
    } else {
        // At the end tag; an empty content gets a line break in front as well.
        prev = par.nLast;
        if (!prev && par.head.nLen == 0)
            par.head = m_crlf;
    }

    SElem& p3 = m_aElems[parent];
    el.nNext = prev ? m_aElems[prev].nNext : p3.nFirst;
    m_aElems.push_back(el);
    SElem& p4 = m_aElems[parent];
    if (prev)
        m_aElems[prev].nNext = idx;
    else
        p4.nFirst = idx;
    if (!el.nNext)
        p4.nLast = idx;
    m_cursor.nChild = idx;
    return true;
}

bool CXmlDoc::SetAttribute(int32_t nElem, const std::string& strName, const std::string& strValue)
{
    if (!nElem || !IsValidName(strName))
        return false;
    const std::string name = ToDoc(strName);
    const std::string quoted = "\"" + EscapeText(ToDoc(strValue), true) + "\"";
    std::string tag(View(m_aElems[nElem].start));
    size_t off, len;
    bool bValue;
    if (FindAttribute(nElem, name, off, len, bValue)) {
        if (bValue)
            tag.replace(off, len, quoted);
        else
            tag.insert(off, "=" + quoted);
    } else {
        const bool bEmpty = tag.size() >= 2 && tag[tag.size() - 2] == '/';
        tag.insert(tag.size() - (bEmpty ? 2 : 1), " " + name + "=" + quoted);
    }
    m_aElems[nElem].start = Store({tag});
    return true;
}

bool CXmlDoc::SetCurrentAttribute(const std::string& strName, const std::string& strValue)
{
    return SetAttribute(m_cursor.nCurrent, strName, strValue);
}

bool CXmlDoc::SetCurrentAttribute(const std::string& strName, int32_t nValue)
{
    return SetAttribute(m_cursor.nCurrent, strName, std::to_string(nValue));
}

bool CXmlDoc::SetChildAttribute(const std::string& strName, const std::string& strValue)
{
    return SetAttribute(m_cursor.nChild, strName, strValue);
}

bool CXmlDoc::SetChildAttribute(const std::string& strName, int32_t nValue)
{
    return SetAttribute(m_cursor.nChild, strName, std::to_string(nValue));
}

bool CXmlDoc::SetChildText(const std::string& strText)
{
    const int32_t n = m_cursor.nChild;
    if (!n)
        return false;
    const std::string body = EscapeText(ToDoc(strText), false);
    SElem& e = m_aElems[n];
    // Nested elements are dropped from the text; their records stay but belong to no parent.
    for (int32_t c = e.nFirst; c;) {
        const int32_t next = m_aElems[c].nNext;
        m_aElems[c].nParent = -1;
        m_aElems[c].nNext = 0;
        c = next;
    }
    SElem& e1 = m_aElems[n];
    e1.nFirst = e1.nLast = 0;
    if (e.nFlags & FLAG_EMPTY_TAG) {
        if (body.empty())
            return true;
        std::string tag(View(e.start));
        tag.erase(tag.size() - 2, 1); // <name .../> becomes <name ...>
        const std::string name(Name(n));
        const SPiece start = Store({tag});
        const SPiece end = Store({"</", name, ">"});
        SElem& e2 = m_aElems[n];
        e2.start = start;
        e2.end = end;
        e2.nFlags &= static_cast<uint8_t>(~FLAG_EMPTY_TAG);
    }
    const SPiece head = Store({body});
    m_aElems[n].head = head;
    return true;
}
