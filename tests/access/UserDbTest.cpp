#include "access/AccessUserDb.h"

#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "tests/TestUtil.h"
#include "tests/access/UserDbImage.h"

#include <gtest/gtest.h>

#include <functional>

using namespace TestImage;

namespace {

class UserDb20Test : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }

    bool Load(const CImage& img, uint32_t nAddr)
    {
        CFixedUserDbAddr addr(nAddr);
        CAccessUserDbIn in(addr);
        return in.LoadDbFromBuffer(img.Data().data(), img.Size(), nAddr, &m_db);
    }

    void ExpectFormatError(const CImage& img, uint32_t nAddr = 0)
    {
        EXPECT_FALSE(Load(img, nAddr));
        EXPECT_EQ(GetLastErrorMsg(), "File format error!");
        EXPECT_TRUE(m_db.IsEmpty());
    }

    const CSatNode* SatAt(size_t i) { return static_cast<const CSatNode*>(Nth(m_db.GetSatList(), i)); }
    const CTpNode* TpAt(size_t i) { return static_cast<const CTpNode*>(Nth(m_db.GetTpList(), i)); }
    const CProgNode* ProgAt(size_t i) { return static_cast<const CProgNode*>(Nth(m_db.GetProgList(), i)); }

    static const CNode* Nth(const CNodeList& list, size_t i)
    {
        for (const CNode* p : list)
            if (i-- == 0)
                return p;
        return nullptr;
    }

    CProgDb m_db;
};

Db OneOfEach()
{
    Db db;
    Sat s;
    s.nId = 7;
    s.nLongitude = 1300;
    s.nDirection = 1;
    s.nLnbFreq1 = 9750;
    s.nLnbFreq2 = 12345;
    s.nMotor = 2;
    s.nDiSEqC12 = 0xA5;
    s.nDiSEqC = 5;
    s.n22K = 3;
    s.n12V = 1;
    s.nLnbType = 2;
    s.strName = "ABCDEFGHIJKLMNO"; // 15 bytes, the whole name field of the record
    db.sats.push_back(s);
    Tp t;
    t.nId = 300;
    t.nSatId = 7;
    t.nFrequency = 0xFFFF; // 16 bits stored, 14 kept
    t.nSymbolRate = 27500;
    t.nPolar = 1;
    t.nFlag = 1;
    db.tps.push_back(t);
    Prog p;
    p.nTpId = 300;
    p.nServiceId = 0xBEEF;
    p.nVpid = 0x1FFF;
    p.nPcrPid = 0x1234;
    p.nTrack = 2;
    p.nApid = 0x0ABC;
    p.nPmtPid = 0x1001;
    p.nLock = 1;
    p.nSkip = 1;
    p.nScramble = 1;
    p.nAvType = 1;
    p.nFavType = 9;
    p.strName = "Twenty bytes of name"; // 20 bytes
    db.progs.push_back(p);
    return db;
}

} // namespace

TEST_F(UserDb20Test, DecodesEveryFieldIdAndParent)
{
    CImage img;
    UserDb20(img, 0, OneOfEach());
    ASSERT_TRUE(Load(img, 0)) << GetLastErrorMsg();
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    ASSERT_EQ(m_db.GetTpList().GetCount(), 1);
    ASSERT_EQ(m_db.GetProgList().GetCount(), 1);

    const CSatNode* pSat = SatAt(0);
    const SatRecord* s = pSat->GetRecord();
    EXPECT_EQ(pSat->GetId(), 7);
    EXPECT_EQ(pSat->GetParentId(), INVALID_ID);
    EXPECT_EQ(pSat->GetSelect(), 0);
    EXPECT_EQ(s->Get(SatField::Longitude), 1300u);
    EXPECT_EQ(s->Get(SatField::Direction), 1u);
    EXPECT_EQ(s->Get(SatField::LocalFre1), 3u);  // 9750 MHz
    EXPECT_EQ(s->Get(SatField::LocalFre2), 15u); // not in the table
    EXPECT_EQ(s->Get(SatField::DisEqCMotor), 2u);
    EXPECT_EQ(s->Get(SatField::DiSEqC12), 0xA5u);
    EXPECT_EQ(s->Get(SatField::DiSEqC), 5u);
    EXPECT_EQ(s->Get(SatField::K22), 3u);
    EXPECT_EQ(s->Get(SatField::V12), 1u);
    EXPECT_EQ(s->Get(SatField::LnbType), 2u);
    EXPECT_EQ(s->Get(SatField::TunerSel), 0u);
    EXPECT_EQ(s->Get(SatField::TpCount), 0u);
    EXPECT_EQ(s->Get(SatField::FirstTpIndex), 0u);
    EXPECT_EQ(s->GetName(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(s->Name[15], 0);

    const CTpNode* pTp = TpAt(0);
    const TpRecord* t = pTp->GetRecord();
    EXPECT_EQ(pTp->GetId(), 300);
    EXPECT_EQ(pTp->GetParentId(), 7);
    EXPECT_EQ(t->Get(TpField::Frequency), 0x3FFFu);
    EXPECT_EQ(t->Get(TpField::SymbolRate), 27500u);
    EXPECT_EQ(t->Get(TpField::Polar), 1u);
    EXPECT_EQ(t->Get(TpField::Flag), 1u);

    const CProgNode* pProg = ProgAt(0);
    const ProgRecord* p = pProg->GetRecord();
    EXPECT_EQ(pProg->GetId(), 0); // programs keep the id the list hands out
    EXPECT_EQ(pProg->GetParentId(), 300);
    EXPECT_EQ(p->Get(ProgField::ServiceId), 0xBEEFu);
    EXPECT_EQ(p->Get(ProgField::VPID), 0x1FFFu);
    EXPECT_EQ(p->Get(ProgField::PCRPID), 0x1234u);
    EXPECT_EQ(p->Get(ProgField::Track), 2u);
    EXPECT_EQ(p->Get(ProgField::APID), 0x0ABCu);
    EXPECT_EQ(p->Get(ProgField::PmtPid), 0x1001u);
    EXPECT_EQ(p->Get(ProgField::Lock), 1u);
    EXPECT_EQ(p->Get(ProgField::Skip), 1u);
    EXPECT_EQ(p->Get(ProgField::Scramble), 1u);
    EXPECT_EQ(p->Get(ProgField::AvType), 1u);
    EXPECT_EQ(p->Get(ProgField::FavType), 9u);
    EXPECT_EQ(p->Get(ProgField::Hide), 0u);
    EXPECT_EQ(p->Get(ProgField::TunerSel), 0u);
    EXPECT_EQ(p->Get(ProgField::TpIndex), 0u);
    EXPECT_EQ(p->GetName(), "Twenty bytes of name");
    EXPECT_EQ(p->ProgName[20], 0);
}

TEST_F(UserDb20Test, FieldsOutsideTheirBitsDoNotLeakIntoNeighbours)
{
    // Every bit the layout leaves unused is set: none of it may show up in a decoded field.
    Db db;
    db.sats.push_back(Sat{});
    db.tps.push_back(Tp{});
    db.progs.push_back(Prog{});
    CImage img;
    UserDb20(img, 0, db);
    // Record positions in the default layout: satellite at 24+24+4, transponder, program behind.
    const size_t nSat = 24 + 24 + 4, nTp = nSat + 32 + 24 + 4, nProg = nTp + 12 + 24 + 4;
    img.Be32(nSat + 0, 0x0000F000).Be32(nSat + 8, 0x3F00FF06).Be32(nSat + 12, 0xE7FFFFFF);
    img.Be32(nTp + 8, 0xFFFFFFF3);
    img.Be32(nProg + 0, 0xFFFF0000).Be32(nProg + 4, 0x0000FFFF).Be32(nProg + 8, 0x0000003C);
    img.Be32(nProg + 12, 0x0000003F).Be32(nProg + 16, 0xFFE07FFF).Be32(nProg + 20, 0xFFFFFFF0);
    ASSERT_TRUE(Load(img, 0)) << GetLastErrorMsg();
    const SatRecord* s = SatAt(0)->GetRecord();
    EXPECT_EQ(s->dwWord[0], 0u);
    EXPECT_EQ(s->dwWord[2], 0u);
    EXPECT_EQ(s->Get(SatField::Longitude), 0u);
    EXPECT_EQ(s->Get(SatField::LnbType), 0u);
    EXPECT_EQ(s->Get(SatField::DiSEqC12), 0u);
    EXPECT_EQ(TpAt(0)->GetRecord()->dwWord[0], 0u);
    const ProgRecord* p = ProgAt(0)->GetRecord();
    for (int w = 0; w < 4; ++w)
        EXPECT_EQ(p->dwWord[w], 0u) << "word " << w;
    EXPECT_EQ(ProgAt(0)->GetParentId(), 0);
}

TEST_F(UserDb20Test, RegionSearchStepsByWholeBlocksOf64KiB)
{
    // A magic off the 64 KiB grid is never seen; the first one on it is the region start.
    CImage img(0x40000, 0x00);
    img.Be32(0x10004, MAGIC);
    UserDb20(img, 0x20000, MakeDb(2, 1, 1));
    ASSERT_TRUE(Load(img, 0)) << GetLastErrorMsg();
    EXPECT_EQ(m_db.GetSatList().GetCount(), 2);
    EXPECT_EQ(m_db.GetProgList().GetCount(), 2);

    // Searching from an address skips a database in front of it.
    CImage two(0x140000, 0x00);
    UserDb20(two, 0x100000, MakeDb(1, 0, 0));
    UserDb20(two, 0x120000, MakeDb(3, 0, 0));
    m_db.Clear();
    ASSERT_TRUE(Load(two, 0x110000)) << GetLastErrorMsg();
    EXPECT_EQ(m_db.GetSatList().GetCount(), 3);
    m_db.Clear();
    ASSERT_TRUE(Load(two, 0));
    EXPECT_EQ(m_db.GetSatList().GetCount(), 1);

    // A database without blocks: the load succeeds empty, and says where the search found it.
    CImage none(0x40000, 0x00);
    UserDb20(none, 0x30000, MakeDb(0, 0, 0));
    CFixedUserDbAddr addr(0);
    CAccessUserDbIn in(addr);
    m_db.Clear();
    ASSERT_TRUE(in.LoadDbFromBuffer(none.Data().data(), none.Size(), 0, &m_db)) << GetLastErrorMsg();
    EXPECT_TRUE(m_db.IsEmpty());
    EXPECT_EQ(in.DescribeEmptyResult(), "No channel records were found at address 0x30000 (layout 2.0).");
}

TEST_F(UserDb20Test, ImageNoLongerThanTheAddressIsASizeError)
{
    CImage img(0x110000, 0);
    EXPECT_FALSE(Load(img, 0x110000));
    EXPECT_EQ(GetLastErrorMsg(), "File size error!");
    ClearLastError();
    EXPECT_FALSE(Load(img, 0x120000));
    EXPECT_EQ(GetLastErrorMsg(), "File size error!");
    ClearLastError();
    CImage empty;
    EXPECT_FALSE(Load(empty, 0));
    EXPECT_EQ(GetLastErrorMsg(), "File size error!");
}

TEST_F(UserDb20Test, NoRegionMagicIsAFormatError)
{
    CImage img(0x30000, 0xFF);
    img.Be32(0x20001, MAGIC); // off the grid
    ExpectFormatError(img);
}

TEST_F(UserDb20Test, LoadsFromAFileWithTheAskedAddress)
{
    CTempDir dir;
    CImage img(0x110000, 0xFF);
    UserDb20(img, 0x110000, MakeDb(2, 2, 2));
    WriteBytes(dir.File("fw.bin"), img.Data());

    struct CCountingAddr : IUserDbAddrSource
    {
        int nAsked = 0;
        bool bAutoAllowed = false;
        uint32_t AskUserDbAddr(bool bAuto) override { return bAutoAllowed = bAuto, ++nAsked, 0x110000; }
    } addr;
    CAccessUserDbIn in(addr);
    ASSERT_TRUE(in.LoadDb(dir.File("fw.bin"), &m_db)) << GetLastErrorMsg();
    EXPECT_EQ(addr.nAsked, 1);
    EXPECT_TRUE(addr.bAutoAllowed); // layout 2.0 searches
    EXPECT_EQ(m_db.GetSatList().GetCount(), 2);
    EXPECT_EQ(m_db.GetTpList().GetCount(), 4);
    EXPECT_EQ(m_db.GetProgList().GetCount(), 8);

    // A file that cannot be opened: false and no message, after the address was asked.
    m_db.Clear();
    EXPECT_FALSE(in.LoadDb(dir.File("missing.bin"), &m_db));
    EXPECT_EQ(HasLastError(), 0);
    EXPECT_EQ(addr.nAsked, 2);
}

TEST_F(UserDb20Test, RecordIdsReplaceAssignedIdsButNotTheCounter)
{
    CImage img;
    UserDb20(img, 0, MakeDb(2, 2, 1));
    ASSERT_TRUE(Load(img, 0));
    EXPECT_EQ(SatAt(0)->GetId(), 1);
    EXPECT_EQ(SatAt(1)->GetId(), 2);
    EXPECT_EQ(TpAt(3)->GetId(), 4);
    EXPECT_EQ(TpAt(3)->GetParentId(), 2);
    EXPECT_EQ(ProgAt(3)->GetParentId(), 4);
    EXPECT_EQ(ProgAt(3)->GetId(), 3);
    EXPECT_EQ(m_db.GetSatList().GetLastId(), 1);
    EXPECT_EQ(m_db.GetTpList().GetLastId(), 3);
    EXPECT_EQ(m_db.GetSatList().Find(2), SatAt(1));
}

TEST_F(UserDb20Test, BlockLookUp)
{
    // head -> sat block out of force (state 0) -> empty tp block with end marker -> sat block in
    // force -> prog block. No transponder block is in force: that list stays empty.
    CImage img;
    img.Bytes(0x400, Sat20(Sat{1, 0, 0, 9750, 9750, 0, 0, 0, 0, 0, 0, "old"}));
    img.Bytes(0x420, Sat20(Sat{2, 0, 0, 9750, 9750, 0, 0, 0, 0, 0, 0, "new"}));
    img.Bytes(0x440, Prog20(Prog{}));
    Block20(img, 0, 0x100, 0, 0x1234, 0, {});
    Block20(img, 0x100, 0x200, 1, 0x0000, 32, {0x400});
    Block20(img, 0x200, 0x300, 2, 0xFFFF, 12, {});
    Block20(img, 0x300, 0x380, 1, 0xFFFF, 32, {0x420});
    Block20(img, 0x380, LAST, 3, 0xFFFF, 52, {0x440});
    ASSERT_TRUE(Load(img, 0)) << GetLastErrorMsg();
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    EXPECT_EQ(SatAt(0)->GetRecord()->GetName(), "new");
    EXPECT_EQ(m_db.GetTpList().GetCount(), 0);
    EXPECT_EQ(m_db.GetProgList().GetCount(), 1);

    // An empty block without its end marker ends every look-up that reaches it.
    Block20(img, 0x200, 0x300, 2, 0xFFFF, 12, {}, false);
    img.Be32(0x214, 0);
    m_db.Clear();
    ASSERT_TRUE(Load(img, 0));
    EXPECT_EQ(m_db.GetSatList().GetCount(), 0);
    EXPECT_EQ(m_db.GetProgList().GetCount(), 0);

    // A head of another type finds nothing at all; the call still succeeds.
    UserDb20(img, 0, MakeDb(1, 1, 1));
    img.Be32(8, 5);
    m_db.Clear();
    EXPECT_TRUE(Load(img, 0));
    EXPECT_TRUE(m_db.IsEmpty());

    // So does a head with no chain behind it.
    UserDb20(img, 0, MakeDb(1, 1, 1));
    img.Be32(4, LAST);
    m_db.Clear();
    EXPECT_TRUE(Load(img, 0));
    EXPECT_TRUE(m_db.IsEmpty());
}

TEST_F(UserDb20Test, RecordLengthsOtherThanTheLayout)
{
    // Shorter: only whole words are copied and the rest of the record reads as zero.
    CImage img;
    std::vector<uint8_t> sat = Sat20(Sat{9, 100, 1, 10600, 10750, 1, 1, 1, 1, 1, 1, "cut"});
    img.Bytes(0x200, sat);
    Block20(img, 0, 0x100, 0, 0xFFFF, 0, {});
    Block20(img, 0x100, LAST, 1, 0xFFFF, 7, {0x200}); // one whole word
    ASSERT_TRUE(Load(img, 0)) << GetLastErrorMsg();
    const SatRecord* s = SatAt(0)->GetRecord();
    EXPECT_EQ(SatAt(0)->GetId(), 9);
    EXPECT_EQ(s->Get(SatField::Longitude), 100u);
    EXPECT_EQ(s->Get(SatField::LocalFre1), 15u); // frequency 0 is not in the table
    EXPECT_EQ(s->Get(SatField::K22), 0u);
    EXPECT_EQ(s->GetName(), "");

    // Longer: the layout's bytes are decoded and the rest is ignored, when it lies in the image.
    Block20(img, 0x100, LAST, 1, 0xFFFF, 64, {0x200});
    img.Resize(0x240);
    m_db.Clear();
    ASSERT_TRUE(Load(img, 0));
    EXPECT_EQ(SatAt(0)->GetRecord()->GetName(), "cut");
    EXPECT_EQ(SatAt(0)->GetRecord()->Get(SatField::K22), 1u);
    img.Resize(0x23C);
    m_db.Clear();
    ExpectFormatError(img);
}

TEST_F(UserDb20Test, WalksThatWouldLeaveTheImageOrLoopAreFormatErrors)
{
    const Db db = MakeDb(2, 2, 2);
    CImage base;
    UserDb20(base, 0, db);
    const size_t nSatBlock = 24, nTpBlock = nSatBlock + 24 + 8 + 64, nProgBlock = nTpBlock + 24 + 16 + 48;

    struct Case
    {
        const char* pszWhat;
        std::function<void(CImage&)> damage;
    };
    const Case cases[] = {
        {"next offset past the end", [&](CImage& i) { i.Be32(nTpBlock + 4, 0x7FFFFFF0); }},
        {"header cut by the end", [&](CImage& i) { i.Be32(nTpBlock + 4, uint32_t(i.Size() - 12)); }},
        {"chain back to an earlier block", [&](CImage& i) { i.Be32(nTpBlock + 4, uint32_t(nSatBlock)); }},
        {"chain back to the head", [&](CImage& i) { i.Be32(nTpBlock + 4, 0); }},
        {"block pointing at itself", [&](CImage& i) { i.Be32(nSatBlock + 4, uint32_t(nSatBlock)); }},
        {"record offset past the end", [&](CImage& i) { i.Be32(nProgBlock + 24, 0xFFFFFFF0); }},
        {"record cut by the end", [&](CImage& i) { i.Be32(nProgBlock + 24, uint32_t(i.Size() - 48)); }},
        {"offset table past the end", [&](CImage& i) { i.Be16(nProgBlock + 14, 0xFFFF); }},
        {"empty block's end marker past the end",
         [&](CImage& i) {
             i.Resize(nProgBlock + 20);
             i.Be16(nProgBlock + 14, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CImage img = base;
        c.damage(img);
        m_db.Clear();
        ClearLastError();
        ExpectFormatError(img);
    }
    // Undamaged, the same image loads whole.
    m_db.Clear();
    ASSERT_TRUE(Load(base, 0));
    EXPECT_EQ(m_db.GetProgList().GetCount(), 8);
}
