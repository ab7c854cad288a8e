#include "edit/EditHistory.h"

#include "db/Columns.h"
#include "edit/FixCommand.h"
#include "edit/InsertCommand.h"
#include "edit/MoveCommand.h"
#include "edit/RecordSet.h"
#include "edit/RemoveCommand.h"
#include "edit/ReorderCommand.h"
#include "edit/SetValues.h"

#include "tests/edit/EditTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Random commands of every kind against a database as it is: ids mostly of records that are there
// (duplicates and orphans included), sometimes of none.
class CRandomCommands
{
public:
    explicit CRandomCommands(std::mt19937& rng) : m_rng(rng) {}

    std::unique_ptr<CEditCommand> Make(const CProgDb& db, bool bInCompound = false)
    {
        const NodeType nKind = static_cast<NodeType>(Pick(0, 2));
        const CNodeList& list = db.GetList(nKind);
        const int nSwitch = Pick(0, bInCompound ? 11 : 12);
        switch (nSwitch) {
        case 0: {
            const FieldDesc* const* pFields = nKind == NODE_SAT  ? g_satFields
                                              : nKind == NODE_TP ? g_tpFields
                                                                 : g_progFields;
            const int nFields = nKind == NODE_SAT ? 14 : nKind == NODE_TP ? 4 : 18;
            return MakeSetFieldCommand(nKind, *pFields[Pick(0, nFields - 1)], SomeIds(list),
                                       Pick(0, 3) ? static_cast<uint32_t>(Pick(0, 3))
                                                  : static_cast<uint32_t>(m_rng()));
        }
        case 1: {
            std::string strName(static_cast<size_t>(Pick(0, 24)), ' ');
            for (char& c : strName)
                c = static_cast<char>(Pick(1, 255));
            const NodeType nNamed = Pick(0, 1) ? NODE_SAT : NODE_PROG;
            return MakeRenameCommand(nNamed, SomeIds(db.GetList(nNamed)), strName);
        }
        case 2: {
            static const char* const texts[] = {"0",    "1", "0x1F", "42",  "10600",
                                                "9750", "H", "v",    "Neu", "Zweites Programm"};
            const int nColumn = Pick(0, GetColumnCount(nKind) - 1);
            CCellValue value;
            std::string strError;
            if (!ParseCellText(nKind, nColumn, texts[Pick(0, 9)], value, strError))
                return std::make_unique<CRemoveCommand>(nKind, SomeIds(list));
            return MakeSetColumnCommand(nKind, nColumn, SomeIds(list), value);
        }
        case 3:
            return std::make_unique<CRemoveCommand>(nKind, SomeIds(list), Pick(0, 1) ? "Delete" : "Cut");
        case 4: {
            // The rows of one parent's records, or of all, as the list pane shows them.
            const int32_t nParent = nKind == NODE_SAT || Pick(0, 2) == 0
                                        ? INVALID_ID
                                        : SomeId(db.GetList(static_cast<NodeType>(nKind - 1)));
            CListRows rows;
            for (const CNode* p : list) {
                if (nParent == INVALID_ID || p->GetParentId() == nParent) {
                    rows.ids.push_back(p->GetId());
                    rows.selected.push_back(Pick(0, 2) == 0);
                }
            }
            const int nRows = static_cast<int>(rows.ids.size());
            return CMoveCommand::Drop(nKind, std::move(rows), Pick(-1, nRows), Pick(-1, nRows));
        }
        case 5:
            return CMoveCommand::MoveTo(nKind, SomeIds(list), Pick(0, 3) ? SomeId(list) : INVALID_ID);
        case 6:
            return CInsertCommand::NewRecord(
                nKind, nKind == NODE_SAT ? INVALID_ID : SomeId(db.GetList(static_cast<NodeType>(nKind - 1))));
        case 7:
            return CInsertCommand::Duplicate(nKind, SomeIds(list));
        case 8: {
            // Through the clipboard bytes, into a place of the right kind or sometimes of another.
            const std::vector<uint8_t> bytes = WriteRecordSet(CopyRecords(db, nKind, SomeIds(list)));
            CRecordSet records;
            std::string strError;
            EXPECT_TRUE(ReadRecordSet(bytes.data(), bytes.size(), records, strError)) << strError;
            const int32_t nWhereKind = Pick(0, 4) ? nKind - 1 : Pick(-1, 2);
            const int32_t nWhereId =
                nWhereKind >= 0 ? SomeId(db.GetList(static_cast<NodeType>(nWhereKind))) : INVALID_ID;
            auto pPaste =
                CInsertCommand::Paste(db, std::move(records), nWhereKind, nWhereId, SomeId(list), strError);
            if (pPaste)
                return pPaste;
            EXPECT_FALSE(strError.empty());
            return CInsertCommand::Duplicate(nKind, SomeIds(list));
        }
        case 9: {
            // The fix of whatever the check finds; or first duplicates of some transponders, with
            // another ServiceId for some of the originals' programs, so that the fix moves the
            // copies' remaining programs onto the transponders kept.
            if (Pick(0, 1))
                return std::make_unique<CFixCommand>();
            const std::vector<int32_t> tpIds = SomeIds(db.GetTpList());
            std::vector<int32_t> progIds;
            for (const CNode* p : db.GetProgList())
                if (std::find(tpIds.begin(), tpIds.end(), p->GetParentId()) != tpIds.end() && Pick(0, 1))
                    progIds.push_back(p->GetId());
            auto pCompound = std::make_unique<CCompoundCommand>("Duplicate and fix");
            pCompound->Add(CInsertCommand::Duplicate(NODE_TP, tpIds));
            pCompound->Add(MakeSetFieldCommand(NODE_PROG, ProgField::ServiceId, progIds,
                                               static_cast<uint32_t>(m_rng())));
            pCompound->Add(std::make_unique<CFixCommand>());
            return pCompound;
        }
        case 10:
        case 11: {
            // The rows of a listing in database order, some of them (narrowed by Filter or Find),
            // sometimes with an id of no record: sorted, or moved by the keyboard.
            const int32_t nParent = nKind == NODE_SAT || Pick(0, 2) == 0
                                        ? INVALID_ID
                                        : SomeId(db.GetList(static_cast<NodeType>(nKind - 1)));
            CListRows rows;
            for (const CNode* p : list) {
                if ((nKind == NODE_SAT || nParent == INVALID_ID || p->GetParentId() == nParent) &&
                    Pick(0, 4)) {
                    rows.ids.push_back(p->GetId());
                    rows.selected.push_back(Pick(0, 2) == 0);
                }
            }
            if (Pick(0, 3) == 0) {
                rows.ids.push_back(SomeId(list));
                rows.selected.push_back(true);
            }
            if (nSwitch == 11)
                return CReorderCommand::KeyMove(nKind, nParent, std::move(rows),
                                                static_cast<RowMove>(Pick(0, 3)));
            std::shuffle(rows.ids.begin(), rows.ids.end(), m_rng);
            return CReorderCommand::ApplyOrder(nKind, nParent, std::move(rows.ids));
        }
        default: {
            // Parts made against the database as it is now: each still sees what the earlier
            // parts left when the compound is applied.
            auto pCompound = std::make_unique<CCompoundCommand>("Several");
            for (int i = Pick(1, 3); i > 0; --i)
                pCompound->Add(Make(db, true));
            return pCompound;
        }
        }
    }

private:
    int Pick(int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(m_rng); }

    int32_t SomeId(const CNodeList& list)
    {
        if (list.IsEmpty() || Pick(0, 5) == 0)
            return Pick(-1, list.GetLastId() + 2);
        return list.GetAtIndex(Pick(0, list.GetCount() - 1))->GetId();
    }

    std::vector<int32_t> SomeIds(const CNodeList& list)
    {
        std::vector<int32_t> ids(static_cast<size_t>(Pick(0, 6)));
        for (int32_t& nId : ids)
            nId = SomeId(list);
        return ids;
    }

    std::mt19937& m_rng;
};

// Find gives the first record with each id, as a walk from the front would.
void ExpectFindAsWalk(const CProgDb& db)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CNodeList& list = db.GetList(nKind);
        for (int32_t nId = -1; nId <= list.GetLastId() + 1; ++nId) {
            const CNode* pFirst = nullptr;
            for (const CNode* p : list)
                if (!pFirst && p->GetId() == nId)
                    pFirst = p;
            ASSERT_EQ(list.Find(nId), pFirst) << "kind " << nKind << " id " << nId;
        }
    }
}

} // namespace

TEST(EditHistory, KeepsStepsWithTheirTextsAndFollowsTheCleanMark)
{
    CProgDb db;
    AddRecord(db, NODE_SAT, INVALID_ID, "Astra");
    AddRecord(db, NODE_TP, 0);
    AddRecord(db, NODE_PROG, 0, "One");
    AddRecord(db, NODE_PROG, 0, "Two");
    CEditHistory history(&db);
    int nCalls = 0;
    history.SetChangedCallback([&nCalls] { ++nCalls; });
    auto expectSteps = [&history](const std::string& strUndo, const std::string& strRedo, bool bClean) {
        EXPECT_EQ(history.GetUndoText(), strUndo);
        EXPECT_EQ(history.GetRedoText(), strRedo);
        EXPECT_EQ(history.CanUndo(), !strUndo.empty());
        EXPECT_EQ(history.CanRedo(), !strRedo.empty());
        EXPECT_EQ(history.IsClean(), bClean);
    };
    expectSteps("", "", true);
    EXPECT_EQ(history.Undo(), nullptr);
    EXPECT_EQ(history.Redo(), nullptr);

    EXPECT_EQ(history.Push(MakeSetFieldCommand(NODE_PROG, ProgField::VPID, {0}, 0)), nullptr) << "VPID is 0";
    EXPECT_EQ(history.Push(nullptr), nullptr);
    EXPECT_EQ(nCalls, 0);
    const CEditCommand* pSet = history.Push(MakeSetFieldCommand(NODE_PROG, ProgField::VPID, {0, 1}, 101));
    ASSERT_NE(pSet, nullptr);
    EXPECT_EQ(nCalls, 1);
    expectSteps("Set VPID on 2 programs", "", false);
    history.SetClean();
    EXPECT_EQ(nCalls, 2);
    expectSteps("Set VPID on 2 programs", "", true);
    history.Push(std::make_unique<CRemoveCommand>(NODE_PROG, std::vector<int32_t>{1}));
    expectSteps("Delete 1 program", "", false);

    EXPECT_EQ(history.Undo()->GetText(), "Delete 1 program");
    expectSteps("Set VPID on 2 programs", "Delete 1 program", true);
    EXPECT_EQ(history.Undo(), pSet);
    expectSteps("", "Set VPID on 2 programs", false);
    EXPECT_EQ(ProgAt(db, 1).GetRecord()->Get(ProgField::VPID), 0u);
    EXPECT_EQ(history.Redo(), pSet);
    expectSteps("Set VPID on 2 programs", "Delete 1 program", true);
    EXPECT_EQ(ProgAt(db, 1).GetRecord()->Get(ProgField::VPID), 101u);
    EXPECT_EQ(nCalls, 6);

    // A new step after an undo drops the redo steps; the saved state was one of them.
    history.Undo();
    ASSERT_NE(history.Push(CInsertCommand::NewRecord(NODE_PROG, 0)), nullptr);
    expectSteps("New Program", "", false);
    history.Undo();
    expectSteps("", "New Program", false);
    EXPECT_EQ(db.GetProgList().GetCount(), 2);

    // A load empties the history; its state is the saved one.
    history.Redo();
    history.Clear();
    expectSteps("", "", true);
    EXPECT_EQ(db.GetProgList().GetCount(), 3) << "the database stays as it is";

    // A database given back from a recovery copy: unsaved however far it is undone, until saved.
    history.SetUnsaved();
    expectSteps("", "", false);
    history.Push(CInsertCommand::NewRecord(NODE_PROG, 0));
    history.Undo();
    expectSteps("", "New Program", false);
    history.SetClean();
    expectSteps("", "New Program", true);

    history.SetDb(nullptr);
    EXPECT_EQ(history.Push(CInsertCommand::NewRecord(NODE_SAT)), nullptr);
    EXPECT_EQ(db.GetSatList().GetCount(), 1);
}

// Random sequences of commands of every kind, with undos and redos between them, on databases with
// duplicate ids and orphans: every undo and redo gives exactly the database of that step; undoing
// everything gives the first .db image and ids, redoing everything the last.
TEST(EditHistory, UndoingEverythingGivesTheFirstDatabaseAndRedoingEverythingTheLast)
{
    std::mt19937 rng(20261209);
    CRandomCommands commands(rng);
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    size_t nApplied = 0;
    for (int nRun = 0; nRun < 12; ++nRun) {
        SCOPED_TRACE("run " + std::to_string(nRun));
        CProgDb db;
        MakeRandomDb(db, rng, 6, 20, 60);
        CEditHistory history(&db);
        const std::vector<uint8_t> firstImage = ImageOf(db);
        std::vector<SDbPicture> states{Picture(db)}; // states[n]: the database with n undo steps

        for (int nStep = 0; nStep < 400; ++nStep) {
            const int nAction = pick(0, 99);
            if (nAction < 15) {
                if (history.Undo()) {
                    ASSERT_TRUE(Picture(db) == states[history.GetUndoCount()]) << "undo at step " << nStep;
                }
            } else if (nAction < 25) {
                if (history.Redo()) {
                    ASSERT_TRUE(Picture(db) == states[history.GetUndoCount()]) << "redo at step " << nStep;
                }
            } else {
                const size_t nBefore = history.GetUndoCount();
                if (history.Push(commands.Make(db))) {
                    states.resize(nBefore + 1);
                    states.push_back(Picture(db));
                    ++nApplied;
                } else {
                    ASSERT_TRUE(Picture(db) == states[nBefore])
                        << "a command that changes nothing, step " << nStep;
                }
            }
            if (nStep % 20 == 0)
                ExpectFindAsWalk(db);
        }

        while (history.Redo()) {
        }
        const SDbPicture last = Picture(db);
        const std::vector<uint8_t> lastImage = ImageOf(db);
        ASSERT_TRUE(last == states.back());
        while (history.Undo()) {
        }
        EXPECT_TRUE(Picture(db) == states.front());
        EXPECT_EQ(ImageOf(db), firstImage);
        ExpectFindAsWalk(db);
        while (history.Redo()) {
        }
        EXPECT_TRUE(Picture(db) == last);
        EXPECT_EQ(ImageOf(db), lastImage);
        ExpectFindAsWalk(db);
    }
    EXPECT_GT(nApplied, 2000u) << "most random commands change something";
}
