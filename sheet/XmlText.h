#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text of XML documents (private to the XML engine): character classes of the markup, escaping,
// references, and the conversion between a document's code page and the ANSI code page.

namespace XmlText {

inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// First character of a tag name: a letter, '_', ':' or any byte of a non-ASCII character.
inline bool IsNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

inline bool IsNameEnd(char c)
{
    return IsSpace(c) || c == '/' || c == '>' || c == '<';
}

// A name AppendChild and the attribute setters accept: nothing that would break the markup.
bool IsValidName(const std::string& s);

inline bool StartsWith(std::string_view s, size_t nAt, std::string_view prefix)
{
    return s.size() >= nAt + prefix.size() && s.compare(nAt, prefix.size(), prefix) == 0;
}

// ASCII letters folded to lower case.
std::string Lower(std::string_view s);

// Text with '&', '<' and '>' written as references; with bAttribute also '"' and '\''.
std::string Escape(const std::string& s, bool bAttribute);

// The character of a reference name (the text between '&' and ';'): decimal and hexadecimal
// character references, and the named references of HTML 4.01 with apos. False for anything else.
bool DecodeReference(std::string_view name, char32_t& c);

// The code page a document's text is held in, and the conversions between it and the
// process-wide ANSI code page (read at each call, so a change of it applies at once).
class CDocCodePage
{
public:
    explicit CDocCodePage(uint32_t nCodePage) : m_nCodePage(nCodePage) {}

    uint32_t Get() const { return m_nCodePage; }
    void Set(uint32_t nCodePage) { m_nCodePage = nCodePage; }

    // True when the text reads the same in the document and the ANSI code page.
    bool PassesThrough(std::string_view text) const;
    std::string ToDoc(const std::string& strAnsi) const;
    std::string FromDoc(std::string_view text) const;
    void AppendFromDoc(std::string_view text, std::string& strOut) const;

private:
    uint32_t m_nCodePage;
    // Whether ASCII text is the same in the document and the ANSI code page (as of m_nAnsi).
    mutable uint32_t m_nAnsi = 0;
    mutable bool m_bAsciiSame = false;
};

// Document text in the ANSI code page with its references decoded. A reference whose character the
// ANSI code page cannot hold stays as it is. With bMarkup (element content), CDATA sections are
// taken literally and comments and processing instructions are dropped.
std::string DecodeText(std::string_view text, bool bMarkup, const CDocCodePage& codePage);

} // namespace XmlText
