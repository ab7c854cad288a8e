#include "access/AccessDummy.h"

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "access/MessageSink.h"
#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

class CRecordingSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon) override
    {
        messages.emplace_back(strText, strCaption);
    }
    std::vector<std::pair<std::string, std::string>> messages;
};

void ExpectSatSettings(const SatRecord* r)
{
    EXPECT_EQ(r->Get(SatField::Longitude), 0u);
    EXPECT_EQ(r->Get(SatField::K22), 3u);
    EXPECT_EQ(r->Get(SatField::DiSEqC12), 2u);
    EXPECT_EQ(r->Get(SatField::LocalFre1), 10u);
    EXPECT_EQ(r->Get(SatField::LocalFre2), 11u);
    EXPECT_EQ(LnbIndexToFreq(r->Get(SatField::LocalFre1)), 5150u);
    EXPECT_EQ(r->Get(SatField::LnbType), 2u);
    EXPECT_EQ(r->Get(SatField::DisEqCMotor), 1u);
    EXPECT_EQ(r->Get(SatField::V12), 1u);
    EXPECT_EQ(r->Get(SatField::DiSEqC), 1u);
    EXPECT_EQ(r->dwWord[0], 0u);
}

} // namespace

TEST(AccessDummy, SampleIntoEmptyDatabase)
{
    ClearLastError();
    CProgDb db;
    CAccessDummyIn in;
    ASSERT_TRUE(in.LoadDb("ignored", &db));
    EXPECT_EQ(HasLastError(), 0);
    ASSERT_EQ(db.GetSatList().GetCount(), 2);
    ASSERT_EQ(db.GetTpList().GetCount(), 2);
    ASSERT_EQ(db.GetProgList().GetCount(), 2);

    const CSatNode* s0 = static_cast<const CSatNode*>(db.GetSatList().Find(0));
    const CSatNode* s1 = static_cast<const CSatNode*>(db.GetSatList().Find(1));
    EXPECT_EQ(s0->GetRecord()->GetName(), "A3S");
    EXPECT_EQ(s1->GetRecord()->GetName(), "\xD6\xD0\xD0\xC7\x36\x42");
    EXPECT_EQ(s1->GetRecord()->Name[6], 0);
    ExpectSatSettings(s0->GetRecord());
    ExpectSatSettings(s1->GetRecord());

    std::vector<std::tuple<int32_t, int32_t, uint32_t>> tps;
    for (const CNode* p : db.GetTpList()) {
        const TpRecord* r = static_cast<const CTpNode*>(p)->GetRecord();
        EXPECT_EQ(r->Get(TpField::SymbolRate), 2000u);
        EXPECT_EQ(r->Get(TpField::Polar), 1u);
        EXPECT_EQ(r->Get(TpField::Flag), 0u);
        tps.emplace_back(p->GetId(), p->GetParentId(), r->Get(TpField::Frequency));
    }
    EXPECT_EQ(tps, (std::vector<std::tuple<int32_t, int32_t, uint32_t>>{{0, 0, 1000}, {1, 0, 1500}}));

    std::vector<std::string> names;
    for (const CNode* p : db.GetProgList()) {
        const ProgRecord* r = static_cast<const CProgNode*>(p)->GetRecord();
        names.push_back(r->GetName());
        EXPECT_EQ(p->GetParentId(), 0);
        EXPECT_EQ(r->Get(ProgField::Track), 1u);
        EXPECT_EQ(r->Get(ProgField::FavType), 3u);
        EXPECT_EQ(r->Get(ProgField::Lock), 0u);
        EXPECT_EQ(r->Get(ProgField::Scramble), 1u);
        EXPECT_EQ(r->Get(ProgField::AvType), 1u);
        EXPECT_EQ(r->Get(ProgField::ServiceId), 400u);
        EXPECT_EQ(r->Get(ProgField::APID), 123u);
        EXPECT_EQ(r->Get(ProgField::VPID), 500u);
        EXPECT_EQ(r->Get(ProgField::Hide), 0u);
        EXPECT_EQ(r->Get(ProgField::Skip), 1u);
        EXPECT_EQ(r->Get(ProgField::PCRPID), 200u);
        EXPECT_EQ(r->Get(ProgField::PmtPid), 80u);
        EXPECT_EQ(r->Get(ProgField::TpIndex), 0u);
        EXPECT_EQ(r->Get(ProgField::TunerSel), 0u);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CCTV-1", "SHANXI"}));
}

TEST(AccessDummy, SampleAppendsWithTheNextFreeIds)
{
    CProgDb db;
    CAccessDummyIn in;
    ASSERT_TRUE(in.LoadDb("", &db));
    ASSERT_TRUE(in.LoadDb("", &db));
    ASSERT_EQ(db.GetSatList().GetCount(), 4);
    std::vector<int32_t> tpParents, progParents;
    for (const CNode* p : db.GetTpList())
        tpParents.push_back(p->GetParentId());
    for (const CNode* p : db.GetProgList())
        progParents.push_back(p->GetParentId());
    EXPECT_EQ(tpParents, (std::vector<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(progParents, (std::vector<int32_t>{0, 0, 2, 2}));
    EXPECT_EQ(db.GetTpList().GetCountByParent(1), 0);
    EXPECT_EQ(db.GetProgList().GetCountByParent(1), 0);
}

TEST(AccessDummy, NullExporterOnlyAnnouncesItself)
{
    CRecordingSink sink;
    CAccessDummyOut out(sink);
    CProgDb db;
    EXPECT_TRUE(out.SaveDb("", &db));
    EXPECT_TRUE(db.IsEmpty());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "CAccessDummyOut::SaveDb() is called!");
    EXPECT_EQ(sink.messages[0].second, APP_NAME);
}

TEST(AccessDummy, SampleSurvivesTheProgramDatabaseFile)
{
    CProgDb db;
    CAccessDummyIn().LoadDb("", &db);
    CAccessDbOut out;
    std::vector<uint8_t> image;
    ASSERT_TRUE(out.BuildImage(&db, image));
    CProgDb back;
    CAccessDbIn in;
    ASSERT_TRUE(in.LoadDbFromBuffer(image.data(), image.size(), &back));
    std::vector<uint8_t> again;
    ASSERT_TRUE(out.BuildImage(&back, again));
    EXPECT_EQ(image, again);
    EXPECT_EQ(image.size(), 20u + 2 * 28u + 2 * 4u + 2 * 40u);
}

TEST(LastError, StoresTheLastMessageUntilCleared)
{
    ClearLastError();
    EXPECT_EQ(HasLastError(), 0);
    EXPECT_EQ(GetLastErrorMsg(), "");
    SetLastErrorMsg("first");
    SetLastErrorMsg("second");
    EXPECT_EQ(HasLastError(), 1);
    EXPECT_EQ(GetLastErrorMsg(), "second");
    SetLastErrorMsg("");
    EXPECT_EQ(HasLastError(), 1); // an empty message still counts as stored
    ClearLastError();
    EXPECT_EQ(HasLastError(), 0);
    EXPECT_EQ(GetLastErrorMsg(), "");
}
