#include "platform/CodePage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace CodePage {

namespace {

uint32_t g_nAnsi = 0; // 0: not yet decided

std::string LocaleFromEnvironment()
{
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v)
            return v;
    }
    return "";
}

const char UTF8_REPLACEMENT[] = "\xEF\xBF\xBD"; // U+FFFD

bool IsUtf16(uint32_t cp)
{
    return cp == CP_UTF16LE || cp == CP_UTF16BE;
}

bool IsUtf32(uint32_t cp)
{
    return cp == CP_UTF32LE || cp == CP_UTF32BE;
}

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

// Decodes one UTF-8 sequence at s[i]. Returns its length (0 for an invalid sequence: overlong
// forms, surrogates, values beyond U+10FFFF, missing continuation bytes).
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

// The code point at byte i of s and its length in bytes; an invalid sequence reads as U+FFFD and
// spans the bytes InvalidUtf8Length gives. bValid tells which of the two it was.
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

// Valid UTF-8 with every invalid sequence replaced by U+FFFD.
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

// The input must be valid UTF-8.
std::u16string Utf8ToUtf16(const std::string& s)
{
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        bool bValid;
        i += NextCodePoint(s, i, c, bValid);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
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
    size_t i = 0;
    while (i < s.size()) {
        char32_t c;
        bool bValid;
        i += NextCodePoint(s, i, c, bValid);
        for (size_t k = 0; k < 4; ++k)
            out += static_cast<char>(c >> (bBigEndian ? 8 * (3 - k) : 8 * k));
    }
    return out;
}

// ---- iconv ------------------------------------------------------------------------------------

class CIconv
{
public:
    CIconv(const std::string& to, const std::string& from) : m_cd(iconv_open(to.c_str(), from.c_str())) {}
    ~CIconv()
    {
        if (Ok())
            iconv_close(m_cd);
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Per code page facts, found once with iconv and kept for the life of the process.
struct SCodePageInfo
{
    bool bSupported = false;
    bool bAsciiCompatible = false;
    bool bSingleByte = false;
    std::array<std::string, 256> aToUtf8;           // single-byte code pages: each byte in UTF-8
    std::unordered_map<char32_t, char> mapFromCode; // single-byte code pages: the reverse
    std::string strDefault = "?";
};

// Converts in through cd. Input the converter rejects is handled by pfnBadInput, which appends a
// replacement and says how many input bytes to skip. The input goes in pieces: where a character
// cannot be converted, glibc redoes the work of the whole call up to it, which made long texts
// with many such characters take quadratic time. After such a character the pieces are small and
// grow again while the text converts.
template <typename FnBad>
void RunIconv(iconv_t cd, const std::string& in, std::string& out, FnBad pfnBadInput)
{
    const size_t CHUNK = 4096, SMALL = 32;
    size_t nPiece = CHUNK;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* pIn = const_cast<char*>(in.data());
    size_t nLeft = in.size();
    std::string buf(CHUNK * 8 + 64, '\0');
    while (nLeft > 0) {
        const size_t nGiven = std::min(nLeft, nPiece);
        size_t nChunk = nGiven;
        char* pOut = &buf[0];
        size_t nOut = buf.size();
        const size_t r = iconv(cd, &pIn, &nChunk, &pOut, &nOut);
        const int err = errno;
        out.append(buf.data(), pOut - buf.data());
        nLeft -= nGiven - nChunk;
        if (r != static_cast<size_t>(-1) || err == E2BIG) {
            nPiece = std::min(nPiece * 2, CHUNK);
            continue;
        }
        if (err == EINVAL && nLeft > nChunk)
            continue; // a character cut at the end of the piece: the next piece starts with it
        // EILSEQ (not convertible) or EINVAL (incomplete sequence at the end of the text): return
        // to the initial shift state, then let the caller write its replacement.
        pOut = &buf[0];
        nOut = buf.size();
        iconv(cd, nullptr, nullptr, &pOut, &nOut);
        out.append(buf.data(), pOut - buf.data());
        nPiece = SMALL;
        size_t nSkip = pfnBadInput(pIn, nLeft, err == EINVAL);
        if (nSkip == 0)
            nSkip = 1;
        if (nSkip > nLeft)
            nSkip = nLeft;
        pIn += nSkip;
        nLeft -= nSkip;
    }
    char* pOut = &buf[0];
    size_t nOut = buf.size();
    iconv(cd, nullptr, nullptr, &pOut, &nOut); // back to the initial shift state at the end
    out.append(buf.data(), pOut - buf.data());
}

std::unique_ptr<SCodePageInfo> ProbeCodePage(uint32_t cp)
{
    auto info = std::make_unique<SCodePageInfo>();
    if (cp == CP_UTF8 || IsUtf16(cp) || IsUtf32(cp)) {
        info->bSupported = true;
        info->bAsciiCompatible = cp == CP_UTF8;
        if (IsUtf16(cp))
            info->strDefault = Utf16ToBytes(u"?", cp == CP_UTF16BE);
        else if (IsUtf32(cp))
            info->strDefault = Utf8ToUtf32Bytes("?", cp == CP_UTF32BE);
        return info;
    }
    const std::string name = IconvName(cp);
    CIconv dec("UTF-8", name);
    CIconv enc(name, "UTF-8");
    if (!dec.Ok() || !enc.Ok())
        return info;
    info->bSupported = true;

    // The code page's own question mark is its default character.
    std::string q;
    RunIconv(enc.Get(), "?", q, [](const char*, size_t, bool) { return size_t(1); });
    if (!q.empty())
        info->strDefault = q;

    std::string ascii;
    for (int b = 1; b < 0x80; ++b)
        ascii += static_cast<char>(b);
    bool bBad = false;
    auto onBad = [&bBad](const char*, size_t, bool) {
        bBad = true;
        return size_t(1);
    };
    std::string decoded, encoded;
    RunIconv(dec.Get(), ascii, decoded, onBad);
    RunIconv(enc.Get(), ascii, encoded, onBad);
    info->bAsciiCompatible = !bBad && decoded == ascii && encoded == ascii;

    // Single-byte: every byte on its own decodes to one character or is undefined; a byte that
    // leaves an incomplete sequence is a lead byte of a multi-byte code page.
    if (TakesNoFlags(cp))
        return info;
    bool bSingle = true;
    for (int b = 0; b < 256 && bSingle; ++b) {
        std::string one(1, static_cast<char>(b)), u;
        bool bIncomplete = false, bInvalid = false;
        RunIconv(dec.Get(), one, u, [&](const char*, size_t, bool bInc) {
            (bInc ? bIncomplete : bInvalid) = true;
            return size_t(1);
        });
        char32_t c;
        if (bIncomplete || (!bInvalid && (u.empty() || DecodeUtf8(u, 0, c) != u.size())))
            bSingle = false;
        else
            info->aToUtf8[b] = bInvalid ? std::string(UTF8_REPLACEMENT) : u;
    }
    info->bSingleByte = bSingle;
    if (bSingle) {
        for (int b = 255; b >= 0; --b) { // the lowest byte wins where two bytes give one character
            char32_t c;
            const std::string& u = info->aToUtf8[b];
            if (u != UTF8_REPLACEMENT && DecodeUtf8(u, 0, c) == u.size())
                info->mapFromCode[c] = static_cast<char>(b);
        }
    }
    return info;
}

const SCodePageInfo& Info(uint32_t cp)
{
    // Every conversion asks for its two code pages, so the probed ones are also kept in a table
    // that is read without the lock.
    static std::atomic<const SCodePageInfo*> s_fast[65536];
    if (cp < 65536) {
        if (const SCodePageInfo* p = s_fast[cp].load(std::memory_order_acquire))
            return *p;
    }
    static std::mutex s_mutex;
    static std::map<uint32_t, std::unique_ptr<SCodePageInfo>> s_cache;
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_cache.find(cp);
    if (it == s_cache.end())
        it = s_cache.emplace(cp, ProbeCodePage(cp)).first;
    if (cp < 65536)
        s_fast[cp].store(it->second.get(), std::memory_order_release);
    return *it->second;
}

// Text of code page cp as valid UTF-8; the caller has checked that cp is supported.
std::string DecodeToUtf8(const std::string& s, uint32_t cp)
{
    if (cp == CP_UTF8)
        return SanitizeUtf8(s);
    if (IsUtf16(cp)) {
        bool bOdd = false;
        std::string out = Utf16ToUtf8(BytesToUtf16(s, cp == CP_UTF16BE, bOdd));
        if (bOdd)
            out += UTF8_REPLACEMENT;
        return out;
    }
    if (IsUtf32(cp))
        return Utf32BytesToUtf8(s, cp == CP_UTF32BE);
    const SCodePageInfo& info = Info(cp);
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    if (info.bSingleByte) {
        for (char ch : s)
            out += info.aToUtf8[static_cast<unsigned char>(ch)];
        return out;
    }
    CIconv cd("UTF-8", IconvName(cp));
    RunIconv(cd.Get(), s, out, [&out](const char*, size_t, bool) {
        out += UTF8_REPLACEMENT;
        return size_t(1);
    });
    return SanitizeUtf8(out);
}

// Valid UTF-8 in code page cp; the caller has checked that cp is supported.
std::string EncodeFromUtf8(const std::string& s, uint32_t cp)
{
    if (cp == CP_UTF8)
        return s;
    if (IsUtf16(cp))
        return Utf16ToBytes(Utf8ToUtf16(s), cp == CP_UTF16BE);
    if (IsUtf32(cp))
        return Utf8ToUtf32Bytes(s, cp == CP_UTF32BE);
    const SCodePageInfo& info = Info(cp);
    std::string out;
    out.reserve(s.size());
    if (info.bSingleByte) {
        size_t i = 0;
        while (i < s.size()) {
            char32_t c;
            bool bValid;
            i += NextCodePoint(s, i, c, bValid);
            if (c < 0x80 && info.bAsciiCompatible) {
                out += static_cast<char>(c);
                continue;
            }
            auto it = info.mapFromCode.find(c);
            if (it != info.mapFromCode.end())
                out += it->second;
            else
                out += info.strDefault;
        }
        return out;
    }
    CIconv cd(IconvName(cp), "UTF-8");
    RunIconv(cd.Get(), s, out, [&out, &info](const char* p, size_t n, bool) {
        out += info.strDefault;
        // Skip the whole character the target cannot hold.
        std::string rest(p, n < 4 ? n : 4);
        char32_t c;
        size_t len = DecodeUtf8(rest, 0, c);
        return len ? len : size_t(1);
    });
    return out;
}

} // namespace

uint32_t AnsiCodePageForLocale(const std::string& strLocale)
{
    // Language (and territory) part only: "zh_CN.UTF-8@x" -> "zh_CN".
    std::string s = strLocale.substr(0, strLocale.find_first_of(".@"));
    for (char& c : s)
        if (c == '-')
            c = '_';
    std::string lang = s.substr(0, s.find('_'));
    if (lang == "zh") {
        if (s == "zh_TW" || s == "zh_HK" || s == "zh_MO")
            return 950;
        return 936;
    }
    if (lang == "ja")
        return 932;
    if (lang == "ko")
        return 949;
    for (const char* l : {"ru", "uk", "bg", "be", "sr", "mk"})
        if (lang == l)
            return 1251;
    for (const char* l : {"cs", "pl", "hu", "sk", "sl", "hr", "ro", "bs", "sq"})
        if (lang == l)
            return 1250;
    if (lang == "el")
        return 1253;
    if (lang == "tr" || lang == "az")
        return 1254;
    if (lang == "he" || lang == "iw")
        return 1255;
    if (lang == "ar" || lang == "fa" || lang == "ur")
        return 1256;
    if (lang == "et" || lang == "lv" || lang == "lt")
        return 1257;
    if (lang == "vi")
        return 1258;
    if (lang == "th")
        return 874;
    return 1252;
}

uint32_t GetAnsiCodePage()
{
    if (g_nAnsi == 0)
        g_nAnsi = AnsiCodePageForLocale(LocaleFromEnvironment());
    return g_nAnsi;
}

void SetAnsiCodePage(uint32_t nCodePage)
{
    g_nAnsi = nCodePage;
}

std::string IconvName(uint32_t cp)
{
    switch (cp) {
    case 65001:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 12000:
        return "UTF-32LE";
    case 12001:
        return "UTF-32BE";
    case 20127:
        return "ASCII";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 54936:
        return "GB18030";
    case 51932:
    case 20932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 51936:
        return "EUC-CN";
    case 52936:
        return "HZ";
    case 50220:
    case 50221:
    case 50222:
        return "ISO-2022-JP";
    case 50225:
        return "ISO-2022-KR";
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 10017:
        return "MACUKRAINIAN";
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 10079:
        return "MAC-IS";
    case 65000:
        return "UTF-7";
    case 708:
        return "ISO-8859-6";
    case 1361:
        return "JOHAB";
    case 37:
        return "IBM037";
    case 21025:
        return "IBM1025";
    default:
        break;
    }
    if (cp >= 28591 && cp <= 28606 && cp != 28600 && cp != 28601 && cp != 28602 && cp != 28604)
        return "ISO-8859-" + std::to_string(cp - 28590);
    if (cp == 38598)
        return "ISO-8859-8";
    // The EBCDIC code pages 20273 to 20905 are IBM's code pages 273 to 905.
    for (uint32_t ibm : {273u, 277u, 278u, 280u, 284u, 285u, 290u, 297u, 420u, 423u, 424u, 871u, 880u, 905u})
        if (cp == 20000 + ibm)
            return "IBM" + std::to_string(ibm);
    return "CP" + std::to_string(cp);
}

bool IsSupported(uint32_t nCodePage)
{
    return Info(nCodePage).bSupported;
}

bool FindEncodingName(const std::string& strName, uint32_t& nCodePage)
{
    std::string lower = strName;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (lower.compare(0, 6, "utf-32") == 0) {
        nCodePage = lower == "utf-32be" ? CP_UTF32BE : CP_UTF32LE;
        return true;
    }
    static const std::unordered_map<std::string, uint32_t> s_map = [] {
        std::unordered_map<std::string, uint32_t> m;
        for (size_t i = 0; i < g_nEncodingNames; ++i)
            m.emplace(g_aEncodingNames[i].pszName, g_aEncodingNames[i].nCodePage);
        return m;
    }();
    auto it = s_map.find(lower);
    if (it == s_map.end())
        return false;
    nCodePage = it->second;
    return true;
}

uint32_t CodePageFromName(const std::string& strName)
{
    uint32_t cp;
    if (FindEncodingName(strName, cp))
        return cp;
    return GetAnsiCodePage();
}

bool TakesNoFlags(uint32_t cp)
{
    return (cp >= 50220 && cp <= 50222) || cp == 50225 || cp == 50227 || cp == 50229 || cp == 52936 ||
           cp == 54936 || (cp >= 57002 && cp <= 57011) || cp == 65000 || cp == 65001;
}

bool IsAsciiCompatible(uint32_t nCodePage)
{
    return Info(nCodePage).bAsciiCompatible;
}

std::string DefaultChar(uint32_t nCodePage)
{
    return Info(nCodePage).strDefault;
}

std::string Convert(const std::string& strText, uint32_t nFrom, uint32_t nTo)
{
    if (nFrom == nTo || strText.empty())
        return strText;
    const SCodePageInfo& from = Info(nFrom);
    const SCodePageInfo& to = Info(nTo);
    if (!from.bSupported || !to.bSupported)
        return strText;
    if (from.bAsciiCompatible && to.bAsciiCompatible && IsAscii(strText))
        return strText;
    return EncodeFromUtf8(DecodeToUtf8(strText, nFrom), nTo);
}

std::u16string ToUtf16(const std::string& strText, uint32_t nFrom)
{
    if (!Info(nFrom).bSupported)
        return Utf8ToUtf16(SanitizeUtf8(strText));
    return Utf8ToUtf16(DecodeToUtf8(strText, nFrom));
}

std::string FromUtf16(const std::u16string& strText, uint32_t nTo)
{
    const std::string utf8 = Utf16ToUtf8(strText);
    if (!Info(nTo).bSupported)
        return utf8;
    return EncodeFromUtf8(utf8, nTo);
}

bool EncodeChar(char32_t chCode, uint32_t nTo, std::string& strOut)
{
    if (chCode > 0x10FFFF || (chCode >= 0xD800 && chCode <= 0xDFFF))
        return false;
    const SCodePageInfo& info = Info(nTo);
    if (!info.bSupported)
        return false;
    std::string utf8;
    AppendUtf8(utf8, chCode);
    if (nTo == CP_UTF8 || IsUtf16(nTo) || IsUtf32(nTo)) {
        strOut += EncodeFromUtf8(utf8, nTo);
        return true;
    }
    if (chCode < 0x80 && info.bAsciiCompatible) {
        strOut += static_cast<char>(chCode);
        return true;
    }
    if (info.bSingleByte) {
        auto it = info.mapFromCode.find(chCode);
        if (it == info.mapFromCode.end())
            return false;
        strOut += it->second;
        return true;
    }
    CIconv cd(IconvName(nTo), "UTF-8");
    bool bBad = false;
    std::string out;
    RunIconv(cd.Get(), utf8, out, [&bBad](const char*, size_t n, bool) {
        bBad = true;
        return n;
    });
    if (bBad || out.empty())
        return false;
    strOut += out;
    return true;
}

std::string ToUtf8(const std::string& strText, uint32_t nFrom)
{
    return Convert(strText, nFrom, CP_UTF8);
}

std::string FromUtf8(const std::string& strUtf8, uint32_t nTo)
{
    return Convert(strUtf8, CP_UTF8, nTo);
}

} // namespace CodePage
