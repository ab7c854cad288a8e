// CXmlDoc: the encoding of a file, and reading and writing it.

#include "sheet/XmlDoc.h"

#include "platform/CodePage.h"
#include "platform/FileIO.h"
#include "sheet/XmlScanner.h"

#include <algorithm>
#include <limits>
#include <vector>

using XmlText::IsSpace;
using XmlText::Lower;
using XmlText::StartsWith;

namespace {

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

// The charset of an HTML <meta http-equiv="Content-Type" content="...; charset=NAME">.
std::string MetaCharset(std::string_view head)
{
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

// Where an XML declaration starts (after leading white space), or npos.
size_t XmlDeclaration(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    return StartsWith(text, i, "<?xml") ? i : std::string_view::npos;
}

// The encoding a document declares at its start: the XML declaration's encoding, or for HTML the
// charset of its Content-Type meta element.
std::string DeclaredEncoding(std::string_view head)
{
    const size_t i = XmlDeclaration(head);
    if (i == std::string_view::npos)
        return MetaCharset(head);
    const size_t close = head.find("?>", i);
    return FindQuotedValue(
        head.substr(i + 5, close == std::string_view::npos ? std::string_view::npos : close - i - 5),
        "encoding");
}

bool IsValidUtf8(const std::string& s)
{
    // Invalid sequences turn into U+FFFD on the way through UTF-16, so the text comes back changed.
    using namespace CodePage;
    return Convert(Convert(s, CP_UTF8, CP_UTF16LE), CP_UTF16LE, CP_UTF8) == s;
}

// The file's bytes without the mark and the zero bytes (zero 16-bit units in UTF-16), which carry
// nothing in a document; in UTF-32 every character has zero bytes, and they are kept.
std::string DropZeros(std::string strBytes, size_t nSkip, uint32_t nSource)
{
    std::string text;
    if (nSource == CodePage::CP_UTF16LE || nSource == CodePage::CP_UTF16BE) {
        text.reserve(strBytes.size() - nSkip);
        for (size_t i = nSkip; i + 1 < strBytes.size(); i += 2)
            if (strBytes[i] != '\0' || strBytes[i + 1] != '\0')
                text.append(strBytes, i, 2);
        return text;
    }
    text = std::move(strBytes);
    text.erase(0, nSkip);
    if (nSource != CodePage::CP_UTF32LE && nSource != CodePage::CP_UTF32BE &&
        text.find('\0') != std::string::npos)
        text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

} // namespace

CXmlDoc::CXmlDoc() : m_codePage(CodePage::GetAnsiCodePage())
{
    m_aElems.Reset();
}

bool CXmlDoc::LoadFile(const std::string& strPath)
{
    std::vector<uint8_t> data;
    if (ReadWholeFile(strPath, data) != ReadResult::Ok) {
        LoadBytes(std::string()); // an empty document, which is not well-formed
        return false;
    }
    std::string bytes(data.begin(), data.end());
    data = std::vector<uint8_t>(); // the bytes are held once while the document is built
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

    // Text in the ANSI code page or UTF-8 is held as it is; any other is held in UTF-8.
    std::string text = DropZeros(std::move(strBytes), nSkip, nSource);
    if (nSource == nAnsi || nSource == CodePage::CP_UTF8) {
        m_codePage.Set(nSource);
    } else {
        text = CodePage::Convert(text, nSource, CodePage::CP_UTF8);
        m_codePage.Set(CodePage::CP_UTF8);
    }
    // Beyond what the element index can address (its offsets are 32-bit): refused, as an empty
    // document.
    if (text.size() >= std::numeric_limits<uint32_t>::max() / 2)
        text.clear();
    Parse(std::move(text));
    Rewind();
    m_marks.clear();
    return m_bWellFormed;
}

void CXmlDoc::Parse(std::string strText)
{
    m_strText = std::move(strText);
    ++m_nEdits;
    m_crlf = SPiece();
    m_bWellFormed = XmlScanner::Scan(m_strText, m_aElems);
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

std::string CXmlDoc::SaveBytes() const
{
    std::string text = Serialize();
    uint32_t nTarget;
    std::string mark;
    switch (m_bom) {
    case Bom::Utf8:
        nTarget = CodePage::CP_UTF8;
        mark = "\xEF\xBB\xBF";
        break;
    case Bom::Utf16Le:
        nTarget = CodePage::CP_UTF16LE;
        mark = "\xFF\xFE";
        break;
    case Bom::Utf16Be:
        nTarget = CodePage::CP_UTF16BE;
        mark = "\xFE\xFF";
        break;
    default: {
        std::string declared;
        if (XmlDeclaration(text) != std::string_view::npos)
            declared = DeclaredEncoding(std::string_view(text).substr(0, 1024));
        // An encoding this system does not know or convert was taken as it was; it is written
        // back the same way.
        nTarget = CodePage::CP_UTF8;
        if (!declared.empty() &&
            (!CodePage::FindEncodingName(declared, nTarget) || !CodePage::IsSupported(nTarget)))
            nTarget = m_codePage.Get();
        break;
    }
    }
    std::string bytes =
        nTarget == m_codePage.Get() ? std::move(text) : CodePage::Convert(text, m_codePage.Get(), nTarget);
    bytes.insert(0, mark);
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
    return m_codePage.FromDoc(Serialize());
}
