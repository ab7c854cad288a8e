#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Case folding for comparisons that ignore case (Find in the list, the core's own name order): a
// character folds to the lower case of its upper case, so that every case form of a letter meets
// in one (S, s and the long s; Σ, σ and ς; K, k and the Kelvin sign). One character stays one
// character: "ß" does not meet "ss".

namespace CodePage {

// A run of code points nFirst .. nLast that fold by adding nDelta: every one of them (nStep 1), or
// every other one from nFirst (nStep 2, upper and lower case letters taking turns).
struct SCaseFoldRun
{
    uint32_t nFirst;
    uint32_t nLast;
    int32_t nDelta;
    uint32_t nStep;
};
// The runs in ascending order, kept as data in CaseFoldTable.cpp.
extern const SCaseFoldRun g_aCaseFoldRuns[];
extern const size_t g_nCaseFoldRuns;

char32_t FoldCase(char32_t ch);
// UTF-8 text with every character folded; an invalid sequence becomes U+FFFD.
std::string FoldCaseUtf8(const std::string& strUtf8);
// Appends the folded text to strOut, for callers that fold many texts into one buffer.
void AppendFoldedUtf8(const std::string& strUtf8, std::string& strOut);

} // namespace CodePage
