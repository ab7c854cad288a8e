#include "access/AccessUserDb25.h"

#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "tests/TestUtil.h"
#include "tests/access/UserDbImage.h"

#include <gtest/gtest.h>

#include <functional>

using namespace TestImage;

namespace {

constexpr uint32_t ADDR = 0x110000;

class UserDb25Test : public ::testing::Test
{
protected:
    void SetUp() override { ClearLastError(); }

    // img holds the bytes from the address on; they are placed behind ADDR bytes of filler.
    bool Load(const CImage& img)
    {
        std::vector<uint8_t> file(ADDR, 0x5A);
        file.insert(file.end(), img.Data().begin(), img.Data().end());
        CFixedUserDbAddr addr(ADDR);
        CAccessUserDb25In in(addr);
        m_db.Clear();
        ClearLastError();
        return in.LoadDbFromBuffer(file.data(), file.size(), ADDR, &m_db);
    }

    void ExpectFormatError(const CImage& img)
    {
        EXPECT_FALSE(Load(img));
        EXPECT_EQ(GetLastErrorMsg(), "File format error!");
        EXPECT_TRUE(m_db.IsEmpty());
    }

    std::vector<std::string> SatNames()
    {
        std::vector<std::string> names;
        for (const CNode* p : m_db.GetSatList())
            names.push_back(static_cast<const CSatNode*>(p)->GetRecord()->GetName());
        return names;
    }

    template <class T> const T* First(const CNodeList& list) { return static_cast<const T*>(*list.begin()); }

    CProgDb m_db;
};

Sat NamedSat(uint16_t nId, const std::string& strName)
{
    Sat s;
    s.nId = nId;
    s.strName = strName;
    return s;
}

} // namespace

TEST_F(UserDb25Test, DecodesEveryFieldIdAndParent)
{
    Db db;
    Sat s;
    s.nId = 0x1234;
    s.nLongitude = 2047;
    s.nDirection = 1;
    s.nLnbFreq1 = 11300;
    s.nLnbFreq2 = 16000; // not in the table
    s.n22K = 2;
    s.nMotor = 3;
    s.nDiSEqC = 6;
    s.nDiSEqC12 = 0x5A;
    s.nLnbType = 3;
    s.n12V = 1;
    s.strName = "0123456789ABCDE";
    db.sats.push_back(s);
    Tp t;
    t.nId = 44;
    t.nSatId = 0x1234;
    t.nPolar = 1;
    t.nFrequency = 12000;
    t.nSymbolRate = 0xFFFF;
    db.tps.push_back(t);
    Prog p;
    p.nTpId = 44;
    p.nServiceId = 0x8001;
    p.nVpid = 0x1001;
    p.nPcrPid = 0x0FFF;
    p.nLock = 1;
    p.nScramble = 1;
    p.nApid = 0x1FFE;
    p.nPmtPid = 0x0020;
    p.nSkip = 1;
    p.nTrack = 3;
    p.nAvType = 2;
    p.strName = "Programme name abcde";
    db.progs.push_back(p);
    p.nAvType = 3;
    db.progs.push_back(p);
    p.nAvType = 0;
    db.progs.push_back(p);

    CImage img;
    UserDb25(img, 0, db);
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    ASSERT_EQ(m_db.GetSatList().GetCount(), 1);
    ASSERT_EQ(m_db.GetTpList().GetCount(), 1);
    ASSERT_EQ(m_db.GetProgList().GetCount(), 3);

    const CSatNode* pSat = First<CSatNode>(m_db.GetSatList());
    const SatRecord* sr = pSat->GetRecord();
    EXPECT_EQ(pSat->GetId(), 0x1234);
    EXPECT_EQ(sr->Get(SatField::Longitude), 2047u);
    EXPECT_EQ(sr->Get(SatField::Direction), 1u);
    EXPECT_EQ(sr->Get(SatField::LocalFre1), 9u);
    EXPECT_EQ(sr->Get(SatField::LocalFre2), 15u);
    EXPECT_EQ(sr->Get(SatField::K22), 2u);
    EXPECT_EQ(sr->Get(SatField::DisEqCMotor), 3u);
    EXPECT_EQ(sr->Get(SatField::DiSEqC), 6u);
    EXPECT_EQ(sr->Get(SatField::DiSEqC12), 0x5Au);
    EXPECT_EQ(sr->Get(SatField::LnbType), 3u);
    EXPECT_EQ(sr->Get(SatField::V12), 1u);
    EXPECT_EQ(sr->Get(SatField::TunerSel), 0u);
    EXPECT_EQ(sr->GetName(), "0123456789ABCDE");

    const CTpNode* pTp = First<CTpNode>(m_db.GetTpList());
    const TpRecord* tr = pTp->GetRecord();
    EXPECT_EQ(pTp->GetId(), 44);
    EXPECT_EQ(pTp->GetParentId(), 0x1234);
    EXPECT_EQ(tr->Get(TpField::Polar), 1u);
    EXPECT_EQ(tr->Get(TpField::Frequency), 12000u);
    EXPECT_EQ(tr->Get(TpField::SymbolRate), 0xFFFFu);
    EXPECT_EQ(tr->Get(TpField::Flag), 0u);

    std::vector<uint32_t> avTypes;
    for (const CNode* pNode : m_db.GetProgList()) {
        const ProgRecord* pr = static_cast<const CProgNode*>(pNode)->GetRecord();
        EXPECT_EQ(pNode->GetParentId(), 44);
        EXPECT_EQ(pr->Get(ProgField::ServiceId), 0x8001u);
        EXPECT_EQ(pr->Get(ProgField::VPID), 0x1001u);
        EXPECT_EQ(pr->Get(ProgField::PCRPID), 0x0FFFu);
        EXPECT_EQ(pr->Get(ProgField::Lock), 1u);
        EXPECT_EQ(pr->Get(ProgField::Scramble), 1u);
        EXPECT_EQ(pr->Get(ProgField::APID), 0x1FFEu);
        EXPECT_EQ(pr->Get(ProgField::PmtPid), 0x0020u);
        EXPECT_EQ(pr->Get(ProgField::Skip), 1u);
        EXPECT_EQ(pr->Get(ProgField::Track), 3u);
        EXPECT_EQ(pr->Get(ProgField::FavType), 0u);
        EXPECT_EQ(pr->Get(ProgField::Hide), 0u);
        EXPECT_EQ(pr->GetName(), "Programme name abcde");
        avTypes.push_back(pr->Get(ProgField::AvType));
    }
    EXPECT_EQ(avTypes, (std::vector<uint32_t>{0, 1, 1}));
}

TEST_F(UserDb25Test, AutoReadsNothingAndStoresNoMessage)
{
    CTempDir dir;
    CImage img(ADDR, 0);
    UserDb25(img, ADDR, MakeDb(1, 1, 1));
    WriteBytes(dir.File("fw.bin"), img.Data());

    // The reader says that "Auto" cannot work for it when it asks.
    struct CAutoAddr : IUserDbAddrSource
    {
        std::vector<bool> asked;
        uint32_t AskUserDbAddr(bool bAutoAllowed) override { return asked.push_back(bAutoAllowed), 0; }
    } autoAddr;
    CAccessUserDb25In in(autoAddr);
    EXPECT_FALSE(in.LoadDb(dir.File("fw.bin"), &m_db));
    EXPECT_EQ(autoAddr.asked, std::vector<bool>{false});
    EXPECT_EQ(HasLastError(), 0);
    EXPECT_TRUE(m_db.IsEmpty());

    CFixedUserDbAddr addr(ADDR);
    CAccessUserDb25In in2(addr);
    ASSERT_TRUE(in2.LoadDb(dir.File("fw.bin"), &m_db)) << GetLastErrorMsg();
    EXPECT_EQ(m_db.GetProgList().GetCount(), 1);
    m_db.Clear();
    EXPECT_FALSE(in2.LoadDb(dir.File("missing.bin"), &m_db));
    EXPECT_EQ(HasLastError(), 0);

    // An image that ends at the address.
    CImage shortImg(ADDR, 0);
    WriteBytes(dir.File("short.bin"), shortImg.Data());
    EXPECT_FALSE(in2.LoadDb(dir.File("short.bin"), &m_db));
    EXPECT_EQ(GetLastErrorMsg(), "File size error!");
}

TEST_F(UserDb25Test, RegionStartIsTheFirstValidHeaderOnAWordStep)
{
    // In front of the database: a magic off the word grid, and an empty block without end marker.
    // Record offsets count from the address, next offsets from the region start.
    CImage img;
    img.Be32(0x12, MAGIC);
    Block25(img, 0x40, LAST, 0, 28, 0, 4, {}, false);
    img.Be32(0x40 + 28, 0x12345678);
    const size_t nRegion = 0x80;
    img.Bytes(0x300, Sat25(NamedSat(1, "first")));
    img.Bytes(0x320, Sat25(NamedSat(2, "second")));
    Block25(img, nRegion, 0x100, 0, 28, 0, 4, {0x300});        // superseded by region + 0x100
    Block25(img, nRegion + 0x100, LAST, 0, 28, 0, 4, {0x320}); // in force
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    EXPECT_EQ(SatNames(), (std::vector<std::string>{"second"}));
}

TEST_F(UserDb25Test, NoValidHeaderFindsNothingButSucceeds)
{
    CImage img(0x400, 0x00);
    img.Be32(0x100, MAGIC); // empty block without end marker: not valid
    EXPECT_TRUE(Load(img));
    EXPECT_TRUE(m_db.IsEmpty());
    // What the editor tells the user about such an image.
    CFixedUserDbAddr addr(ADDR);
    CAccessUserDb25In in(addr);
    std::vector<uint8_t> file(ADDR, 0);
    file.insert(file.end(), img.Data().begin(), img.Data().end());
    ASSERT_TRUE(in.LoadDbFromBuffer(file.data(), file.size(), ADDR, &m_db));
    EXPECT_EQ(in.DescribeEmptyResult(), "No channel records were found at address 0x110000 (layout 2.5).");
}

TEST_F(UserDb25Test, SupersededTwiceIsFollowedToTheCopyInForce)
{
    CImage img;
    img.Bytes(0x400, Sat25(NamedSat(1, "v1")));
    img.Bytes(0x420, Sat25(NamedSat(1, "v2")));
    img.Bytes(0x440, Sat25(NamedSat(1, "v3")));
    img.Bytes(0x460, Sat25(NamedSat(2, "v3b")));
    Block25(img, 0, 0x200, 0, 28, 0, 4, {0x400});
    Block25(img, 0x200, 0x100, 0, 28, 0, 4, {0x420});
    Block25(img, 0x100, LAST, 0, 28, 0, 4, {0x440, 0x460});
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    EXPECT_EQ(SatNames(), (std::vector<std::string>{"v3", "v3b"}));
    EXPECT_TRUE(m_db.GetTpList().IsEmpty());
}

TEST_F(UserDb25Test, OffsetTableStrides)
{
    // Stride 8: the second 4 bytes of each entry (0xEE...) are not offsets.
    Db db;
    for (uint16_t i = 1; i <= 5; ++i)
        db.sats.push_back(NamedSat(i, "s" + std::to_string(i)));
    db.tps.push_back(Tp{});
    CImage img;
    UserDb25(img, 0, db, 8);
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    EXPECT_EQ(SatNames(), (std::vector<std::string>{"s1", "s2", "s3", "s4", "s5"}));
    EXPECT_EQ(m_db.GetTpList().GetCount(), 1); // found directly behind the wider table

    // Stride 6: entry i starts at the whole word below i * 6, so the entries of records 0, 1 and 2
    // are the words at table bytes 0, 4 and 12.
    CImage six;
    six.Bytes(0x300, Sat25(NamedSat(1, "a")));
    six.Bytes(0x320, Sat25(NamedSat(2, "b")));
    six.Bytes(0x340, Sat25(NamedSat(3, "c")));
    Block25(six, 0, LAST, 0, 28, 0, 6, {});
    six.Be16(16, 3).Be32(28, 0x300).Be32(32, 0x320).Be32(36, 0xFFFFFFFF).Be32(40, 0x340);
    ASSERT_TRUE(Load(six)) << GetLastErrorMsg();
    EXPECT_EQ(SatNames(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(UserDb25Test, FollowFlagsAndTheStepsOfTheLookUp)
{
    // Block A (satellites, superseded, follow 0) -> B (satellites, in force, follow 1);
    // 224 bytes behind B: transponders in force, follow 0. No program block.
    CImage img;
    const size_t a = 0, b = 0x400, tp = b + 224;
    img.Bytes(0x800, Sat25(NamedSat(1, "A")));
    img.Bytes(0x820, Sat25(NamedSat(1, "B")));
    Tp t;
    t.nId = 5;
    t.nSatId = 1;
    img.Bytes(0x840, Tp25(t));
    Block25(img, a, uint32_t(b), 0, 28, 0, 4, {0x800});
    Block25(img, b, LAST, 0, 28, 1, 4, {0x820});
    Block25(img, tp, LAST, 1, 16, 0, 4, {0x840});
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    EXPECT_EQ(SatNames(), (std::vector<std::string>{"B"}));
    ASSERT_EQ(m_db.GetTpList().GetCount(), 1);
    EXPECT_EQ(First<CTpNode>(m_db.GetTpList())->GetId(), 5);
    // Programs: the walk ends on the transponder block, in force with no follow flag.
    EXPECT_TRUE(m_db.GetProgList().IsEmpty());

    // The forward scan passes blocks of other types while their follow flag is set.
    Db db = MakeDb(2, 2, 2);
    CImage chain;
    UserDb25(chain, 0, db);
    ASSERT_TRUE(Load(chain));
    EXPECT_EQ(m_db.GetSatList().GetCount(), 2);
    EXPECT_EQ(m_db.GetTpList().GetCount(), 4);
    EXPECT_EQ(m_db.GetProgList().GetCount(), 8);
    // Without the follow flag on the satellite block, only satellites are found.
    chain.U8(24, 0);
    ASSERT_TRUE(Load(chain));
    EXPECT_EQ(m_db.GetSatList().GetCount(), 2);
    EXPECT_TRUE(m_db.GetTpList().IsEmpty());
    EXPECT_TRUE(m_db.GetProgList().IsEmpty());
}

TEST_F(UserDb25Test, ShortRecordLengthReadsTheRestAsZero)
{
    Db db;
    Prog p;
    p.nTpId = 3;
    p.nServiceId = 77;
    p.nVpid = 100;
    p.nAvType = 2;
    p.strName = "gone";
    db.progs.push_back(p);
    CImage img;
    UserDb25(img, 0, db);
    // The program block is the third; its record length is at byte 22 of the header.
    const size_t nProgBlock = 2 * Block25Size(0, 4);
    img.Be16(nProgBlock + 22, 10); // two whole words
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    const CProgNode* pProg = First<CProgNode>(m_db.GetProgList());
    EXPECT_EQ(pProg->GetParentId(), 3);
    EXPECT_EQ(pProg->GetRecord()->Get(ProgField::ServiceId), 77u);
    EXPECT_EQ(pProg->GetRecord()->Get(ProgField::VPID), 0u);
    EXPECT_EQ(pProg->GetRecord()->Get(ProgField::AvType), 1u); // word 6 reads as 0
    EXPECT_EQ(pProg->GetRecord()->GetName(), "");
}

TEST_F(UserDb25Test, WalksThatWouldLeaveTheImageOrLoopAreFormatErrors)
{
    const Db db = MakeDb(2, 2, 2);
    CImage base;
    UserDb25(base, 0, db);
    const size_t nTpBlock = Block25Size(2, 4), nProgBlock = nTpBlock + Block25Size(4, 4);

    struct Case
    {
        const char* pszWhat;
        std::function<void(CImage&)> damage;
    };
    const Case cases[] = {
        {"follow flag leading past the end",
         [&](CImage& i) {
             // The program look-up passes a block of another type whose table reaches past the end.
             i.Be32(nProgBlock + 8, 5).U8(nProgBlock + 24, 1).Be16(nProgBlock + 16, 0x4000);
         }},
        {"next offset past the end", [&](CImage& i) { i.Be32(nTpBlock + 4, 0x7FFFFFF0); }},
        {"next offset back to itself", [&](CImage& i) { i.Be32(nTpBlock + 4, uint32_t(nTpBlock)); }},
        {"two blocks superseding each other",
         [&](CImage& i) {
             i.Be32(4, uint32_t(nTpBlock));
             i.Be32(nTpBlock + 4, 0);
         }},
        {"record offset past the end", [&](CImage& i) { i.Be32(nProgBlock + 28 + 4, 0xFFFFFFF0); }},
        {"record cut by the end", [&](CImage& i) { i.Be32(nProgBlock + 28, uint32_t(i.Size() - 40)); }},
        {"offset table past the end", [&](CImage& i) { i.Be16(nProgBlock + 16, 0xFFFF); }},
        {"wide stride past the end", [&](CImage& i) { i.U8(nProgBlock + 25, 0xFF); }},
        {"image shorter than a header", [&](CImage& i) { i.Resize(20); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CImage img = base;
        c.damage(img);
        ExpectFormatError(img);
    }
    ASSERT_TRUE(Load(base));
    EXPECT_EQ(m_db.GetProgList().GetCount(), 8);
}

TEST_F(UserDb25Test, StepsBeyondTheLastBlockAreFormatErrors)
{
    // Records first, the two blocks at the very end of the image.
    CImage img;
    img.Bytes(0x00, Sat25(NamedSat(1, "s")));
    img.Bytes(0x40, Tp25(Tp{}));
    const size_t nSat = 0x100, nTp = nSat + Block25Size(1, 4);
    Block25(img, nSat, LAST, 0, 28, 1, 4, {0x00});
    Block25(img, nTp, LAST, 1, 16, 0, 4, {0x40});
    ASSERT_EQ(img.Size(), nTp + Block25Size(1, 4));
    ASSERT_TRUE(Load(img)) << GetLastErrorMsg();
    EXPECT_EQ(m_db.GetSatList().GetCount(), 1);
    EXPECT_EQ(m_db.GetTpList().GetCount(), 1);

    // The program look-up's forward scan follows the flag of the last block past the end.
    CImage follow = img;
    follow.U8(nTp + 24, 1);
    ExpectFormatError(follow);

    // The transponders are superseded by the satellite block, whose follow flag sends the look-up
    // 224 bytes on, past the end.
    CImage step = img;
    step.Be32(nTp + 4, 0);
    ExpectFormatError(step);
}
