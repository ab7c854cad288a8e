#include "db/ListMatch.h"
#include "db/OrderLike.h"
#include "db/ParentPositions.h"
#include "edit/OrderLikeCommand.h"
#include "edit/TakeOverCommand.h"
#include "tests/MatchTestDb.h"
#include "tests/TestUtil.h"
#include "tests/edit/EditTestUtil.h"

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

namespace {

// A database as text: satellite names, transponders as frequency@satellite, programs as
// name@frequency with the flags that are set (L lock, S skip, H hide, F favourite group).
std::string Describe(const CProgDb& db)
{
    std::string strText = "S:";
    for (const CNode* p : db.GetSatList())
        strText += " " + static_cast<const CSatNode*>(p)->GetRecord()->GetName();
    strText += " | T:";
    for (const CNode* p : db.GetTpList()) {
        const CNode* pSat = db.GetSatList().Find(p->GetParentId());
        strText += " " +
                   std::to_string(static_cast<const CTpNode*>(p)->GetRecord()->Get(TpField::Frequency)) +
                   "@" + (pSat ? static_cast<const CSatNode*>(pSat)->GetRecord()->GetName() : "?");
    }
    strText += " | P:";
    for (const CNode* p : db.GetProgList()) {
        const ProgRecord& r = *static_cast<const CProgNode*>(p)->GetRecord();
        const CNode* pTp = db.GetTpList().Find(p->GetParentId());
        strText +=
            " " + r.GetName() + "@" +
            (pTp ? std::to_string(static_cast<const CTpNode*>(pTp)->GetRecord()->Get(TpField::Frequency))
                 : "?");
        if (r.Get(ProgField::Lock))
            strText += " L";
        if (r.Get(ProgField::Skip))
            strText += " S";
        if (r.Get(ProgField::Hide))
            strText += " H";
        if (r.Get(ProgField::FavType))
            strText += " F" + std::to_string(r.Get(ProgField::FavType));
    }
    return strText;
}

CProgNode* Prog(CProgDb& db, int32_t nTp, const std::string& strName, uint32_t nSid)
{
    CProgNode* p = AddProg(db, nTp, strName);
    p->GetRecord()->Set(ProgField::ServiceId, nSid);
    return p;
}

CSatNode* Sat(CProgDb& db, const std::string& strName, uint32_t nLongitude)
{
    CSatNode* p = AddSat(db, strName);
    p->GetRecord()->Set(SatField::Longitude, nLongitude);
    return p;
}

// The list the user kept: names and flags of their own.
void MakeKeptList(CProgDb& db)
{
    Sat(db, "Astra", 192);
    Sat(db, "Hotbird", 130);
    AddTp(db, 0, 11000, 27500, 0);
    AddTp(db, 0, 12000, 27500, 1);
    AddTp(db, 1, 11500, 27500, 0);
    ProgRecord& ard = *Prog(db, 0, "Das Erste", 1)->GetRecord();
    ard.Set(ProgField::Lock, 1);
    ard.Set(ProgField::FavType, 3);
    Prog(db, 0, "ZDF", 2);
    Prog(db, 1, "RTL", 3)->GetRecord()->Set(ProgField::Skip, 1);
    Prog(db, 2, "Rai 1", 4)->GetRecord()->Set(ProgField::Hide, 1);
    Prog(db, 2, "Rai 2", 5);
}

// The receiver's rescan of it: another order, the provider's names, no flags, a transponder off by
// one, a new satellite with a transponder, a new program, ZDF gone and Rai 1 under a new ServiceId.
void MakeRescan(CProgDb& db)
{
    Sat(db, "Hotbird", 130);
    Sat(db, "Astra", 192);
    Sat(db, "Turksat", 420);
    AddTp(db, 0, 11501, 27500, 0);
    AddTp(db, 1, 12000, 27500, 1);
    AddTp(db, 1, 11000, 27500, 0);
    AddTp(db, 2, 10800, 27500, 0);
    Prog(db, 0, "Rai 2", 5);
    Prog(db, 2, "ARD", 1);
    Prog(db, 1, "RTL", 3);
    Prog(db, 2, "New Channel", 9);
    Prog(db, 0, "Rai 1", 44);
}

// Apply, revert (the picture and .db image from before, the id counters as an insert leaves them)
// and apply again (the picture after).
void ExpectRoundTrip(CEditCommand& command, CProgDb& db, const SDbPicture& before,
                     const std::vector<uint8_t>& imageBefore)
{
    const SDbPicture after = Picture(db);
    int32_t lastIds[3];
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG})
        lastIds[k] = db.GetList(k).GetLastId();
    command.Revert(db);
    EXPECT_TRUE(Picture(db) == before) << command.GetText() << ": revert";
    EXPECT_EQ(ImageOf(db), imageBefore);
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG})
        EXPECT_EQ(db.GetList(k).GetLastId(), lastIds[k]);
    EXPECT_TRUE(command.Apply(db));
    EXPECT_TRUE(Picture(db) == after) << command.GetText() << ": redo";
}

} // namespace

// A rescan ordered like the kept list: each option takes exactly what it says, the summary counts
// each way of matching, and the step goes back to the very bytes.
TEST(OrderLikeCommand, EachOptionTakesWhatItSaysAndTheStepGoesBackExactly)
{
    struct SCase
    {
        COrderOptions options;
        const char* pszAfter;
    };
    const char* const pszOrder =
        "S: Astra Hotbird Turksat | T: 11000@Astra 12000@Astra 11501@Hotbird 10800@Turksat | P: ";
    const SCase cases[] = {
        {{false, false, false}, "ARD@11000 RTL@12000 Rai 1@11501 Rai 2@11501 New Channel@11000"},
        {{true, false, false}, "Das Erste@11000 RTL@12000 Rai 1@11501 Rai 2@11501 New Channel@11000"},
        {{false, true, false}, "ARD@11000 L F3 RTL@12000 S Rai 1@11501 H Rai 2@11501 New Channel@11000"},
        {{false, false, true}, "ARD@11000 ZDF@11000 RTL@12000 Rai 1@11501 Rai 2@11501 New Channel@11000"},
        {{true, true, true},
         "Das Erste@11000 L F3 ZDF@11000 RTL@12000 S Rai 1@11501 H Rai 2@11501 New Channel@11000"},
    };
    CCodePageScope codePage(1252);
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string("names ") + (c.options.bNames ? "on" : "off") + ", flags " +
                     (c.options.bFlags ? "on" : "off") + ", add missing " +
                     (c.options.bAddMissing ? "on" : "off"));
        CProgDb db, ref;
        MakeRescan(db);
        MakeKeptList(ref);
        const SDbPicture before = Picture(db);
        const std::vector<uint8_t> imageBefore = ImageOf(db);
        auto pCommand = COrderLikeCommand::Make(db, ref, c.options);
        EXPECT_EQ(pCommand->GetText(), "Order Like Reference");
        const COrderPlan& plan = pCommand->GetPlan();
        EXPECT_EQ(plan.nRenamed, c.options.bNames ? 1 : 0);
        EXPECT_EQ(plan.nFlagged, c.options.bFlags ? 3 : 0);
        EXPECT_EQ(plan.nAdded[NODE_PROG], c.options.bAddMissing ? 1 : 0);
        // Other references do not matter any more once the command is made.
        ref.Clear();
        ASSERT_TRUE(pCommand->Apply(db));
        EXPECT_EQ(Describe(db), pszOrder + std::string(c.pszAfter));
        // Records that were there keep their ids, parents and every value the options leave alone.
        for (const SRecordPicture& was : before.lists[NODE_TP]) {
            const CNode* pNow = db.GetTpList().Find(was.nId);
            ASSERT_TRUE(pNow);
            EXPECT_EQ(RecordBytes(*pNow), was.bytes);
            EXPECT_EQ(pNow->GetParentId(), was.nParent);
        }
        if (c.options.bAddMissing) {
            ASSERT_EQ(pCommand->GetNewIds(NODE_PROG).size(), 1u);
            const CNode* pZdf = db.GetProgList().Find(pCommand->GetNewIds(NODE_PROG)[0]);
            ASSERT_TRUE(pZdf);
            EXPECT_EQ(pZdf->GetParentId(), 2) << "under the rescan's 11000";
        }
        EXPECT_EQ(pCommand->GetTouched() & unsigned(TOUCH_PROG_ROWS), unsigned(TOUCH_PROG_ROWS));
        ExpectRoundTrip(*pCommand, db, before, imageBefore);
    }

    CProgDb db, ref;
    MakeRescan(db);
    MakeKeptList(ref);
    const CListMatch match = MatchLists(db, ref);
    const COrderOptions all{true, true, true};
    EXPECT_EQ(OrderSummaryLines(PlanOrderLike(db, ref, match, all), match, all),
              (std::vector<std::string>{
                  "satellites: 2 of 3 like the reference (2 by position, 0 by name), 1 after them",
                  "transponders: 3 of 4 like the reference (2 exact, 1 near), 1 after them",
                  "programs: 4 of 5 like the reference (3 by service, 1 by name), 1 after them",
                  "added: 0 satellites, 0 transponders, 1 programs",
              }));
    // Ordering like itself changes nothing; the command is then not kept.
    CProgDb same;
    MakeKeptList(same);
    EXPECT_TRUE(PlanOrderLike(ref, same, MatchLists(ref, same), all).ChangesNothing());
    EXPECT_FALSE(COrderLikeCommand::Make(ref, same, all)->Apply(ref));
    // Made for another state of the database: nothing happens.
    auto pStale = COrderLikeCommand::Make(db, ref, all);
    db.GetProgList().Remove(0);
    const SDbPicture stale = Picture(db);
    EXPECT_FALSE(pStale->Apply(db));
    EXPECT_TRUE(Picture(db) == stale);
}

// A list ordered like a shuffled copy of itself, with every option, becomes that copy record for record
// (the missing records added back, names and flags taken); without options only the order changes.
TEST(OrderLikeCommand, TurnsAShuffledCopyBackIntoTheReference)
{
    CCodePageScope codePage(1252);
    std::mt19937 rng(99);
    for (int nRun = 0; nRun < 150; ++nRun) {
        SCOPED_TRACE(nRun);
        CProgDb ref, db;
        MakeMatchableDb(ref, rng, false);
        std::vector<int32_t> posOf[3];
        SCopyChanges changes;
        changes.bDrift = false;
        MakeShuffledCopy(ref, rng, changes, db, posOf);
        const SDbPicture before = Picture(db);
        const std::vector<uint8_t> imageBefore = ImageOf(db);

        const bool bAll = nRun % 2 == 0;
        auto pCommand = COrderLikeCommand::Make(db, ref, COrderOptions{bAll, bAll, bAll});
        if (!pCommand->Apply(db)) {
            EXPECT_TRUE(pCommand->GetPlan().ChangesNothing());
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        if (bAll) {
            for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
                ASSERT_EQ(db.GetList(k).GetCount(), ref.GetList(k).GetCount());
                auto it = ref.GetList(k).begin();
                for (const CNode* p : db.GetList(k))
                    EXPECT_EQ(RecordBytes(*p), RecordBytes(**it++)) << "kind " << k;
                EXPECT_EQ(ParentPositions(db, k), ParentPositions(ref, k)) << "kind " << k;
            }
        } else {
            SDbPicture sortedBefore = before, sortedAfter = Picture(db);
            for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
                auto byId = [](const SRecordPicture& a, const SRecordPicture& b) {
                    return a.nId < b.nId || (a.nId == b.nId && a.bytes < b.bytes);
                };
                std::sort(sortedBefore.lists[k].begin(), sortedBefore.lists[k].end(), byId);
                std::sort(sortedAfter.lists[k].begin(), sortedAfter.lists[k].end(), byId);
            }
            EXPECT_TRUE(sortedAfter == sortedBefore);
        }
        ExpectRoundTrip(*pCommand, db, before, imageBefore);
    }
}

// Taking records over from another list: what the list lacks comes with the parents it needs, what
// it has is skipped, and the new records stand where a paste or a drop puts them.
TEST(TakeOverCommand, CopiesWhatIsMissingWithItsParentsAndSkipsTheRest)
{
    struct SCase
    {
        const char* pszWhat;
        NodeType nKind;
        std::vector<int32_t> refPositions;
        int32_t nBefore;
        const char* pszText;
        int32_t nSkipped[3];
        int32_t nAdded[3];
        const char* pszAfter;
    };
    const SCase cases[] = {
        {"a satellite the list lacks, with everything under it",
         NODE_SAT,
         {1},
         -1,
         "Take Over 1 satellite",
         {0, 0, 0},
         {1, 1, 2},
         "S: Astra Hotbird | T: 11000@Astra 11500@Hotbird | P: ARD@11000 Rai 1@11500 Rai 2@11500"},
        {"a satellite the list has: only what it lacks under it",
         NODE_SAT,
         {0},
         -1,
         "Take Over 1 transponder",
         {1, 1, 1},
         {0, 1, 2},
         "S: Astra | T: 11000@Astra 12000@Astra | P: ARD@11000 ZDF@11000 RTL@12000"},
        {"programs bring their transponder and satellite along",
         NODE_PROG,
         {1, 3, 3, 99},
         -1,
         "Take Over 2 programs",
         {0, 0, 0},
         {1, 1, 2},
         "S: Astra Hotbird | T: 11000@Astra 11500@Hotbird | P: ARD@11000 ZDF@11000 Rai 1@11500"},
        {"a drop: before the record dropped on, the one the list has skipped",
         NODE_PROG,
         {0, 2},
         0,
         "Take Over 1 program",
         {0, 0, 1},
         {0, 1, 1},
         "S: Astra | T: 11000@Astra 12000@Astra | P: RTL@12000 ARD@11000"},
        {"everything there already: nothing to do", NODE_PROG, {0}, -1, "", {0, 0, 1}, {0, 0, 0}, ""},
    };
    CCodePageScope codePage(1252);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CProgDb db, ref;
        Sat(db, "Astra", 192);
        AddTp(db, 0, 11000, 27500, 0);
        Prog(db, 0, "ARD", 1);
        Sat(ref, "Astra", 192);
        Sat(ref, "Hotbird", 130);
        AddTp(ref, 0, 11000, 27500, 0);
        AddTp(ref, 0, 12000, 27500, 1);
        AddTp(ref, 1, 11500, 27500, 0);
        Prog(ref, 0, "Das Erste", 1);
        Prog(ref, 0, "ZDF", 2);
        Prog(ref, 1, "RTL", 3);
        Prog(ref, 2, "Rai 1", 4);
        Prog(ref, 2, "Rai 2", 5);
        const SDbPicture before = Picture(db);
        const std::vector<uint8_t> imageBefore = ImageOf(db);

        auto pCommand = CTakeOverCommand::Make(db, ref, c.nKind, c.refPositions, c.nBefore);
        ref.Clear();
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            EXPECT_EQ(pCommand->GetSkipped(k), c.nSkipped[k]) << "kind " << k;
            EXPECT_EQ(pCommand->GetAdded(k), c.nAdded[k]) << "kind " << k;
        }
        if (*c.pszAfter == '\0') {
            EXPECT_FALSE(pCommand->Apply(db));
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        ASSERT_TRUE(pCommand->Apply(db));
        EXPECT_EQ(pCommand->GetText(), c.pszText);
        EXPECT_EQ(Describe(db), c.pszAfter);
        // The new ids name the new records of each kind, fresh from the counters.
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            const std::vector<int32_t>& ids = pCommand->GetNewIds(k);
            EXPECT_EQ(ids.size(), static_cast<size_t>(c.nAdded[k]));
            for (int32_t nId : ids) {
                EXPECT_GT(nId, before.lists[k].empty() ? -1 : before.lists[k].back().nId);
                EXPECT_TRUE(db.GetList(k).Find(nId));
            }
        }
        EXPECT_EQ(pCommand->GetNewIds(), pCommand->GetNewIds(c.nKind));
        ExpectRoundTrip(*pCommand, db, before, imageBefore);
    }
}
