#include "platform/CodePage.h"

#include "platform/Iconv.h"
#include "platform/Utf.h"

#include <cstdlib>

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

} // namespace

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

bool IsSupported(uint32_t nCodePage)
{
    return Info(nCodePage).bSupported;
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
    return EncodeMultiByteChar(utf8, nTo, strOut);
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
