#include "sheet/SheetLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace SheetLayout;

TEST(SheetNumberTest, ReadsLikeAnUnsignedDecimalConversion)
{
    EXPECT_EQ(ReadNumber("192"), 192u);
    EXPECT_EQ(ReadNumber(" \t\r\n12"), 12u);
    EXPECT_EQ(ReadNumber("+7"), 7u);
    EXPECT_EQ(ReadNumber("42abc"), 42u);
    EXPECT_EQ(ReadNumber("12 34"), 12u);
    EXPECT_EQ(ReadNumber("1.5"), 1u);
    EXPECT_EQ(ReadNumber(""), 0u);
    EXPECT_EQ(ReadNumber("abc"), 0u);
    EXPECT_EQ(ReadNumber("-"), 0u);
    EXPECT_EQ(ReadNumber("+-3"), 0u); // one sign only
    EXPECT_EQ(ReadNumber("x12"), 0u);
}

TEST(SheetNumberTest, NegativesWrapAndLargeValuesSaturate)
{
    EXPECT_EQ(ReadNumber("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadNumber("-2"), 0xFFFFFFFEu);
    EXPECT_EQ(ReadNumber("-0"), 0u);
    EXPECT_EQ(ReadNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadNumber("4294967296"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadNumber("99999999999999999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(ReadNumber("00000000000000000000012"), 12u); // leading zeros are no overflow
}

TEST(SheetNumberTest, FormatsPlainDecimal)
{
    EXPECT_EQ(FormatNumber(0), "0");
    EXPECT_EQ(FormatNumber(10600), "10600");
    EXPECT_EQ(FormatNumber(0xFFFFFFFFu), "4294967295");
    for (uint32_t v : {0u, 1u, 9u, 10u, 2047u, 65535u, 123456789u, 0xFFFFFFFFu})
        EXPECT_EQ(ReadNumber(FormatNumber(v)), v);
}

TEST(SheetPolarTest, OnlyExactHOrZeroIsHorizontal)
{
    EXPECT_STREQ(FormatPolar(0), "H");
    EXPECT_STREQ(FormatPolar(1), "V");
    EXPECT_EQ(ReadPolar("H"), 0u);
    EXPECT_EQ(ReadPolar("0"), 0u);
    for (const char* v : {"V", "1", "h", "v", "H ", " H", "00", "Horizontal", "x"})
        EXPECT_EQ(ReadPolar(v), 1u) << v;
}

TEST(SheetLnbTest, CellHoldsFrequencyNotIndex)
{
    EXPECT_EQ(FormatLnbFreq(3), "9750");
    EXPECT_EQ(FormatLnbFreq(9), "11300");
    EXPECT_EQ(FormatLnbFreq(10), "5150");
    EXPECT_EQ(FormatLnbFreq(15), "5150");
    EXPECT_EQ(ReadLnbFreq("10600"), 5);
    EXPECT_EQ(ReadLnbFreq("5150"), 0);
    EXPECT_EQ(ReadLnbFreq(" 9750"), 3);
    EXPECT_EQ(ReadLnbFreq("10601"), -1);
    EXPECT_EQ(ReadLnbFreq("5"), -1); // an index is not a frequency
    EXPECT_EQ(ReadLnbFreq(""), -1);
}

TEST(SheetSelectTest, FirstCharacterDecidesTheScope)
{
    EXPECT_STREQ(FormatSelectMark(0), "A");
    EXPECT_STREQ(FormatSelectMark(1), "S");
    EXPECT_STREQ(FormatSelectMark(2), "T");
    EXPECT_STREQ(FormatSelectMark(3), "A");
    EXPECT_STREQ(FormatSelectMark(-1), "A");

    EXPECT_EQ(ReadSelectMark("A"), 0);
    EXPECT_EQ(ReadSelectMark("Y"), 0);
    EXPECT_EQ(ReadSelectMark("Yes"), 0);
    EXPECT_EQ(ReadSelectMark("S"), 1);
    EXPECT_EQ(ReadSelectMark("Sat"), 1);
    EXPECT_EQ(ReadSelectMark("T"), 2);
    for (const char* v : {"a", "s", "t", "y", "N", "1", " A", ""})
        EXPECT_EQ(ReadSelectMark(v), SELECT_SKIP) << v;
}

TEST(SheetNameCellTest, PlainFormIsCutToTheFieldWidth)
{
    EXPECT_EQ(DecodeNameCell("Astra", 16), "Astra");
    EXPECT_EQ(DecodeNameCell("ABCDEFGHIJKLMNOPQ", 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(DecodeNameCell("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 21), "ABCDEFGHIJKLMNOPQRSTU");
    // Not the quoted form: wrong length, too short, or a quote missing.
    EXPECT_EQ(DecodeNameCell("\"\\x41\\x4\"", 16), "\"\\x41\\x4\"");
    EXPECT_EQ(DecodeNameCell("\"\"", 16), "\"\"");
    EXPECT_EQ(DecodeNameCell("\"\\x41", 16), "\"\\x41");
    EXPECT_EQ(DecodeNameCell("\\x41\"", 16), "\\x41\"");
}

TEST(SheetNameCellTest, QuotedHexFormGivesAnyBytes)
{
    EXPECT_EQ(DecodeNameCell("\"\\x41\\x42\\x43\"", 16), "ABC");
    EXPECT_EQ(DecodeNameCell("\"\\x41\"", 16), "A");
    EXPECT_EQ(DecodeNameCell("\"\\x4a\\x4B\"", 16), "JK");
    EXPECT_EQ(DecodeNameCell("\"\\x41\\x00\\x42\"", 16), std::string("A\0B", 3));
    EXPECT_EQ(DecodeNameCell("\"\\xff\"", 16), "\xff");
    // Decoding stops at the first malformed group and keeps what came before.
    EXPECT_EQ(DecodeNameCell("\"\\x41\\x4G\"", 16), "A");
    EXPECT_EQ(DecodeNameCell("\"\\x41\\X42\\x43\"", 16), "A");
    EXPECT_EQ(DecodeNameCell("\"/x41\\x42\"", 16), "");
    EXPECT_EQ(DecodeNameCell("\"abcd\"", 16), "");
    // At most the field width of groups.
    std::string cell = "\"";
    for (int i = 0; i < 30; ++i)
        cell += "\\x61";
    cell += "\"";
    EXPECT_EQ(DecodeNameCell(cell, 16), std::string(16, 'a'));
    EXPECT_EQ(DecodeNameCell(cell, 21), std::string(21, 'a'));
}

TEST(SheetNameCellTest, QuotedHexOfEveryByteDecodesBack)
{
    for (int b = 0; b < 256; b += 16) {
        std::string bytes;
        for (int i = b; i < b + 16; ++i)
            bytes += static_cast<char>(i);
        const std::string cell = QuotedHexName(bytes);
        EXPECT_TRUE(LooksLikeQuotedHex(cell));
        EXPECT_EQ(DecodeNameCell(cell, 16), bytes);
    }
    EXPECT_EQ(QuotedHexName("A\xfe"), "\"\\x41\\xfe\"");
}

TEST(SheetNameCellTest, NamesAreWrittenAsTheyAreWhenTheyReadBack)
{
    CNameCellWriter w1252(1252);
    EXPECT_EQ(w1252.Encode("Astra 19.2E"), "Astra 19.2E");
    EXPECT_EQ(w1252.Encode("Caf\xe9 & <TV>"), "Caf\xe9 & <TV>");
    EXPECT_EQ(w1252.Encode("\"quoted\""), "\"quoted\""); // 8 characters: not of the quoted form
    EXPECT_EQ(w1252.Encode(""), "");
    CNameCellWriter w936(936);
    EXPECT_EQ(w936.Encode("\xd6\xd0\xd0\xc7"
                          "6B"),
              "\xd6\xd0\xd0\xc7"
              "6B");
}

TEST(SheetNameCellTest, NamesThatWouldNotReadBackAreWrittenInQuotedHex)
{
    CNameCellWriter w1252(1252);
    CNameCellWriter w936(936);
    CNameCellWriter wUtf8(65001);
    struct
    {
        CNameCellWriter& writer;
        std::string name;
    } cases[] = {
        {w1252, "\"abcd\""},                                           // would be decoded as the quoted form
        {w1252, "\"\\x41\""},                                          // ditto, and would read back as "A"
        {w1252, "Line\r\nBreak"},                                      // control characters
        {w1252, "Tab\there"},     {w1252, "\x01"}, {w1252, "Bad\x81"}, // not defined in code page 1252
        {w936, "\xd6\xd0\xd6"},                                        // a lead byte without its trail byte
        {wUtf8, "Caf\xe9"},                                            // not UTF-8
    };
    for (auto& c : cases) {
        const std::string cell = c.writer.Encode(c.name);
        EXPECT_EQ(cell, QuotedHexName(c.name)) << c.name;
        EXPECT_EQ(DecodeNameCell(cell, 21), c.name) << c.name;
    }
}

TEST(SheetNamerTest, BaseNameKeepsLettersAndDigits)
{
    EXPECT_EQ(CSheetNamer::BaseName("Orbit 19.2E"), "Orbit_19_2E");
    EXPECT_EQ(CSheetNamer::BaseName("A _B"), "A_B");
    EXPECT_EQ(CSheetNamer::BaseName("A  B"), "A__B");
    EXPECT_EQ(CSheetNamer::BaseName("A__B"), "A_B");
    EXPECT_EQ(CSheetNamer::BaseName("A_ B"), "A__B");
    EXPECT_EQ(CSheetNamer::BaseName("__x"), "_x");
    EXPECT_EQ(CSheetNamer::BaseName("Caf\xe9!"), "Caf__");
    EXPECT_EQ(CSheetNamer::BaseName("ABCDEFGHIJKLMNOPQRS"), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(CSheetNamer::BaseName(""), "");
}

TEST(SheetNamerTest, RepeatedNamesGetTheFirstFreeSuffix)
{
    CSheetNamer namer;
    EXPECT_EQ(namer.MakeSheetName("Orbit"), "Orbit");
    EXPECT_EQ(namer.MakeSheetName("Orbit"), "Orbit1");
    EXPECT_EQ(namer.MakeSheetName("Orbit"), "Orbit2");
    EXPECT_EQ(namer.MakeSheetName("Orbit 3"), "Orbit_3");
    EXPECT_EQ(namer.MakeSheetName("Orbit_3"), "Orbit_31");

    CSheetNamer other; // a suffixed name taken by an earlier satellite is skipped
    EXPECT_EQ(other.MakeSheetName("Sky1"), "Sky1");
    EXPECT_EQ(other.MakeSheetName("Sky"), "Sky");
    EXPECT_EQ(other.MakeSheetName("Sky"), "Sky2");
}

TEST(SheetNamerTest, EmptyNamesAndTheSatelliteSheet)
{
    CSheetNamer namer;
    EXPECT_EQ(namer.MakeSheetName(""), "");
    EXPECT_EQ(namer.MakeSheetName(""), "1");
    EXPECT_EQ(namer.MakeSheetName("!"), "_");
    // A program sheet named "Satellites" would be the satellite sheet itself.
    EXPECT_EQ(namer.MakeSheetName("Satellites"), "Satellites1");
    EXPECT_EQ(namer.MakeSheetName("Satellites"), "Satellites2");
    EXPECT_EQ(namer.MakeSheetName("satellites"), "satellites3");
}

TEST(SheetNamerTest, NamesDifferingOnlyInCaseAreTheSameSheet)
{
    CSheetNamer namer;
    EXPECT_EQ(namer.MakeSheetName("Orbit"), "Orbit");
    EXPECT_EQ(namer.MakeSheetName("ORBIT"), "ORBIT1");
    EXPECT_EQ(namer.MakeSheetName("orbit1"), "orbit11");
    EXPECT_EQ(namer.MakeSheetName("Orbit"), "Orbit2");
}
