#pragma once

#include "platform/CodePage.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

// The conversion engine of the code-page layer (private to it): what iconv tells about each code
// page, found once, and the conversions between any code page and UTF-8 built on that.

namespace CodePage {

inline bool IsUtf16(uint32_t cp)
{
    return cp == CP_UTF16LE || cp == CP_UTF16BE;
}

inline bool IsUtf32(uint32_t cp)
{
    return cp == CP_UTF32LE || cp == CP_UTF32BE;
}

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

// The facts of code page cp; safe to call from any thread. The result lives as long as the process.
const SCodePageInfo& Info(uint32_t cp);

// Text of code page cp as valid UTF-8 (undefined bytes become U+FFFD); cp must be supported.
std::string DecodeToUtf8(const std::string& s, uint32_t cp);
// Valid UTF-8 in code page cp (characters it cannot hold become its default character); cp must
// be supported.
std::string EncodeFromUtf8(const std::string& s, uint32_t cp);
// One character, given in UTF-8, in a multi-byte code page: false when the code page cannot hold it.
bool EncodeMultiByteChar(const std::string& strUtf8, uint32_t cp, std::string& strOut);

} // namespace CodePage
