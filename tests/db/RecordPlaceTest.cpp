#include "db/RecordPlace.h"

#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Satellites 0 and 1; transponders 0..5 on satellites 0, 7 (missing), 0, none, 1, 7; programs
// 0..6 on transponders 2, 0, 2, 1 (not in the tree), 99 (missing), none, 4.
void BuildDb(CProgDb& db)
{
    for (int i = 0; i < 2; ++i)
        db.GetSatList().Add(std::make_unique<CSatNode>());
    for (int32_t nSat : {0, 7, 0, INVALID_ID, 1, 7})
        db.GetTpList().Add(std::make_unique<CTpNode>(INVALID_ID, nSat));
    for (int32_t nTp : {2, 0, 2, 1, 99, INVALID_ID, 4})
        db.GetProgList().Add(std::make_unique<CProgNode>(INVALID_ID, nTp));
}

// The records the list pane lists for a kind under a parent, in database order.
std::vector<const CNode*> Listing(const CProgDb& db, NodeType nKind, int32_t nParentId)
{
    std::vector<const CNode*> nodes;
    for (const CNode* p : db.GetList(nKind))
        if (nKind == NODE_SAT || nParentId == INVALID_ID || p->GetParentId() == nParentId)
            nodes.push_back(p);
    return nodes;
}

} // namespace

TEST(RecordPlace, ParentListAndRowOfEveryRecord)
{
    CProgDb db;
    BuildDb(db);

    struct Case
    {
        const char* pszWhat;
        NodeType nKind;
        int32_t nIndex;
        int32_t nId;
        bool bFound;
        NodeType nListKind;
        int32_t nParentId;
        bool bTreeNode;
        int32_t nRow;
    };
    const Case cases[] = {
        {"satellite: under Sat", NODE_SAT, 1, 1, true, NODE_SAT, INVALID_ID, true, 1},
        {"transponder: under its satellite", NODE_TP, 2, 2, true, NODE_TP, 0, true, 1},
        {"transponder of the second satellite", NODE_TP, 4, 4, true, NODE_TP, 1, true, 0},
        {"transponder of a missing satellite: its listing, no node", NODE_TP, 5, 5, true, NODE_TP, 7, false,
         1},
        {"transponder without satellite: all transponders", NODE_TP, 3, 3, true, NODE_TP, INVALID_ID, false,
         3},
        {"program: under its transponder", NODE_PROG, 2, 2, true, NODE_PROG, 2, true, 1},
        {"program of the second satellite's transponder", NODE_PROG, 6, 6, true, NODE_PROG, 4, true, 0},
        {"program of a transponder not in the tree: All Prog", NODE_PROG, 3, 3, true, NODE_PROG, INVALID_ID,
         true, 3},
        {"program of a missing transponder: All Prog", NODE_PROG, 4, 4, true, NODE_PROG, INVALID_ID, true, 4},
        {"program without transponder: All Prog", NODE_PROG, 5, 5, true, NODE_PROG, INVALID_ID, true, 5},
        // Positions from before a change: the id decides.
        {"another record at the index: found by id", NODE_PROG, 0, 2, true, NODE_PROG, 2, true, 1},
        {"index past the end: found by id", NODE_TP, 99, 4, true, NODE_TP, 1, true, 0},
        {"negative index: found by id", NODE_SAT, -1, 0, true, NODE_SAT, INVALID_ID, true, 0},
        {"id gone", NODE_PROG, 1, 42, false, NODE_SAT, 0, false, 0},
        {"no id", NODE_SAT, 0, INVALID_ID, false, NODE_SAT, 0, false, 0},
        {"no such kind", static_cast<NodeType>(3), 0, 0, false, NODE_SAT, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CRecordPlace place{NODE_SAT, -5, false, -5, -5};
        ASSERT_EQ(FindRecordPlace(db, c.nKind, c.nIndex, c.nId, place), c.bFound);
        if (!c.bFound) {
            EXPECT_EQ(place.nParentId, -5); // untouched
            continue;
        }
        EXPECT_EQ(place.nListKind, c.nListKind);
        EXPECT_EQ(place.nParentId, c.nParentId);
        EXPECT_EQ(place.bTreeNode, c.bTreeNode);
        EXPECT_EQ(place.nRow, c.nRow);
        EXPECT_EQ(place.nRowId, c.nId);
    }

    // Whatever the record, the row of its place in that listing is the record itself.
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        int32_t nIndex = 0;
        for (const CNode* pNode : db.GetList(nKind)) {
            SCOPED_TRACE(testing::Message() << "kind " << nKind << " index " << nIndex);
            CRecordPlace place{};
            ASSERT_TRUE(FindRecordPlace(db, nKind, nIndex++, pNode->GetId(), place));
            const std::vector<const CNode*> listed = Listing(db, place.nListKind, place.nParentId);
            ASSERT_GE(place.nRow, 0);
            ASSERT_LT(place.nRow, static_cast<int32_t>(listed.size()));
            EXPECT_EQ(listed[static_cast<size_t>(place.nRow)], pNode);
        }
    }
}
