#include "platform/CodePage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <vector>

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
    case 65000:
        return "UTF-7";
    default:
        break;
    }
    if (cp >= 28591 && cp <= 28606 && cp != 28600 && cp != 28601 && cp != 28602 && cp != 28604)
        return "ISO-8859-" + std::to_string(cp - 28590);
    if (cp == 38598)
        return "ISO-8859-8";
    return "CP" + std::to_string(cp);
}

bool IsSupported(uint32_t nCodePage)
{
    iconv_t cd = iconv_open("UTF-8", IconvName(nCodePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

namespace {

// Runs one iconv conversion. Input it cannot decode is skipped byte by byte with strInvalid
// written in its place; characters the target cannot hold are written as strDefault.
bool RunIconv(const std::string& in, const char* to, const char* from, const std::string& strInvalid,
              const std::string& strDefault, std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    std::vector<char> buf(in.size() * 4 + 16);
    char* pIn = const_cast<char*>(in.data());
    size_t nIn = in.size();
    while (true) {
        char* pOut = buf.data();
        size_t nOut = buf.size();
        size_t r = iconv(cd, nIn ? &pIn : nullptr, &nIn, &pOut, &nOut);
        out.append(buf.data(), pOut - buf.data());
        if (r != static_cast<size_t>(-1)) {
            if (nIn == 0)
                break;
            continue;
        }
        if (errno == E2BIG)
            continue;
        if (errno == EILSEQ) {
            // Undecodable input (the target is UTF-32, so it can hold every character).
            out += strInvalid.empty() ? strDefault : strInvalid;
            ++pIn;
            --nIn;
            continue;
        }
        if (errno == EINVAL) { // truncated sequence at the end
            out += strInvalid;
            break;
        }
        break;
    }
    iconv_close(cd);
    return true;
}

} // namespace

std::string Convert(const std::string& strText, uint32_t nFrom, uint32_t nTo)
{
    if (nFrom == nTo || strText.empty())
        return strText;
    const std::string from = IconvName(nFrom);
    const std::string to = IconvName(nTo);
    // Decode to UTF-32 first so that undecodable input and unrepresentable characters are told apart.
    std::string wide;
    if (!RunIconv(strText, "UTF-32LE", from.c_str(), std::string("\xFD\xFF\x00\x00", 4), "", wide))
        return strText;
    std::string out;
    out.reserve(wide.size());
    iconv_t cd = iconv_open(to.c_str(), "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return strText;
    for (size_t i = 0; i + 4 <= wide.size(); i += 4) {
        char chOut[16];
        char* pIn = &wide[i];
        size_t nIn = 4;
        char* pOut = chOut;
        size_t nOut = sizeof chOut;
        if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == static_cast<size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(chOut, pOut - chOut);
        }
    }
    {
        char chOut[16];
        char* pOut = chOut;
        size_t nOut = sizeof chOut;
        iconv(cd, nullptr, nullptr, &pOut, &nOut); // flush shift state
        out.append(chOut, pOut - chOut);
    }
    iconv_close(cd);
    return out;
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
