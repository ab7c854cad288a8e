#include "db/Node.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <class R> bool AllZero(const R& r)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&r);
    for (size_t i = 0; i < sizeof r; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

} // namespace

TEST(Node, NewNodesHaveNoIdsAndZeroRecords)
{
    CSatNode sat(2, INVALID_ID, INVALID_ID);
    CTpNode tp;
    CProgNode prog;
    EXPECT_EQ(sat.GetId(), -1);
    EXPECT_EQ(sat.GetParentId(), -1);
    EXPECT_EQ(sat.GetSelect(), 2);
    EXPECT_EQ(sat.GetType(), NODE_SAT);
    EXPECT_EQ(tp.GetType(), NODE_TP);
    EXPECT_EQ(prog.GetType(), NODE_PROG);
    EXPECT_EQ(tp.GetId(), -1);
    EXPECT_EQ(prog.GetParentId(), -1);
    EXPECT_TRUE(AllZero(*sat.GetRecord()));
    EXPECT_TRUE(AllZero(*tp.GetRecord()));
    EXPECT_TRUE(AllZero(*prog.GetRecord()));
}

TEST(Node, FieldWritesKeepOnlyLowBitsAndLeaveNeighboursAlone)
{
    CSatNode sat;
    SatRecord* r = sat.GetRecord();
    r->Set(SatField::LnbType, 3);
    r->Set(SatField::LocalFre1, 9);
    r->Set(SatField::Direction, 1);
    r->Set(SatField::Longitude, 2048);
    EXPECT_EQ(r->Get(SatField::Longitude), 0u);
    EXPECT_EQ(r->Get(SatField::LnbType), 3u);
    EXPECT_EQ(r->Get(SatField::LocalFre1), 9u);
    EXPECT_EQ(r->Get(SatField::Direction), 1u);
    r->Set(SatField::Longitude, 2047);
    EXPECT_EQ(r->dwWord[1] >> 21, 2047u);
    EXPECT_EQ(r->Get(SatField::LnbType), 3u);

    CProgNode prog;
    ProgRecord* p = prog.GetRecord();
    p->Set(ProgField::APID, 0x1FFF);
    p->Set(ProgField::VPID, 8192);
    EXPECT_EQ(p->Get(ProgField::VPID), 0u);
    EXPECT_EQ(p->Get(ProgField::APID), 0x1FFFu);
    p->Set(ProgField::VPID, 8191);
    EXPECT_EQ(p->dwWord[2], (8191u << 19) | (0x1FFFu << 6));
}

// Each kind's fields must tile its words exactly: every bit of every word belongs to one field.
TEST(Node, FieldTablesCoverEveryBitOnce)
{
    auto check = [](const FieldDesc* const* fields, size_t n, int nWords) {
        std::vector<uint32_t> used(nWords, 0);
        for (size_t i = 0; i < n; ++i) {
            const FieldDesc& f = *fields[i];
            ASSERT_LT(f.nWord, nWords) << f.pszName;
            ASSERT_LE(f.nPos + f.nWidth, 32) << f.pszName;
            uint32_t mask = FieldMask(f.nWidth) << f.nPos;
            EXPECT_EQ(used[f.nWord] & mask, 0u) << f.pszName << " overlaps";
            used[f.nWord] |= mask;
        }
        for (int w = 0; w < nWords; ++w)
            EXPECT_EQ(used[w], 0xFFFFFFFFu) << "word " << w;
    };
    check(g_satFields, std::size(g_satFields), 3);
    check(g_tpFields, std::size(g_tpFields), 1);
    check(g_progFields, std::size(g_progFields), 4);
}

TEST(Node, NamesFillTheFieldWithoutTerminatorAndStopAtZero)
{
    CSatNode sat;
    SatRecord* r = sat.GetRecord();
    r->dwWord[0] = 0xFFFFFFFF;
    r->SetName("ABCDEFGHIJKLMNOPQ"); // 17 bytes: the 17th is dropped
    EXPECT_EQ(r->GetName(), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(r->dwWord[0], 0xFFFFFFFFu);
    r->SetName(std::string("AB\0CD", 5));
    EXPECT_EQ(r->GetName(), "AB");
    EXPECT_EQ(r->Name[3], 'C'); // the bytes are stored, reading stops at the zero
    r->SetName("X");
    EXPECT_EQ(r->Name[3], 0);

    CProgNode prog;
    prog.GetRecord()->SetName(std::string(21, 'z'));
    EXPECT_EQ(prog.GetRecord()->GetName(), std::string(21, 'z'));
    EXPECT_EQ(prog.GetRecord()->Pad[0], 0);
}

TEST(Node, LnbTableLookups)
{
    EXPECT_EQ(LnbIndexToFreq(3), 9750u);
    EXPECT_EQ(LnbIndexToFreq(9), 11300u);
    EXPECT_EQ(LnbIndexToFreq(10), 5150u);
    EXPECT_EQ(LnbIndexToFreq(15), 5150u);
    EXPECT_EQ(LnbIndexToFreq(0xFFFFFFFFu), 5150u);
    EXPECT_EQ(LnbFreqToIndex(10600), 5);
    EXPECT_EQ(LnbFreqToIndex(5150), 0);
    EXPECT_EQ(LnbFreqToIndex(10601), -1);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(LnbFreqToIndex(LnbIndexToFreq(i)), static_cast<int>(i));
}

TEST(Node, PolarNamesAndSameTransponder)
{
    EXPECT_STREQ(PolarName(0), "H");
    EXPECT_STREQ(PolarName(1), "V");
    EXPECT_STREQ(PolarName(7), "V");

    TpRecord a{}, b{};
    a.Set(TpField::Frequency, 11747);
    a.Set(TpField::SymbolRate, 27500);
    a.Set(TpField::Polar, 1);
    b = a;
    b.Set(TpField::Flag, 1);
    EXPECT_TRUE(IsSameTp(a, b));
    b.Set(TpField::Polar, 0);
    EXPECT_FALSE(IsSameTp(a, b));
    b = a;
    b.Set(TpField::SymbolRate, 27501);
    EXPECT_FALSE(IsSameTp(a, b));
    b = a;
    b.Set(TpField::Frequency, 11748);
    EXPECT_FALSE(IsSameTp(a, b));
}
