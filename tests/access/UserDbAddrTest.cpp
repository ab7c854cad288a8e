#include "access/UserDbAddr.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char* pszText;
    uint32_t nExpected;
};

} // namespace

TEST(UserDbAddr, HexTextParsesLikeBase16Conversion)
{
    const ParseCase cases[] = {
        {"110000", 0x110000},     {"120000", 0x120000},
        {"1F0000", 0x1F0000},     {"0x1F0000", 0x1F0000},
        {"0X1f0000", 0x1F0000},   {"  \t1F0000", 0x1F0000},
        {"12G4", 0x12},           {"1F0000 trailing", 0x1F0000},
        {"FFFFFFFF", 0xFFFFFFFF}, {"+10", 0x10},
        {"-1", 0xFFFFFFFF},
    };
    for (const ParseCase& c : cases) {
        uint32_t nAddr = 0xDEADBEEF;
        EXPECT_EQ(ParseUserDbAddr(c.pszText, nAddr), UserDbAddrParse::Ok) << c.pszText;
        EXPECT_EQ(nAddr, c.nExpected) << c.pszText;
    }
}

TEST(UserDbAddr, ValuesBeyond32BitsSaturate)
{
    uint32_t nAddr = 0;
    ASSERT_EQ(ParseUserDbAddr("123456789", nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0xFFFFFFFFu);
    ASSERT_EQ(ParseUserDbAddr("0x10000000000000000000", nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0xFFFFFFFFu);
}

TEST(UserDbAddr, EmptyTextNoDigitsAndZeroAreRefusedWithoutTouchingTheResult)
{
    uint32_t nAddr = 0x1234;
    EXPECT_EQ(ParseUserDbAddr("", nAddr), UserDbAddrParse::Empty);
    // No hexadecimal digit where the number starts: not an address at all, rather than zero.
    for (const char* psz : {"zz", "xyz", "   ", "g1", "-", "+x", "\t-z"})
        EXPECT_EQ(ParseUserDbAddr(psz, nAddr), UserDbAddrParse::NotHex) << psz;
    // A "0x" without digits behind it is the number 0.
    for (const char* psz : {"0", "0x0", "0x", "0xg", "000000", "-0"})
        EXPECT_EQ(ParseUserDbAddr(psz, nAddr), UserDbAddrParse::Zero) << psz;
    EXPECT_EQ(nAddr, 0x1234u);
}

TEST(UserDbAddr, ChoiceOfTheAutoItemIsZeroWhateverTheText)
{
    uint32_t nAddr = 0x1234;
    EXPECT_EQ(ParseUserDbAddrChoice(USERDB_ADDR_AUTO_ITEM, "Auto", nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0u);

    // The fixed items are parsed from their text like typed text; no item selected means typed text.
    ASSERT_EQ(ParseUserDbAddrChoice(1, USERDB_ADDR_ITEMS[1], nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0x110000u);
    ASSERT_EQ(ParseUserDbAddrChoice(2, USERDB_ADDR_ITEMS[2], nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0x120000u);
    EXPECT_EQ(ParseUserDbAddrChoice(-1, "", nAddr), UserDbAddrParse::Empty);
    // Typing "Auto" is not choosing the item: it has no hexadecimal digit... except 'A'.
    ASSERT_EQ(ParseUserDbAddrChoice(-1, "Auto", nAddr), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0xAu);

    // For a layout that is never searched for, the item is refused; addresses still do.
    nAddr = 0x1234;
    EXPECT_EQ(ParseUserDbAddrChoice(USERDB_ADDR_AUTO_ITEM, "Auto", nAddr, false),
              UserDbAddrParse::AutoRefused);
    EXPECT_EQ(nAddr, 0x1234u);
    ASSERT_EQ(ParseUserDbAddrChoice(1, USERDB_ADDR_ITEMS[1], nAddr, false), UserDbAddrParse::Ok);
    EXPECT_EQ(nAddr, 0x110000u);
}
