#include "edit/EditCommand.h"
#include "edit/InsertCommand.h"
#include "edit/MoveCommand.h"
#include "edit/RemoveCommand.h"
#include "edit/ReorderCommand.h"
#include "edit/SetValues.h"

#include "tests/edit/EditTestUtil.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

// Apply, Revert and a second Apply: the first gives `after`, the revert the picture from before,
// the redo `after` again.
void ExpectRoundTrip(CEditCommand& command, CProgDb& db, const SDbPicture& before, const SDbPicture& after)
{
    command.Revert(db);
    EXPECT_TRUE(Picture(db) == before) << command.GetText() << ": revert";
    EXPECT_TRUE(command.Apply(db));
    EXPECT_TRUE(Picture(db) == after) << command.GetText() << ": redo";
}

// Satellites 0 and 1; transponders 0 (sat 0), 1 (sat 1), 2 (sat 0); programs 0 (tp 0), 1 (tp 2),
// 2 (tp 0), 3 (tp 1), 4 (tp 0).
void MakeSmallDb(CProgDb& db)
{
    AddRecord(db, NODE_SAT, INVALID_ID, "Astra");
    AddRecord(db, NODE_SAT, INVALID_ID, "Hotbird");
    for (int32_t nSat : {0, 1, 0})
        AddRecord(db, NODE_TP, nSat);
    int n = 0;
    for (int32_t nTp : {0, 2, 0, 1, 0})
        AddRecord(db, NODE_PROG, nTp, "P" + std::to_string(n++));
}

} // namespace

// Every kind of value: numbers of each width kept exactly (the narrow storage loses nothing), a
// name with its padding, a column's value; records by the first record with each id.
TEST(SetValuesCommand, SwapsValuesBackAndForthAndNamesTheChange)
{
    struct Case
    {
        NodeType nKind;
        const FieldDesc* pField;
        uint32_t nOld;
        uint32_t nNew;
    };
    const Case cases[] = {
        {NODE_PROG, &ProgField::VPID, 0x1ABC, 0x0123}, {NODE_PROG, &ProgField::ServiceId, 0xFEDC, 0x0001},
        {NODE_PROG, &ProgField::Lock, 1, 0},           {NODE_SAT, &SatField::ReservedA, 0x3FFFFFFE, 7},
        {NODE_SAT, &SatField::Longitude, 2047, 1},     {NODE_TP, &TpField::SymbolRate, 0xFFFF, 27500},
        {NODE_PROG, &ProgField::SatIndex, 8191, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pField->pszName);
        CProgDb db;
        MakeSmallDb(db);
        // Every other bit set, so that a write outside the field shows.
        auto setField = [&c](CNode& node, uint32_t nValue, bool bFill) {
            auto set = [&](auto& record) {
                for (uint32_t& w : record.dwWord)
                    w = bFill ? 0xFFFFFFFF : w;
                record.Set(*c.pField, nValue);
            };
            if (c.nKind == NODE_SAT)
                set(*static_cast<CSatNode&>(node).GetRecord());
            else if (c.nKind == NODE_TP)
                set(*static_cast<CTpNode&>(node).GetRecord());
            else
                set(*static_cast<CProgNode&>(node).GetRecord());
        };
        for (CNode* p : db.GetList(c.nKind))
            setField(*p, c.nOld, true);
        const SDbPicture before = Picture(db);
        SDbPicture expected = before;
        for (int32_t i : {0, 1}) {
            std::unique_ptr<CNode> pCopy = CloneRecord(*db.GetList(c.nKind).GetAtIndex(i));
            setField(*pCopy, c.nNew, false);
            expected.lists[c.nKind][i].bytes = RecordBytes(*pCopy);
        }

        auto pCommand =
            MakeSetFieldCommand(c.nKind, *c.pField, {1, 0, 1, 99}, c.nNew | (1u << c.pField->nWidth));
        ASSERT_TRUE(pCommand);
        ASSERT_TRUE(pCommand->Apply(db));
        EXPECT_EQ(pCommand->GetText(),
                  std::string("Set ") + c.pField->pszName + " on " + CountText(2, c.nKind));
        EXPECT_EQ(pCommand->GetTouched(), TouchValues(c.nKind));
        EXPECT_TRUE(Picture(db) == expected) << "only the field of records 0 and 1 changed";
        ExpectRoundTrip(*pCommand, db, before, expected);

        // Setting what is already there, or on no record, is no command.
        EXPECT_FALSE(MakeSetFieldCommand(c.nKind, *c.pField, {0, 1}, c.nNew)->Apply(db));
        EXPECT_FALSE(MakeSetFieldCommand(c.nKind, *c.pField, {42}, c.nOld)->Apply(db));
        EXPECT_TRUE(Picture(db) == expected);
    }

    // A field of another record kind would be written into the wrong words.
    EXPECT_EQ(MakeSetFieldCommand(NODE_PROG, SatField::Longitude, {0}, 1), nullptr);
    EXPECT_EQ(MakeSetFieldCommand(NODE_TP, ProgField::VPID, {0}, 1), nullptr);

    // Names: the whole field, a 16-byte name without terminator included; duplicate ids take the
    // first record with the id, as the list rows show it.
    CProgDb db;
    AddRecord(db, NODE_SAT, INVALID_ID, "Hotbird 13E");
    AddRecord(db, NODE_SAT, INVALID_ID, "Second", 0);
    AddRecord(db, NODE_PROG, 5, "Das Erste HD");
    const SDbPicture before = Picture(db);
    auto pRename = MakeRenameCommand(NODE_SAT, {0, 0}, "Sixteen bytes!!!");
    ASSERT_TRUE(pRename->Apply(db));
    EXPECT_EQ(pRename->GetText(), "Rename 1 satellite");
    const auto* pFirst = static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(0));
    EXPECT_EQ(pFirst->GetRecord()->GetName(), "Sixteen bytes!!!");
    EXPECT_EQ(static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(1))->GetRecord()->GetName(), "Second");
    ExpectRoundTrip(*pRename, db, before, Picture(db));
    EXPECT_EQ(MakeRenameCommand(NODE_TP, {0}, "x"), nullptr);

    auto pColumn = MakeSetColumnCommand(NODE_SAT, FindColumn(NODE_SAT, "LocalFre2"), {0}, CCellValue{7, ""});
    ASSERT_TRUE(pColumn->Apply(db));
    EXPECT_EQ(pColumn->GetText(), "Set LocalFre2 on 1 satellite");
    EXPECT_EQ(pFirst->GetRecord()->Get(SatField::LocalFre2), 7u);
    auto pName =
        MakeSetColumnCommand(NODE_PROG, FindColumn(NODE_PROG, "ProgName"), {0}, CCellValue{0, "ZDF"});
    ASSERT_TRUE(pName->Apply(db));
    EXPECT_EQ(pName->GetText(), "Rename 1 program");
    EXPECT_EQ(ProgAt(db, 0).GetRecord()->GetName(), "ZDF");
    EXPECT_EQ(MakeSetColumnCommand(NODE_PROG, FindColumn(NODE_PROG, "TpID"), {0}, CCellValue{}), nullptr);
    EXPECT_EQ(MakeSetColumnCommand(NODE_PROG, 16, {0}, CCellValue{}), nullptr);
}

// The Delete key's cascade as a command: the records leave with everything under them and come back
// at their former positions with their ids and parents.
TEST(RemoveCommand, TakesRecordsWithEverythingUnderThemAndPutsThemBackInPlace)
{
    CProgDb db;
    MakeSmallDb(db);
    const SDbPicture before = Picture(db);

    CRemoveCommand satellite(NODE_SAT, {0, 7});
    ASSERT_TRUE(satellite.Apply(db));
    EXPECT_EQ(satellite.GetText(), "Delete 1 satellite");
    EXPECT_EQ(satellite.GetTouched(), unsigned(TOUCH_SAT_ROWS | TOUCH_TP_ROWS | TOUCH_PROG_ROWS));
    EXPECT_EQ(satellite.GetRemovedItems(), std::vector<size_t>{0});
    EXPECT_EQ(IdsOf(db.GetSatList()), std::vector<int32_t>{1});
    EXPECT_EQ(IdsOf(db.GetTpList()), std::vector<int32_t>{1});
    EXPECT_EQ(IdsOf(db.GetProgList()), std::vector<int32_t>{3});
    EXPECT_EQ(satellite.GetCount(NODE_PROG), 4);
    ExpectRoundTrip(satellite, db, before, Picture(db));
    satellite.Revert(db);

    CRemoveCommand programs(NODE_PROG, {4, 1, 4}, "Cut");
    ASSERT_TRUE(programs.Apply(db));
    EXPECT_EQ(programs.GetText(), "Cut 2 programs");
    EXPECT_EQ(programs.GetTouched(), unsigned(TOUCH_PROG_ROWS));
    EXPECT_EQ(programs.GetRemovedItems(), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 2, 3}));
    ExpectRoundTrip(programs, db, before, Picture(db));
    programs.Revert(db);

    CRemoveCommand transponder(NODE_TP, {2});
    ASSERT_TRUE(transponder.Apply(db));
    EXPECT_EQ(transponder.GetText(), "Delete 1 transponder");
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 2, 3, 4}));
    ExpectRoundTrip(transponder, db, before, Picture(db));
    transponder.Revert(db);

    EXPECT_FALSE(CRemoveCommand(NODE_PROG, {9, -1}).Apply(db));
    EXPECT_TRUE(Picture(db) == before);
}

// A drop moves exactly as DropRows does on the list pane's rows; "move to" places a block.
TEST(MoveCommand, DropsAsTheListPaneDoesAndMovesBlocksBeforeARecord)
{
    struct DropCase
    {
        std::vector<bool> selected;
        int nDrag;
        int nDrop;
        const char* pszText;
    };
    const DropCase drops[] = {
        {{false, true, false, false, true, false}, 1, 3, "Move 2 programs"},
        {{true, false, false, false, false, false}, 0, 2, "Move 1 program"},
        {{false, false, false, false, false, true}, 5, 1, "Move 1 program"},
        {{true, true, false, true, false, true}, 3, 4, "Move 4 programs"},
    };
    for (const DropCase& c : drops) {
        SCOPED_TRACE(c.pszText);
        CProgDb db, twin;
        for (CProgDb* p : {&db, &twin})
            for (int i = 0; i < 6; ++i)
                AddRecord(*p, NODE_PROG, i % 2, "P" + std::to_string(i));
        const SDbPicture before = Picture(db);
        CListRows rows{IdsOf(db.GetProgList()), c.selected};
        CListRows twinRows = rows;
        ASSERT_TRUE(DropRows(twin.GetProgList(), twinRows, c.nDrag, c.nDrop));

        auto pMove = CMoveCommand::Drop(NODE_PROG, rows, c.nDrag, c.nDrop);
        ASSERT_TRUE(pMove->Apply(db));
        EXPECT_EQ(pMove->GetText(), c.pszText);
        EXPECT_EQ(pMove->GetTouched(), unsigned(TOUCH_PROG_ROWS));
        EXPECT_TRUE(Picture(db) == Picture(twin));
        const CListRows moved = pMove->TakeRows();
        EXPECT_EQ(moved.ids, twinRows.ids);
        EXPECT_EQ(moved.selected, twinRows.selected);
        ExpectRoundTrip(*pMove, db, before, Picture(twin));
    }

    CProgDb db;
    for (int i = 0; i < 6; ++i)
        AddRecord(db, NODE_SAT, INVALID_ID, "S" + std::to_string(i));
    const SDbPicture before = Picture(db);
    EXPECT_FALSE(
        CMoveCommand::Drop(NODE_SAT, {IdsOf(db.GetSatList()), std::vector<bool>(6, false)}, 0, 3)->Apply(db));
    EXPECT_FALSE(CMoveCommand::Drop(NODE_SAT,
                                    {IdsOf(db.GetSatList()), {false, false, true, false, false, false}}, 2, 2)
                     ->Apply(db));

    struct MoveToCase
    {
        std::vector<int32_t> ids;
        int32_t nBefore;
        std::vector<int32_t> expected; // empty: nothing moves
    };
    const MoveToCase moves[] = {
        {{4, 1}, 2, {0, 1, 4, 2, 3, 5}},
        {{0, 2}, INVALID_ID, {1, 3, 4, 5, 0, 2}},
        {{5, 3}, 0, {3, 5, 0, 1, 2, 4}},
        {{2, 3}, 3, {}},        // before itself: before the next record that stays, where the block is
        {{1, 2}, 2, {}},        // likewise
        {{3, 4}, 5, {}},        // already right before it
        {{1, 99}, 77, {}},      // no such record to move before
        {{42}, INVALID_ID, {}}, // no such record to move
        {{2, 4, 4}, 1, {0, 2, 4, 1, 3, 5}},
    };
    for (const MoveToCase& c : moves) {
        auto pMove = CMoveCommand::MoveTo(NODE_SAT, c.ids, c.nBefore);
        if (c.expected.empty()) {
            EXPECT_FALSE(pMove->Apply(db));
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        ASSERT_TRUE(pMove->Apply(db));
        EXPECT_EQ(IdsOf(db.GetSatList()), c.expected);
        EXPECT_EQ(pMove->GetText(), "Move " + CountText(c.ids.size() == 3 ? 2 : c.ids.size(), NODE_SAT));
        const SDbPicture after = Picture(db);
        ExpectRoundTrip(*pMove, db, before, after);
        pMove->Revert(db);
    }
}

// Apply Sort Order on random databases with duplicate ids and orphans, for every kind of listing
// (all records of a kind, the records of one parent), with rows left out (Filter, Find) and ids that
// name no listed record: the named records are put into the places they held, in the order of the
// ids, the k-th id of a value taking the k-th listed record with it; every other record stays. The
// revert gives back the very nodes in their places.
TEST(ReorderCommand, ListedRecordsTakeTheNewOrderInThePlacesTheyHeld)
{
    std::mt19937 rng(20261210);
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    int nReordered = 0;
    for (int nRun = 0; nRun < 300; ++nRun) {
        SCOPED_TRACE("run " + std::to_string(nRun));
        CProgDb db;
        MakeRandomDb(db, rng, 6, 20, 60);
        const auto nKind = static_cast<NodeType>(pick(0, 2));
        const int32_t nParent = nKind == NODE_SAT || pick(0, 3) == 0
                                    ? INVALID_ID
                                    : pick(-1, db.GetList(static_cast<NodeType>(nKind - 1)).GetLastId() + 1);
        const CNodeList& list = db.GetList(nKind);
        const SDbPicture before = Picture(db);
        const std::vector<SRecordPicture>& records = before.lists[nKind];
        std::vector<int32_t> listed; // positions
        for (size_t i = 0; i < records.size(); ++i)
            if (nKind == NODE_SAT || nParent == INVALID_ID || records[i].nParent == nParent)
                listed.push_back(static_cast<int32_t>(i));

        std::shuffle(listed.begin(), listed.end(), rng);
        std::vector<int32_t> ids;
        const size_t nNamed =
            pick(0, 2) ? listed.size() : static_cast<size_t>(pick(0, static_cast<int>(listed.size())));
        for (size_t i = 0; i < nNamed; ++i)
            ids.push_back(records[static_cast<size_t>(listed[i])].nId);
        if (pick(0, 3) == 0)
            ids.insert(ids.begin() + pick(0, static_cast<int>(ids.size())), pick(-1, list.GetLastId() + 2));

        // The expected database: the k-th id of a value takes the k-th listed record with it.
        std::sort(listed.begin(), listed.end());
        std::vector<bool> taken(records.size(), false);
        std::vector<int32_t> from; // positions of the named records in the order of ids
        for (int32_t nId : ids) {
            for (int32_t nPos : listed) {
                if (!taken[static_cast<size_t>(nPos)] && records[static_cast<size_t>(nPos)].nId == nId) {
                    taken[static_cast<size_t>(nPos)] = true;
                    from.push_back(nPos);
                    break;
                }
            }
        }
        std::vector<int32_t> slots = from;
        std::sort(slots.begin(), slots.end());
        SDbPicture expected = before;
        for (size_t i = 0; i < slots.size(); ++i)
            expected.lists[nKind][static_cast<size_t>(slots[i])] = records[static_cast<size_t>(from[i])];
        std::vector<const CNode*> nodes(list.begin(), list.end());

        auto pSort = CReorderCommand::ApplyOrder(nKind, nParent, ids);
        if (slots == from) {
            EXPECT_FALSE(pSort->Apply(db));
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        ++nReordered;
        ASSERT_TRUE(pSort->Apply(db));
        EXPECT_EQ(pSort->GetText(), "Sort " + CountText(from.size(), nKind));
        EXPECT_EQ(pSort->GetTouched(), TouchRows(nKind));
        ASSERT_TRUE(Picture(db) == expected);
        for (const SRecordPicture& record : records) {
            const auto it = std::find_if(list.begin(), list.end(),
                                         [&record](const CNode* p) { return p->GetId() == record.nId; });
            ASSERT_EQ(list.Find(record.nId), *it) << "the first record with id " << record.nId;
        }
        ExpectRoundTrip(*pSort, db, before, expected);
        pSort->Revert(db);
        EXPECT_EQ(std::vector<const CNode*>(list.begin(), list.end()), nodes) << "the same nodes in place";
    }
    EXPECT_GT(nReordered, 150);
}

// The keyboard's moves among the listed rows: under a transponder and with rows narrowed the moved
// records swap into the places of those they pass, so the records between stay where they are; at
// an edge nothing moves. The rows come back rearranged with the moved ones selected.
TEST(ReorderCommand, KeyMovesFollowTheRowsAndKeepOtherRecordsInPlace)
{
    struct Case
    {
        NodeType nKind;
        int32_t nParent;
        std::vector<int32_t> rows;
        std::vector<bool> selected;
        RowMove nMove;
        std::vector<int32_t> dbOrder; // ids in the list afterwards; empty: nothing moves
        const char* pszText;
    };
    // MakeSmallDb: programs 0 (tp 0), 1 (tp 2), 2 (tp 0), 3 (tp 1), 4 (tp 0); transponders 0 and 2
    // on satellite 0, 1 on satellite 1.
    const Case cases[] = {
        {NODE_PROG, 0, {0, 2, 4}, {false, false, true}, ROW_MOVE_UP, {0, 1, 4, 3, 2}, "Move 1 program"},
        {NODE_PROG, 0, {0, 2, 4}, {false, true, true}, ROW_MOVE_TOP, {2, 1, 4, 3, 0}, "Move 2 programs"},
        {NODE_PROG, 0, {0, 2, 4}, {true, false, false}, ROW_MOVE_UP, {}, ""},
        {NODE_PROG,
         INVALID_ID,
         {0, 1, 2, 3, 4},
         {false, true, false, true, false},
         ROW_MOVE_DOWN,
         {0, 2, 1, 4, 3},
         "Move 2 programs"},
        {NODE_PROG, INVALID_ID, {0, 1, 2, 3, 4}, {false, false, false, true, true}, ROW_MOVE_DOWN, {}, ""},
        {NODE_PROG,
         INVALID_ID,
         {0, 1, 2, 3, 4},
         {true, false, false, false, false},
         ROW_MOVE_BOTTOM,
         {1, 2, 3, 4, 0},
         "Move 1 program"},
        {NODE_PROG,
         INVALID_ID,
         {0, 3, 4},
         {false, false, true},
         ROW_MOVE_UP,
         {0, 1, 2, 4, 3},
         "Move 1 program"},
        {NODE_SAT, INVALID_ID, {0, 1}, {false, true}, ROW_MOVE_TOP, {1, 0}, "Move 1 satellite"},
        {NODE_TP, 0, {0, 2}, {false, true}, ROW_MOVE_UP, {2, 1, 0}, "Move 1 transponder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.nKind) + " under " + std::to_string(c.nParent) + " move " +
                     std::to_string(c.nMove));
        CProgDb db;
        MakeSmallDb(db);
        const SDbPicture before = Picture(db);
        CListRows expectedRows{c.rows, c.selected};
        MoveRows(expectedRows, c.nMove);
        auto pMove = CReorderCommand::KeyMove(c.nKind, c.nParent, {c.rows, c.selected}, c.nMove);
        if (c.dbOrder.empty()) {
            EXPECT_FALSE(pMove->Apply(db));
            EXPECT_TRUE(Picture(db) == before);
            continue;
        }
        ASSERT_TRUE(pMove->Apply(db));
        EXPECT_EQ(IdsOf(db.GetList(c.nKind)), c.dbOrder);
        EXPECT_EQ(pMove->GetText(), c.pszText);
        const CListRows rows = pMove->TakeRows();
        EXPECT_EQ(rows.ids, expectedRows.ids);
        EXPECT_EQ(rows.selected, expectedRows.selected);
        ExpectRoundTrip(*pMove, db, before, Picture(db));
    }
}

// New records go to the end of their parent's block with fresh ids; a revert leaves the counter where
// it is, so the redo brings back the same id that no record has taken meanwhile.
TEST(InsertCommand, NewRecordsTakeFreshIdsAtTheEndOfTheirParentsBlock)
{
    CProgDb db;
    MakeSmallDb(db);
    const SDbPicture before = Picture(db);

    auto pSat = CInsertCommand::NewRecord(NODE_SAT);
    ASSERT_TRUE(pSat->Apply(db));
    EXPECT_EQ(pSat->GetText(), "New Satellite");
    EXPECT_EQ(pSat->GetNewIds(), std::vector<int32_t>{2});
    EXPECT_EQ(pSat->GetTouched(), unsigned(TOUCH_SAT_ROWS));
    const auto* pNew = static_cast<const CSatNode*>(db.GetSatList().GetAtIndex(2));
    EXPECT_EQ(pNew->GetRecord()->GetName(), "New Satellite");
    EXPECT_EQ(LnbIndexToFreq(pNew->GetRecord()->Get(SatField::LocalFre1)), 9750u);
    EXPECT_EQ(LnbIndexToFreq(pNew->GetRecord()->Get(SatField::LocalFre2)), 10600u);
    EXPECT_EQ(pNew->GetParentId(), INVALID_ID);
    const SDbPicture withSat = Picture(db);
    pSat->Revert(db);
    EXPECT_TRUE(Picture(db) == before);
    EXPECT_EQ(db.GetSatList().GetLastId(), 2); // the id stays handed out
    ASSERT_TRUE(pSat->Apply(db));
    EXPECT_TRUE(Picture(db) == withSat);
    pSat->Revert(db);

    auto pTp = CInsertCommand::NewRecord(NODE_TP, 1);
    ASSERT_TRUE(pTp->Apply(db));
    EXPECT_EQ(pTp->GetText(), "New Transponder");
    EXPECT_EQ(IdsOf(db.GetTpList()), (std::vector<int32_t>{0, 1, 3, 2}));
    EXPECT_EQ(ParentsOf(db.GetTpList()), (std::vector<int32_t>{0, 1, 1, 0}));
    ExpectRoundTrip(*pTp, db, before, Picture(db));
    pTp->Revert(db);

    auto pProg = CInsertCommand::NewRecord(NODE_PROG, 2);
    ASSERT_TRUE(pProg->Apply(db));
    EXPECT_EQ(pProg->GetText(), "New Program");
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 1, 5, 2, 3, 4}));
    EXPECT_EQ(ProgAt(db, 2).GetRecord()->GetName(), "New Program");
    EXPECT_EQ(ProgAt(db, 2).GetParentId(), 2);
    ExpectRoundTrip(*pProg, db, before, Picture(db));
    pProg->Revert(db);

    auto pLonely = CInsertCommand::NewRecord(NODE_PROG, 77);
    EXPECT_FALSE(pLonely->Apply(db)) << "no transponder 77";
    AddRecord(db, NODE_TP, 1); // tp 4, without programs
    auto pFirst = CInsertCommand::NewRecord(NODE_PROG, 4);
    ASSERT_TRUE(pFirst->Apply(db));
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 1, 2, 3, 4, 6}));
}

// Duplicates: each run of consecutive originals is followed by its copies, children included,
// linked to the copies of their parents.
TEST(InsertCommand, DuplicatesFollowTheirOriginalsWithTheirChildren)
{
    CProgDb db;
    MakeSmallDb(db);
    const SDbPicture before = Picture(db);

    auto pSat = CInsertCommand::Duplicate(NODE_SAT, {0});
    ASSERT_TRUE(pSat->Apply(db));
    EXPECT_EQ(pSat->GetText(), "Duplicate 1 satellite");
    EXPECT_EQ(pSat->GetNewIds(), std::vector<int32_t>{2});
    EXPECT_EQ(pSat->GetTouched(), unsigned(TOUCH_SAT_ROWS | TOUCH_TP_ROWS | TOUCH_PROG_ROWS));
    EXPECT_EQ(IdsOf(db.GetSatList()), (std::vector<int32_t>{0, 2, 1}));
    EXPECT_EQ(IdsOf(db.GetTpList()), (std::vector<int32_t>{0, 3, 1, 2, 4}));
    EXPECT_EQ(ParentsOf(db.GetTpList()), (std::vector<int32_t>{0, 2, 1, 0, 2}));
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 1, 2, 5, 6, 7, 3, 4, 8}));
    EXPECT_EQ(ParentsOf(db.GetProgList()), (std::vector<int32_t>{0, 2, 0, 3, 4, 3, 1, 0, 3}));
    auto bytesAt = [&db](NodeType nKind, int32_t nIndex) {
        return RecordBytes(*db.GetList(nKind).GetAtIndex(nIndex));
    };
    for (auto [nOriginal, nCopy] : {std::pair(0, 3), std::pair(1, 4), std::pair(2, 5), std::pair(7, 8)})
        EXPECT_EQ(bytesAt(NODE_PROG, nOriginal), bytesAt(NODE_PROG, nCopy)) << "program copy at " << nCopy;
    EXPECT_EQ(bytesAt(NODE_TP, 0), bytesAt(NODE_TP, 1));
    EXPECT_EQ(bytesAt(NODE_TP, 3), bytesAt(NODE_TP, 4));
    EXPECT_EQ(bytesAt(NODE_SAT, 0), bytesAt(NODE_SAT, 1));
    ExpectRoundTrip(*pSat, db, before, Picture(db));
    pSat->Revert(db);

    auto pProgs = CInsertCommand::Duplicate(NODE_PROG, {3, 4, 3, 0});
    ASSERT_TRUE(pProgs->Apply(db));
    EXPECT_EQ(pProgs->GetText(), "Duplicate 3 programs");
    EXPECT_EQ(pProgs->GetNewIds(), (std::vector<int32_t>{9, 10, 11}));
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 9, 1, 2, 3, 4, 10, 11}));
    EXPECT_EQ(ParentsOf(db.GetProgList()), (std::vector<int32_t>{0, 0, 2, 0, 1, 0, 1, 0}));
    ExpectRoundTrip(*pProgs, db, before, Picture(db));

    EXPECT_FALSE(CInsertCommand::Duplicate(NODE_TP, {17})->Apply(db));
}

// Parts apply in order, each seeing what the earlier ones left, and revert in reverse order; parts
// that change nothing are dropped.
TEST(CompoundCommand, AppliesItsPartsInOrderAndRevertsThemInReverse)
{
    CProgDb db;
    MakeSmallDb(db);
    const SDbPicture before = Picture(db);

    CCompoundCommand fix("Fix 2 problems");
    fix.Add(MakeSetFieldCommand(NODE_PROG, ProgField::VPID, {1}, 100));
    fix.Add(CInsertCommand::Duplicate(NODE_PROG, {1}));                          // copies the new VPID
    fix.Add(std::make_unique<CRemoveCommand>(NODE_TP, std::vector<int32_t>{2})); // program 1 and its copy
    fix.Add(MakeSetFieldCommand(NODE_PROG, ProgField::VPID, {5}, 3));            // the copy is gone: nothing
    ASSERT_TRUE(fix.Apply(db));
    EXPECT_EQ(fix.GetCount(), 3u);
    EXPECT_EQ(fix.GetText(), "Fix 2 problems");
    EXPECT_EQ(fix.GetTouched(), unsigned(TOUCH_PROG_VALUES | TOUCH_PROG_ROWS | TOUCH_TP_ROWS));
    EXPECT_EQ(IdsOf(db.GetProgList()), (std::vector<int32_t>{0, 2, 3, 4}));
    EXPECT_EQ(IdsOf(db.GetTpList()), (std::vector<int32_t>{0, 1}));
    ExpectRoundTrip(fix, db, before, Picture(db));
    fix.Revert(db);
    EXPECT_EQ(ProgAt(db, 1).GetRecord()->Get(ProgField::VPID), 0u);

    CCompoundCommand idle("Nothing");
    idle.Add(std::make_unique<CRemoveCommand>(NODE_SAT, std::vector<int32_t>{9}));
    EXPECT_FALSE(idle.Apply(db));
    EXPECT_TRUE(Picture(db) == before);
}
