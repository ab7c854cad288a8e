// Code-page names: the iconv name of each Windows code page, the encoding names documents declare,
// and the ANSI code page Windows would pick for a locale.

#include "platform/CodePage.h"

#include <unordered_map>

namespace CodePage {

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

} // namespace CodePage
