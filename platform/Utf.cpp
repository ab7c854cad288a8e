#include "platform/Utf.h"

namespace CodePage {

const char UTF8_REPLACEMENT[] = "\xEF\xBF\xBD";

namespace {

// How many bytes one U+FFFD stands for where DecodeUtf8 failed at s[i]: a lead byte with the
// continuation bytes that follow it (a truncated character), else the single byte.
size_t InvalidUtf8Length(const std::string& s, size_t i)
{
    const unsigned char b0 = static_cast<unsigned char>(s[i]);
    size_t nMax = b0 >= 0xC2 && b0 <= 0xDF   ? 2
                  : b0 >= 0xE0 && b0 <= 0xEF ? 3
                  : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                                             : 1;
    size_t n = 1;
    while (n < nMax && i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

} // namespace

// ---- UTF-8 ------------------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

size_t DecodeUtf8(const std::string& s, size_t i, char32_t& c)
{
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = b(i);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    size_t n;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        c = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        c = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        c = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

size_t NextCodePoint(const std::string& s, size_t i, char32_t& c, bool& bValid)
{
    size_t n = DecodeUtf8(s, i, c);
    bValid = n != 0;
    if (!bValid) {
        c = 0xFFFD;
        n = InvalidUtf8Length(s, i);
    }
    return n;
}

std::string SanitizeUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        bool bValid;
        const size_t n = NextCodePoint(s, i, c, bValid);
        if (bValid)
            out.append(s, i, n);
        else
            out += UTF8_REPLACEMENT;
        i += n;
    }
    return out;
}

bool IsAscii(const std::string& s)
{
    for (char ch : s)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

// ---- UTF-16 and UTF-32 ------------------------------------------------------------------------

std::string Utf16ToUtf8(const std::u16string& w)
{
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t c = w[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // lone surrogate
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& s)
{
    std::u16string out;
    out.reserve(s.size());
    ForEachCodePoint(s, [&out](char32_t c) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    });
    return out;
}

std::u16string BytesToUtf16(const std::string& s, bool bBigEndian, bool& bOdd)
{
    std::u16string w;
    w.reserve(s.size() / 2);
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const unsigned lo = static_cast<unsigned char>(s[bBigEndian ? i + 1 : i]);
        const unsigned hi = static_cast<unsigned char>(s[bBigEndian ? i : i + 1]);
        w += static_cast<char16_t>(lo | (hi << 8));
    }
    bOdd = (s.size() & 1) != 0;
    return w;
}

std::string Utf16ToBytes(const std::u16string& w, bool bBigEndian)
{
    std::string out;
    out.reserve(w.size() * 2);
    for (char16_t u : w) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += bBigEndian ? hi : lo;
        out += bBigEndian ? lo : hi;
    }
    return out;
}

std::string Utf32BytesToUtf8(const std::string& s, bool bBigEndian)
{
    std::string out;
    out.reserve(s.size() / 4);
    for (size_t i = 0; i + 3 < s.size(); i += 4) {
        char32_t c = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char32_t b = static_cast<unsigned char>(s[i + k]);
            c |= b << (bBigEndian ? 8 * (3 - k) : 8 * k);
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        AppendUtf8(out, c);
    }
    if (s.size() % 4)
        out += UTF8_REPLACEMENT;
    return out;
}

std::string Utf8ToUtf32Bytes(const std::string& s, bool bBigEndian)
{
    std::string out;
    out.reserve(s.size() * 4);
    ForEachCodePoint(s, [&out, bBigEndian](char32_t c) {
        for (size_t k = 0; k < 4; ++k)
            out += static_cast<char>(c >> (bBigEndian ? 8 * (3 - k) : 8 * k));
    });
    return out;
}

} // namespace CodePage
