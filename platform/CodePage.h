#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Stand-in for the Windows code-page layer: one process-wide ANSI code page (the 8-bit code page
// in which record names are stored), the encoding names that documents declare, and conversions
// between any two code pages, UTF-8 and UTF-16 through iconv.

namespace CodePage {

constexpr uint32_t CP_UTF16LE = 1200;
constexpr uint32_t CP_UTF16BE = 1201;
constexpr uint32_t CP_UTF32LE = 12000;
constexpr uint32_t CP_UTF32BE = 12001;
constexpr uint32_t CP_UTF7 = 65000;
constexpr uint32_t CP_UTF8 = 65001;

// The process-wide ANSI code page. Until SetAnsiCodePage is called it is taken from the locale
// (LC_ALL, LC_CTYPE, LANG) the way Windows picks its ANSI code page from the system locale.
uint32_t GetAnsiCodePage();
void SetAnsiCodePage(uint32_t nCodePage);

// The ANSI code page Windows uses for a locale name such as "zh_CN.UTF-8" or "de_DE": 1252 when
// nothing more specific applies.
uint32_t AnsiCodePageForLocale(const std::string& strLocale);

// The iconv name of a Windows code page.
std::string IconvName(uint32_t nCodePage);
// Whether this machine's iconv converts the code page.
bool IsSupported(uint32_t nCodePage);

// Encoding names (lower case) with their code pages, kept as data in EncodingNames.cpp.
struct SEncodingName
{
    const char* pszName;
    uint32_t nCodePage;
};
extern const SEncodingName g_aEncodingNames[];
extern const size_t g_nEncodingNames;

// Looks an encoding name up, ASCII letters compared without case. Any name starting with "UTF-32"
// is UTF-32 (big-endian for "UTF-32BE", little-endian otherwise). False for the empty name and
// for names not in the table.
bool FindEncodingName(const std::string& strName, uint32_t& nCodePage);
// The code page a document in this encoding is read and written with: the empty name and unknown
// names give the ANSI code page, so such text is taken without conversion.
uint32_t CodePageFromName(const std::string& strName);

// Code pages whose Windows conversion calls accept no flags: the stateful ISO-2022, HZ and ISCII
// encodings, GB18030, UTF-7 and UTF-8.
bool TakesNoFlags(uint32_t nCodePage);

// True when bytes 0x00 to 0x7F are ASCII in the code page in both directions, so that pure ASCII
// text needs no conversion.
bool IsAsciiCompatible(uint32_t nCodePage);

// The default character, written for characters a code page cannot hold: '?' in that code page.
std::string DefaultChar(uint32_t nCodePage);

// Converts text of code page nFrom into code page nTo. Characters the target cannot hold become
// its default character; bytes the source does not define become U+FFFD on the way (and so the
// default character unless the target is a Unicode encoding). Text is returned unchanged when the
// code pages are equal or one of them is not supported.
std::string Convert(const std::string& strText, uint32_t nFrom, uint32_t nTo);

// Conversions to and from UTF-16 (the wide characters of the Windows calls).
std::u16string ToUtf16(const std::string& strText, uint32_t nFrom);
std::string FromUtf16(const std::u16string& strText, uint32_t nTo);

// Writes one Unicode character in code page nTo; false (nothing written) when the code page cannot
// hold it or it is no character (a surrogate or beyond U+10FFFF).
bool EncodeChar(char32_t chCode, uint32_t nTo, std::string& strOut);

// Shortcuts for UTF-8.
std::string ToUtf8(const std::string& strText, uint32_t nFrom);
std::string FromUtf8(const std::string& strUtf8, uint32_t nTo);

// A strict conversion from code page nFrom to nTo, kept open for many texts, for checking whether
// text survives a trip into another encoding: a text converts only when every byte sequence of it
// is defined in nFrom and every character can be held by nTo. Not shared between threads.
class CStrictConverter
{
public:
    CStrictConverter(uint32_t nFrom, uint32_t nTo);
    ~CStrictConverter();
    CStrictConverter(const CStrictConverter&) = delete;
    CStrictConverter& operator=(const CStrictConverter&) = delete;

    // False when iconv on this machine has no conversion between the two code pages.
    bool IsOpen() const;
    // The text converted into strOut; false (strOut then unspecified) when some of it cannot be
    // converted or the converter is not open.
    bool Convert(const std::string& strText, std::string& strOut);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_pImpl;
};

// Converts many texts of one code page to UTF-8, each exactly as ToUtf8 does, with the conversion
// kept open between them: decoding the names of a whole list. Not shared between threads.
class CUtf8Decoder
{
public:
    explicit CUtf8Decoder(uint32_t nFrom);
    ~CUtf8Decoder();
    CUtf8Decoder(const CUtf8Decoder&) = delete;
    CUtf8Decoder& operator=(const CUtf8Decoder&) = delete;

    uint32_t GetCodePage() const;
    std::string ToUtf8(const std::string& strText);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_pImpl;
};

} // namespace CodePage
