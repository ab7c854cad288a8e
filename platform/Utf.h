#pragma once

#include <cstddef>
#include <string>

// The Unicode encodings, done by hand (private to the code-page layer): UTF-8 read and written
// strictly, UTF-16 and UTF-32 as bytes in either order. Invalid input becomes U+FFFD.

namespace CodePage {

extern const char UTF8_REPLACEMENT[]; // U+FFFD in UTF-8

void AppendUtf8(std::string& out, char32_t c);
// Decodes one UTF-8 sequence at s[i]. Returns its length (0 for an invalid sequence: overlong
// forms, surrogates, values beyond U+10FFFF, missing continuation bytes).
size_t DecodeUtf8(const std::string& s, size_t i, char32_t& c);
// The code point at byte i of s and its length in bytes; an invalid sequence reads as U+FFFD and
// spans a lead byte with the continuation bytes that follow it (a truncated character), else the
// single byte. bValid tells which of the two it was.
size_t NextCodePoint(const std::string& s, size_t i, char32_t& c, bool& bValid);
// Calls fn(c) for each code point of s in order, as NextCodePoint reads them.
template <class Fn> void ForEachCodePoint(const std::string& s, Fn fn)
{
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        bool bValid;
        i += NextCodePoint(s, i, c, bValid);
        fn(c);
    }
}
// Valid UTF-8 with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(const std::string& s);
bool IsAscii(const std::string& s);

// Surrogate pairs are joined and split; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& w);
std::u16string Utf8ToUtf16(const std::string& s);
// UTF-16 bytes in the given order; bOdd is set when a byte is left over (it is not converted).
std::u16string BytesToUtf16(const std::string& s, bool bBigEndian, bool& bOdd);
std::string Utf16ToBytes(const std::u16string& w, bool bBigEndian);
// UTF-32 bytes; values that are no character, and bytes left over, become U+FFFD.
std::string Utf32BytesToUtf8(const std::string& s, bool bBigEndian);
std::string Utf8ToUtf32Bytes(const std::string& s, bool bBigEndian);

} // namespace CodePage
