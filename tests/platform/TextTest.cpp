#include "platform/CaseFold.h"
#include "platform/CodePage.h"

#include <locale.h>
#include <wctype.h>

#include <random>

#include <gtest/gtest.h>

using namespace CodePage;

// Every character against the C library's Unicode case mappings: upper and lower case forms fold
// alike (so the table's runs, their steps and the look-up agree), folding twice changes nothing,
// and whatever folds stays a character.
TEST(CaseFold, EveryCaseFormOfACharacterFoldsAlike)
{
    const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    ASSERT_NE(loc, static_cast<locale_t>(nullptr)) << "the C.UTF-8 locale is part of the C library";
    size_t nFolded = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const char32_t folded = FoldCase(c);
        const auto lower = static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
        const auto upper = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), loc));
        ASSERT_EQ(FoldCase(folded), folded) << std::hex << "U+" << static_cast<uint32_t>(c);
        ASSERT_EQ(FoldCase(lower), folded) << std::hex << "U+" << static_cast<uint32_t>(c);
        ASSERT_EQ(FoldCase(upper), folded) << std::hex << "U+" << static_cast<uint32_t>(c);
        ASSERT_FALSE(folded > 0x10FFFF || (folded >= 0xD800 && folded <= 0xDFFF));
        nFolded += folded != c ? 1 : 0;
    }
    freelocale(loc);
    EXPECT_GT(nFolded, 1400u) << "upper case letters of every cased script fold";

    struct Case
    {
        const char* pszText;
        const char* pszFolded;
    };
    const Case cases[] = {
        {"ARD Das Erste HD", "ard das erste hd"},
        {"\xC3\x84RGER \xC3\x9F \xC3\x9E", "\xC3\xA4rger \xC3\x9F \xC3\xBE"}, // Ä ß Þ: ß stays one letter
        {"\xCE\xA3\xCE\xA4\xCE\x91\xCF\x82", "\xCF\x83\xCF\x84\xCE\xB1\xCF\x83"}, // ΣΤΑς: final sigma too
        {"\xD0\x9C\xD0\x98\xD0\xA0 \xD0\x81", "\xD0\xBC\xD0\xB8\xD1\x80 \xD1\x91"}, // МИР Ё
        {"\xE2\x84\xAA\xEF\xBC\xA1", "k\xEF\xBD\x81"},                // Kelvin sign, fullwidth A
        {"\xE4\xB8\xAD\xE6\x96\x87 1", "\xE4\xB8\xAD\xE6\x96\x87 1"}, // no case: as it is
        {"A\xFF"
         "B\xC3",
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"}, // invalid bytes: U+FFFD
    };
    for (const Case& c : cases)
        EXPECT_EQ(FoldCaseUtf8(c.pszText), c.pszFolded) << c.pszText;
}

// One decoder for many texts gives what ToUtf8 gives for each of them: single-byte, multi-byte and
// Unicode code pages, ASCII text, bytes a code page does not define, and sequences cut off at the
// end of a text (which must not reach into the next one).
TEST(Utf8Decoder, GivesWhatToUtf8GivesTextByText)
{
    std::mt19937 rng(12);
    for (uint32_t nCodePage : {1252u, 1251u, 874u, 936u, 950u, 932u, 949u, CP_UTF8, CP_UTF16BE, 99999u}) {
        SCOPED_TRACE(nCodePage);
        CUtf8Decoder decoder(nCodePage);
        EXPECT_EQ(decoder.GetCodePage(), nCodePage);
        for (int i = 0; i < 400; ++i) {
            std::string strText(std::uniform_int_distribution<size_t>(0, 24)(rng), '\0');
            const bool bAscii = i % 5 == 0;
            for (char& ch : strText)
                ch = static_cast<char>(
                    std::uniform_int_distribution<int>(bAscii ? 0x20 : 0x01, bAscii ? 0x7E : 0xFF)(rng));
            ASSERT_EQ(decoder.ToUtf8(strText), ToUtf8(strText, nCodePage)) << "text " << i;
        }
    }
}
