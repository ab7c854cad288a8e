#pragma once

#include <cstdint>
#include <string>

// Stand-in for the Windows code-page layer: one process-wide ANSI code page (the 8-bit code page
// in which record names are stored), and conversions between code pages through iconv.

namespace CodePage {

constexpr uint32_t CP_UTF8 = 65001;

// The process-wide ANSI code page. Until SetAnsiCodePage is called it is taken from the locale
// (LC_ALL, LC_CTYPE, LANG) the way Windows picks its ANSI code page from the system locale.
uint32_t GetAnsiCodePage();
void SetAnsiCodePage(uint32_t nCodePage);

// The ANSI code page Windows uses for a locale name such as "zh_CN.UTF-8" or "de_DE": 1252 when
// nothing more specific applies.
uint32_t AnsiCodePageForLocale(const std::string& strLocale);

// The iconv name of a Windows code page, empty when the code page is unknown here.
std::string IconvName(uint32_t nCodePage);
bool IsSupported(uint32_t nCodePage);

// Converts bytes of code page nFrom into code page nTo. Characters the target cannot hold become
// its default character ('?'); bytes the source does not define become U+FFFD on the way.
std::string Convert(const std::string& strText, uint32_t nFrom, uint32_t nTo);

// Shortcuts for the ANSI code page and UTF-8.
std::string ToUtf8(const std::string& strText, uint32_t nFrom);
std::string FromUtf8(const std::string& strUtf8, uint32_t nTo);

} // namespace CodePage
