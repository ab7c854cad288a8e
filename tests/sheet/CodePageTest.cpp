#include "platform/CodePage.h"

#include "tests/TestUtil.h"

#include <set>

using namespace CodePage;

namespace {

uint32_t Lookup(const std::string& name)
{
    uint32_t cp = 0;
    return FindEncodingName(name, cp) ? cp : 0;
}

} // namespace

TEST(CodePageTest, EncodingNamesAreFoundWithoutRegardToCase)
{
    EXPECT_EQ(65001u, Lookup("utf-8"));
    EXPECT_EQ(65001u, Lookup("UTF8"));
    EXPECT_EQ(28591u, Lookup("ISO-8859-1"));
    EXPECT_EQ(28591u, Lookup("Latin1"));
    EXPECT_EQ(936u, Lookup("GB2312"));
    EXPECT_EQ(932u, Lookup("Shift_JIS"));
    EXPECT_EQ(1252u, Lookup("Windows-1252"));
    EXPECT_EQ(1200u, Lookup("utf-16"));
    EXPECT_EQ(1201u, Lookup("unicodeFFFE"));
    EXPECT_EQ(20127u, Lookup("US-ASCII"));
    // Only ASCII letters fold: a name with a non-ASCII letter is not an ASCII name in disguise.
    EXPECT_EQ(0u, Lookup("utf-\xC3\xB8"));
}

TEST(CodePageTest, Utf32PrefixEmptyAndUnknownNames)
{
    CCodePageScope ansi(1251);
    EXPECT_EQ(CP_UTF32LE, CodePageFromName("UTF-32"));
    EXPECT_EQ(CP_UTF32LE, CodePageFromName("utf-32le"));
    EXPECT_EQ(CP_UTF32BE, CodePageFromName("UTF-32BE"));
    EXPECT_EQ(1251u, CodePageFromName(""));
    EXPECT_EQ(1251u, CodePageFromName("no-such-encoding"));
    uint32_t cp = 7;
    EXPECT_FALSE(FindEncodingName("", cp));
    EXPECT_FALSE(FindEncodingName("no-such-encoding", cp));
    EXPECT_EQ(7u, cp);
}

TEST(CodePageTest, EncodingTableKeysAreLowerCaseAndUnique)
{
    // The lookup folds the name to lower case and keeps the first entry of a key, so an upper-case
    // or repeated key would be unreachable.
    std::set<std::string> seen;
    for (size_t i = 0; i < g_nEncodingNames; ++i) {
        const std::string name = g_aEncodingNames[i].pszName;
        for (char c : name)
            EXPECT_FALSE(c >= 'A' && c <= 'Z') << name;
        EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
        EXPECT_EQ(g_aEncodingNames[i].nCodePage, Lookup(name)) << name;
    }
}

TEST(CodePageTest, NoFlagsCodePages)
{
    for (uint32_t cp :
         {50220u, 50221u, 50222u, 50225u, 50227u, 50229u, 52936u, 54936u, 57002u, 57011u, 65000u, 65001u})
        EXPECT_TRUE(TakesNoFlags(cp)) << cp;
    for (uint32_t cp : {50223u, 50226u, 57001u, 57012u, 1252u, 936u, 1200u})
        EXPECT_FALSE(TakesNoFlags(cp)) << cp;
}

TEST(CodePageTest, ConvertsBetweenCodePagesWithTheDefaultCharacter)
{
    // e acute and the euro sign in 1252, 1250 and UTF-8.
    EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC", Convert("caf\xE9 \x80", 1252, CP_UTF8));
    EXPECT_EQ("caf\xE9 \x80", Convert("caf\xC3\xA9 \xE2\x82\xAC", CP_UTF8, 1252));
    EXPECT_EQ("caf\xE9 \x80", Convert("caf\xE9 \x80", 1252, 1250)); // both hold these two
    // CJK that 1252 cannot hold becomes '?', one per character.
    EXPECT_EQ("a??b", Convert("a\xE5\xAE\x8B\xE4\xBD\x93"
                              "b",
                              CP_UTF8, 1252));
    // The same two characters in GB2312/GBK and back.
    EXPECT_EQ("\xCB\xCE\xCC\xE5", Convert("\xE5\xAE\x8B\xE4\xBD\x93", CP_UTF8, 936));
    EXPECT_EQ("\xE5\xAE\x8B\xE4\xBD\x93", Convert("\xCB\xCE\xCC\xE5", 936, CP_UTF8));
    // Invalid UTF-8 bytes become U+FFFD and so '?' in 1252; a truncated sequence as well.
    EXPECT_EQ("a?b?", Convert("a\xFF"
                              "b\xE5\xAE",
                              CP_UTF8, 1252));
    // Equal code pages copy the bytes unchanged, invalid ones included.
    EXPECT_EQ("a\xFF"
              "b",
              Convert("a\xFF"
                      "b",
                      CP_UTF8, CP_UTF8));
    EXPECT_EQ((std::u16string{u'a', 0xFFFD, u'b'}), ToUtf16("a\xFF"
                                                            "b",
                                                            CP_UTF8));
}

TEST(CodePageTest, DefaultCharacterIsTheTargetsQuestionMark)
{
    // In EBCDIC the question mark is 0x6F, and the default character must be that byte.
    EXPECT_EQ("\x6F", DefaultChar(37));
    EXPECT_EQ("\xC1\x6F", Convert("A\xE5\xAE\x8B", CP_UTF8, 37));
    // An unconvertible character in a multi-byte target.
    EXPECT_EQ("?", Convert("\xC3\xA9", CP_UTF8, 932)); // e acute is not in Shift_JIS
}

TEST(CodePageTest, Utf16ConversionsKeepSurrogatePairs)
{
    const std::string utf8 = "A\xC3\xA9\xE5\xAE\x8B\xF0\x9F\x98\x80"; // A, e acute, U+5B8B, U+1F600
    const std::u16string w = ToUtf16(utf8, CP_UTF8);
    EXPECT_EQ((std::u16string{u'A', 0x00E9, 0x5B8B, 0xD83D, 0xDE00}), w);
    EXPECT_EQ(utf8, FromUtf16(w, CP_UTF8));
    EXPECT_EQ("A\xE9??", FromUtf16(w, 1252));
    // A lone surrogate is no character.
    EXPECT_EQ("\xEF\xBF\xBD", FromUtf16(std::u16string{0xD800}, CP_UTF8));
    // UTF-16 as a code page of bytes.
    EXPECT_EQ(std::string("A\0\xE9\0", 4), Convert("A\xE9", 1252, CP_UTF16LE));
    EXPECT_EQ(std::string("\0A\0\xE9", 4), Convert("A\xE9", 1252, CP_UTF16BE));
    EXPECT_EQ("A\xE9", Convert(std::string("\0A\0\xE9", 4), CP_UTF16BE, 1252));
}

TEST(CodePageTest, EncodeCharTellsWhetherTheCodePageHoldsIt)
{
    std::string out;
    EXPECT_TRUE(EncodeChar(0xE9, 1252, out));
    EXPECT_TRUE(EncodeChar(0x20AC, 1252, out));
    EXPECT_EQ("\xE9\x80", out);
    EXPECT_FALSE(EncodeChar(0x5B8B, 1252, out));
    EXPECT_FALSE(EncodeChar(0xD800, CP_UTF8, out));
    EXPECT_FALSE(EncodeChar(0x110000, CP_UTF8, out));
    EXPECT_EQ("\xE9\x80", out);
    EXPECT_TRUE(EncodeChar(0x5B8B, 936, out));
    EXPECT_EQ("\xE9\x80\xCB\xCE", out);
}

TEST(CodePageTest, AsciiCompatibility)
{
    EXPECT_TRUE(IsAsciiCompatible(1252));
    EXPECT_TRUE(IsAsciiCompatible(936));
    EXPECT_TRUE(IsAsciiCompatible(CP_UTF8));
    EXPECT_FALSE(IsAsciiCompatible(CP_UTF16LE));
    EXPECT_FALSE(IsAsciiCompatible(37));      // EBCDIC
    EXPECT_FALSE(IsAsciiCompatible(CP_UTF7)); // '+' starts a shifted run
    // ASCII text is converted where the target is not ASCII-compatible.
    EXPECT_EQ("\xC1", Convert("A", 1252, 37));
}

TEST(CodePageTest, AnsiCodePageFollowsTheLocale)
{
    EXPECT_EQ(936u, AnsiCodePageForLocale("zh_CN.UTF-8"));
    EXPECT_EQ(950u, AnsiCodePageForLocale("zh_TW"));
    EXPECT_EQ(932u, AnsiCodePageForLocale("ja_JP.eucJP"));
    EXPECT_EQ(1251u, AnsiCodePageForLocale("ru_RU.UTF-8"));
    EXPECT_EQ(1250u, AnsiCodePageForLocale("pl_PL"));
    EXPECT_EQ(874u, AnsiCodePageForLocale("th_TH"));
    EXPECT_EQ(1252u, AnsiCodePageForLocale("de_DE@euro"));
    EXPECT_EQ(1252u, AnsiCodePageForLocale("C"));
}

TEST(CodePageTest, LongTextsConvertInPieces)
{
    // More output than one conversion buffer holds, with characters the target lacks in between.
    std::string utf8, gbk;
    for (int i = 0; i < 300000; ++i) {
        utf8 += "\xE5\xAE\x8B"
                "a\xE2\x82\xAC"; // U+5B8B, 'a', the euro sign
        gbk += "\xCB\xCE"
               "a\x80";
    }
    EXPECT_EQ(gbk, Convert(utf8, CP_UTF8, 936));
    EXPECT_EQ(utf8, Convert(gbk, 936, CP_UTF8));
    std::string ja = Convert(utf8, CP_UTF8, 932);
    EXPECT_EQ(utf8.size() / 7 * 4, ja.size()); // each group: two bytes, 'a', and '?' for the euro
    EXPECT_EQ("\x91\x76"
              "a?",
              ja.substr(0, 4));
}

TEST(CodePageTest, StrictConversionsFailOnWhatEitherSideLacks)
{
    struct
    {
        uint32_t nFrom, nTo;
        std::string text;
        bool bConverts;
        std::string expected;
    } cases[] = {
        {1252, CP_UTF8, "caf\xE9", true, "caf\xC3\xA9"},
        {CP_UTF8, 1252, "\xE2\x82\xAC", true, "\x80"},
        {CP_UTF8, CP_UTF16LE, "A\xC3\xA9", true, std::string("A\0\xE9\0", 4)},
        {CP_UTF8, 50220, "\xE5\xAE\x8B", true, "\x1B$BAW\x1B(B"}, // the shift state is closed at the end
        {1252, CP_UTF8, "Bad\x81", false, ""},                    // 0x81 is not defined in 1252
        {CP_UTF8, 1252, "\xE5\xAE\x8B", false, ""},               // U+5B8B is not in 1252
        {CP_UTF8, 936, "a\xE5\xAE", false, ""},                   // a truncated sequence
    };
    for (const auto& c : cases) {
        CStrictConverter conv(c.nFrom, c.nTo);
        ASSERT_TRUE(conv.IsOpen()) << c.nFrom << " " << c.nTo;
        std::string out;
        EXPECT_EQ(c.bConverts, conv.Convert(c.text, out)) << c.text;
        if (c.bConverts) {
            EXPECT_EQ(c.expected, out) << c.text;
        }
        // The converter starts afresh for every text, also after a failure.
        EXPECT_TRUE(conv.Convert("", out));
        EXPECT_EQ("", out);
    }
    CStrictConverter unknown(99999, CP_UTF8);
    std::string out;
    EXPECT_FALSE(unknown.IsOpen());
    EXPECT_FALSE(unknown.Convert("abc", out));
}
