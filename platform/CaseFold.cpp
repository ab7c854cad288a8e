#include "platform/CaseFold.h"

#include "platform/Utf.h"

#include <algorithm>

namespace CodePage {

char32_t FoldCase(char32_t ch)
{
    if (ch < 0x80)
        return ch >= 'A' && ch <= 'Z' ? ch + ('a' - 'A') : ch;
    const SCaseFoldRun* pEnd = g_aCaseFoldRuns + g_nCaseFoldRuns;
    // The last run that starts at or before ch.
    const SCaseFoldRun* pRun =
        std::upper_bound(g_aCaseFoldRuns, pEnd, static_cast<uint32_t>(ch),
                         [](uint32_t c, const SCaseFoldRun& run) { return c < run.nFirst; });
    if (pRun == g_aCaseFoldRuns)
        return ch;
    --pRun;
    if (ch > pRun->nLast || (ch - pRun->nFirst) % pRun->nStep != 0)
        return ch;
    return static_cast<char32_t>(static_cast<int64_t>(ch) + pRun->nDelta);
}

void AppendFoldedUtf8(const std::string& strUtf8, std::string& strOut)
{
    size_t i = 0;
    while (i < strUtf8.size()) {
        const char chByte = strUtf8[i];
        if (static_cast<unsigned char>(chByte) < 0x80) {
            strOut += chByte >= 'A' && chByte <= 'Z' ? static_cast<char>(chByte + ('a' - 'A')) : chByte;
            ++i;
            continue;
        }
        char32_t ch;
        bool bValid;
        i += NextCodePoint(strUtf8, i, ch, bValid);
        AppendUtf8(strOut, FoldCase(ch));
    }
}

std::string FoldCaseUtf8(const std::string& strUtf8)
{
    std::string strOut;
    strOut.reserve(strUtf8.size());
    AppendFoldedUtf8(strUtf8, strOut);
    return strOut;
}

} // namespace CodePage
