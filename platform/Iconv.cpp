#include "platform/Iconv.h"

#include "platform/Utf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace CodePage {

namespace {

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

constexpr size_t ICONV_CHUNK = 4096;
constexpr size_t ICONV_BUFFER = ICONV_CHUNK * 8 + 64; // room for the output of one piece

// Converts in through cd. Input the converter rejects is handled by pfnBadInput, which appends a
// replacement and says how many input bytes to skip. The input goes in pieces: where a character
// cannot be converted, glibc redoes the work of the whole call up to it, which made long texts
// with many such characters take quadratic time. After such a character the pieces are small and
// grow again while the text converts. buf is the output buffer of one piece: a decoder of many
// short texts keeps it between calls rather than clearing 32 KB for each.
template <typename FnBad>
void RunIconv(iconv_t cd, const std::string& in, std::string& out, FnBad pfnBadInput, std::string& buf)
{
    const size_t CHUNK = ICONV_CHUNK, SMALL = 32;
    size_t nPiece = CHUNK;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* pIn = const_cast<char*>(in.data());
    size_t nLeft = in.size();
    buf.resize(ICONV_BUFFER);
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

// The same with a buffer of its own.
template <typename FnBad>
void RunIconv(iconv_t cd, const std::string& in, std::string& out, FnBad pfnBadInput)
{
    std::string buf;
    RunIconv(cd, in, out, pfnBadInput, buf);
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

} // namespace

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
        ForEachCodePoint(s, [&out, &info](char32_t c) {
            if (c < 0x80 && info.bAsciiCompatible) {
                out += static_cast<char>(c);
                return;
            }
            auto it = info.mapFromCode.find(c);
            if (it != info.mapFromCode.end())
                out += it->second;
            else
                out += info.strDefault;
        });
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

bool EncodeMultiByteChar(const std::string& strUtf8, uint32_t cp, std::string& strOut)
{
    CIconv cd(IconvName(cp), "UTF-8");
    bool bBad = false;
    std::string out;
    RunIconv(cd.Get(), strUtf8, out, [&bBad](const char*, size_t n, bool) {
        bBad = true;
        return n;
    });
    if (bBad || out.empty())
        return false;
    strOut += out;
    return true;
}

// ---- many texts to UTF-8 -------------------------------------------------------------------------

struct CUtf8Decoder::SImpl
{
    explicit SImpl(uint32_t nCodePage) : nFrom(nCodePage), info(Info(nCodePage)) {}

    uint32_t nFrom;
    const SCodePageInfo& info;
    std::unique_ptr<CIconv> pCd; // multi-byte code pages, opened at the first text that needs it
    std::string buf;
};

CUtf8Decoder::CUtf8Decoder(uint32_t nFrom) : m_pImpl(std::make_unique<SImpl>(nFrom)) {}

CUtf8Decoder::~CUtf8Decoder() = default;

uint32_t CUtf8Decoder::GetCodePage() const
{
    return m_pImpl->nFrom;
}

std::string CUtf8Decoder::ToUtf8(const std::string& strText)
{
    SImpl& d = *m_pImpl;
    // The cases in which Convert gives the text back as it is.
    if (d.nFrom == CP_UTF8 || strText.empty() || !d.info.bSupported ||
        (d.info.bAsciiCompatible && IsAscii(strText)))
        return strText;
    if (d.info.bSingleByte || IsUtf16(d.nFrom) || IsUtf32(d.nFrom))
        return DecodeToUtf8(strText, d.nFrom);
    if (!d.pCd)
        d.pCd = std::make_unique<CIconv>("UTF-8", IconvName(d.nFrom));
    std::string out;
    out.reserve(strText.size() + strText.size() / 2);
    RunIconv(
        d.pCd->Get(), strText, out,
        [&out](const char*, size_t, bool) {
            out += UTF8_REPLACEMENT;
            return size_t(1);
        },
        d.buf);
    return SanitizeUtf8(out);
}

// ---- strict conversions ------------------------------------------------------------------------

struct CStrictConverter::SImpl
{
    SImpl(uint32_t nFrom, uint32_t nTo) : cd(IconvName(nTo), IconvName(nFrom)) {}
    CIconv cd;
};

CStrictConverter::CStrictConverter(uint32_t nFrom, uint32_t nTo)
    : m_pImpl(std::make_unique<SImpl>(nFrom, nTo))
{}

CStrictConverter::~CStrictConverter() = default;

bool CStrictConverter::IsOpen() const
{
    return m_pImpl->cd.Ok();
}

bool CStrictConverter::Convert(const std::string& strText, std::string& strOut)
{
    if (!IsOpen())
        return false;
    iconv_t cd = m_pImpl->cd.Get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // Four bytes for each input byte are enough between the ANSI code pages, UTF-8, UTF-16 and
    // UTF-32; a result that needs more fails like an unconvertible character.
    strOut.assign(strText.size() * 4 + 16, '\0');
    char* pIn = const_cast<char*>(strText.data());
    size_t nIn = strText.size();
    char* pOut = &strOut[0];
    size_t nOut = strOut.size();
    if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == static_cast<size_t>(-1) || nIn != 0)
        return false;
    // Back to the initial shift state, which may write bytes.
    if (iconv(cd, nullptr, nullptr, &pOut, &nOut) == static_cast<size_t>(-1))
        return false;
    strOut.resize(strOut.size() - nOut);
    return true;
}

} // namespace CodePage
