#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> Ids(CNodeList& list)
{
    std::vector<int32_t> ids;
    CNodeList::POSITION pos;
    for (bool b = list.GetFirst(pos); b; b = list.GetNext(pos))
        ids.push_back(list.GetAt(pos)->GetId());
    return ids;
}

void AddProgs(CNodeList& list, int n, int32_t nParent = INVALID_ID)
{
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<CProgNode>();
        p->SetParentId(nParent);
        list.Add(std::move(p));
    }
}

// Counts destructions so ownership can be checked.
int g_nDestroyed = 0;
class CCountedNode : public CTpNode
{
public:
    ~CCountedNode() override { ++g_nDestroyed; }
};

} // namespace

TEST(NodeList, IdsCountUpAndAreNotReused)
{
    CNodeList list;
    EXPECT_EQ(list.Add(std::make_unique<CTpNode>()), 0);
    EXPECT_EQ(list.Add(std::make_unique<CTpNode>()), 1);
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Add(std::make_unique<CTpNode>()), 2);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{0, 2}));
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Add(std::make_unique<CTpNode>()), 0);
}

TEST(NodeList, WalksAndCounts)
{
    CNodeList list;
    CNodeList::POSITION pos;
    EXPECT_FALSE(list.GetFirst(pos));
    AddProgs(list, 3, 7);
    AddProgs(list, 2, 8);
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetCountByParent(7), 3);
    EXPECT_EQ(list.GetCountByParent(8), 2);
    EXPECT_EQ(list.GetCountByParent(9), 0);
    ASSERT_TRUE(list.GetFirst(pos));
    int n = 1;
    while (list.GetNext(pos))
        ++n;
    EXPECT_EQ(n, 5);
    EXPECT_FALSE(list.GetNext(pos)); // stays past the end
}

TEST(NodeList, FindAndRemoveMissingIds)
{
    CNodeList list;
    AddProgs(list, 3);
    EXPECT_EQ(list.Find(5), nullptr);
    EXPECT_FALSE(list.Remove(5));
    EXPECT_EQ(list.GetCount(), 3);
    ASSERT_NE(list.Find(1), nullptr);
    EXPECT_EQ(list.Find(1)->GetId(), 1);
}

TEST(NodeList, RemoveByParentKeepsTheOthersInOrder)
{
    CNodeList list;
    for (int32_t parent : {1, 2, 1, 3, 1, 2})
        AddProgs(list, 1, parent);
    list.RemoveByParent(1);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 3, 5}));
    EXPECT_EQ(list.Find(0), nullptr);
    EXPECT_NE(list.Find(5), nullptr);
    list.RemoveByParent(42);
    EXPECT_EQ(list.GetCount(), 3);
}

TEST(NodeList, MoveInsertsBeforeTheTarget)
{
    CNodeList list;
    AddProgs(list, 4); // 0 1 2 3
    EXPECT_TRUE(list.Move(0, 2));
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 0, 2, 3}));
    EXPECT_TRUE(list.Move(3, 1)); // onto the first node: becomes first
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{3, 1, 0, 2}));
    EXPECT_TRUE(list.Move(2, 2)); // onto itself
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{3, 1, 0, 2}));
    EXPECT_TRUE(list.Move(3, 2)); // before the last node, never behind it
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 0, 3, 2}));
    EXPECT_FALSE(list.Move(9, 1));
    EXPECT_FALSE(list.Move(1, 9));
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 0, 3, 2}));
}

// Firmware readers give nodes the ids of their records; Find must then follow the ids the nodes
// carry and return the first node in list order, also after moves and removals.
TEST(NodeList, FindFollowsChangedAndDuplicateIds)
{
    CNodeList list;
    std::vector<CNode*> nodes;
    for (int32_t nId : {7, INVALID_ID, 7, 100}) {
        auto p = std::make_unique<CTpNode>();
        nodes.push_back(p.get());
        if (nId == INVALID_ID)
            EXPECT_EQ(list.Add(std::move(p)), 1);
        else
            EXPECT_EQ(list.AddWithId(std::move(p), nId), nId);
    }
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{7, 1, 7, 100}));
    EXPECT_EQ(list.Find(7), nodes[0]);
    EXPECT_EQ(list.Find(100), nodes[3]);
    EXPECT_EQ(list.Find(0), nullptr);
    EXPECT_EQ(list.Find(3), nullptr);
    EXPECT_EQ(list.GetLastId(), 3); // the counter takes no account of such ids
    EXPECT_EQ(list.Add(std::make_unique<CTpNode>()), 4);

    EXPECT_TRUE(list.Move(7, 1)); // moves the first 7 (nodes[0]) before node 1: order unchanged
    EXPECT_TRUE(list.Move(100, 7));
    EXPECT_EQ(list.Find(7), nodes[0]);
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{100, 7, 1, 7, 4}));
    EXPECT_TRUE(list.Move(1, 100));
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 100, 7, 7, 4}));
    EXPECT_TRUE(list.Remove(7)); // removes nodes[0], the first 7
    EXPECT_EQ(list.Find(7), nodes[2]);
    EXPECT_TRUE(list.Remove(7));
    EXPECT_EQ(list.Find(7), nullptr);
    EXPECT_FALSE(list.Remove(7));
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 100, 4}));
}

TEST(NodeList, MovingTheFirstOfDuplicateIdsHandsFindToTheNextOne)
{
    CNodeList list;
    std::vector<CNode*> nodes;
    for (int32_t nId : {5, INVALID_ID, 5, INVALID_ID}) {
        auto p = std::make_unique<CTpNode>();
        nodes.push_back(p.get());
        if (nId == INVALID_ID)
            list.Add(std::move(p));
        else
            list.AddWithId(std::move(p), nId);
    }
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{5, 1, 5, 3}));
    EXPECT_EQ(list.Find(5), nodes[0]);
    EXPECT_TRUE(list.Move(5, 3)); // 1 5 5 3, the former second 5 now first
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 5, 5, 3}));
    EXPECT_EQ(list.Find(5), nodes[2]);
}

TEST(NodeList, OwnsAndDeletesItsNodes)
{
    g_nDestroyed = 0;
    {
        CNodeList list;
        for (int i = 0; i < 5; ++i) {
            auto p = std::make_unique<CCountedNode>();
            p->SetParentId(i % 2);
            list.Add(std::move(p));
        }
        list.Remove(0);
        EXPECT_EQ(g_nDestroyed, 1);
        list.RemoveByParent(1);
        EXPECT_EQ(g_nDestroyed, 3);
    }
    EXPECT_EQ(g_nDestroyed, 5);
}

TEST(ProgDb, EmptinessAndClear)
{
    CProgDb db;
    EXPECT_TRUE(db.IsEmpty());
    AddProgs(db.GetProgList(), 1);
    EXPECT_FALSE(db.IsEmpty());
    db.GetSatList().Add(std::make_unique<CSatNode>());
    db.GetTpList().Add(std::make_unique<CTpNode>());
    db.GetTpList().Add(std::make_unique<CTpNode>());
    db.Clear();
    EXPECT_TRUE(db.IsEmpty());
    EXPECT_EQ(db.GetSatList().Add(std::make_unique<CSatNode>()), 0);
    EXPECT_EQ(db.GetTpList().Add(std::make_unique<CTpNode>()), 0);
    EXPECT_EQ(db.GetProgList().Add(std::make_unique<CProgNode>()), 0);
}

TEST(NodeList, LargeListStaysConsistentUnderMixedEdits)
{
    CNodeList list;
    AddProgs(list, 2000);
    for (int i = 0; i < 2000; i += 3)
        ASSERT_TRUE(list.Remove(i));
    for (int i = 1; i < 1000; i += 7) {
        if (i % 3 != 0) {
            ASSERT_TRUE(list.Move(i, 1999));
        }
    }
    std::vector<int32_t> ids = Ids(list);
    EXPECT_EQ(ids.size(), 2000u - 667u);
    for (int32_t id : ids) {
        ASSERT_NE(list.Find(id), nullptr);
        EXPECT_EQ(list.Find(id)->GetId(), id);
    }
    for (int i = 0; i < 2000; i += 3)
        EXPECT_EQ(list.Find(i), nullptr);
}
