#include "edit/FixCommand.h"

#include "db/Check.h"
#include "edit/EditHistory.h"

#include "tests/edit/EditTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

void SetTp(CProgDb& db, int32_t nIndex, uint32_t nFreq)
{
    static_cast<CTpNode*>(db.GetTpList().GetAtIndex(nIndex))->GetRecord()->Set(TpField::Frequency, nFreq);
}

// Programs under the given transponder ids, with the given ServiceIds, named "P".
void AddProgs(CProgDb& db, std::initializer_list<std::pair<int32_t, uint32_t>> progs)
{
    for (const auto& prog : progs) {
        const int32_t nId = AddRecord(db, NODE_PROG, prog.first, "P");
        ProgAt(db, nId).GetRecord()->Set(ProgField::ServiceId, prog.second);
    }
}

} // namespace

// The fix as one undoable step: its text counts the findings fixed, it names the rows and values it
// changes, an undo gives back the first database (.db image and id counters), a redo the fixed one;
// a database with nothing fixable gives no step at all.
TEST(FixCommand, FixesEverythingTheCheckFindsInOneStep)
{
    struct Case
    {
        const char* pszName;
        std::function<void(CProgDb&)> build;
        const char* pszText; // nullptr: nothing to fix
        unsigned nTouched;
        std::vector<int32_t> tpIds, progIds, progParents; // after the fix
    };
    const Case cases[] = {
        {"only findings that are not fixable",
         [](CProgDb& db) {
             AddRecord(db, NODE_SAT, INVALID_ID, "S");
             AddRecord(db, NODE_TP, 0);
             AddRecord(db, NODE_TP, 0);
             SetTp(db, 1, 2);
             AddProgs(db, {{0, 1}, {1, 1}, {1, 2}});
             ProgAt(db, 2).GetRecord()->SetName("");
         },
         nullptr,
         TOUCH_NONE,
         {0, 1},
         {0, 1, 2},
         {0, 1, 1}},
        {"transponder without satellite, program without transponder",
         [](CProgDb& db) {
             AddRecord(db, NODE_SAT, INVALID_ID, "S");
             AddRecord(db, NODE_TP, 0);
             AddRecord(db, NODE_TP, 7);
             SetTp(db, 1, 2);
             AddProgs(db, {{0, 1}, {1, 1}, {9, 1}, {0, 2}});
         },
         "Fix 2 problems",
         TOUCH_TP_ROWS | TOUCH_PROG_ROWS,
         {0},
         {0, 3},
         {0, 0}},
        {"same transponder: its programs move, a repeated ServiceId goes",
         [](CProgDb& db) {
             AddRecord(db, NODE_SAT, INVALID_ID, "S");
             for (int i = 0; i < 3; ++i)
                 AddRecord(db, NODE_TP, 0);
             SetTp(db, 2, 5);
             AddProgs(db, {{0, 1}, {1, 1}, {1, 2}, {2, 1}});
         },
         "Fix 2 problems",
         TOUCH_TP_ROWS | TOUCH_PROG_ROWS | TOUCH_PROG_VALUES,
         {0, 2},
         {0, 2, 3},
         {0, 0, 2}},
        {"one repeated ServiceId",
         [](CProgDb& db) {
             AddRecord(db, NODE_SAT, INVALID_ID, "S");
             AddRecord(db, NODE_TP, 0);
             AddProgs(db, {{0, 1}, {0, 2}, {0, 1}});
         },
         "Fix 1 problem",
         TOUCH_PROG_ROWS,
         {0},
         {0, 1},
         {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CProgDb db;
        c.build(db);
        const SDbPicture before = Picture(db);
        const std::vector<uint8_t> image = ImageOf(db);
        const int32_t nLastTp = db.GetTpList().GetLastId(), nLastProg = db.GetProgList().GetLastId();
        CEditHistory history(&db);

        CEditCommand* pFix = history.Push(std::make_unique<CFixCommand>());
        if (!c.pszText) {
            EXPECT_EQ(pFix, nullptr);
            EXPECT_FALSE(history.CanUndo());
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        ASSERT_NE(pFix, nullptr);
        EXPECT_EQ(pFix->GetText(), c.pszText);
        EXPECT_EQ(pFix->GetTouched(), c.nTouched);
        for (const CCheckFinding& finding : CheckDb(db))
            EXPECT_FALSE(finding.bFixable) << FindingLine(finding);
        EXPECT_EQ(IdsOf(db.GetTpList()), c.tpIds);
        EXPECT_EQ(IdsOf(db.GetProgList()), c.progIds);
        EXPECT_EQ(ParentsOf(db.GetProgList()), c.progParents);
        const SDbPicture after = Picture(db);

        for (int nRound = 0; nRound < 2; ++nRound) {
            ASSERT_TRUE(history.Undo());
            EXPECT_TRUE(Picture(db) == before);
            EXPECT_EQ(ImageOf(db), image);
            ASSERT_TRUE(history.Redo());
            EXPECT_TRUE(Picture(db) == after);
        }
        EXPECT_EQ(db.GetTpList().GetLastId(), nLastTp);
        EXPECT_EQ(db.GetProgList().GetLastId(), nLastProg);
    }
}
