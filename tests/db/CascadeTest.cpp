#include "db/Cascade.h"

#include "access/AccessDb.h"
#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// A record as a list holds it: the node itself, its ids and its bytes.
struct Rec
{
    const CNode* pNode;
    int32_t nId;
    int32_t nParent;
    std::vector<uint8_t> bytes;

    bool operator==(const Rec& o) const
    {
        return pNode == o.pNode && nId == o.nId && nParent == o.nParent && bytes == o.bytes;
    }
};

using RecList = std::vector<Rec>;

struct Snapshot
{
    RecList lists[3];
    int32_t nLastIds[3];
};

template <class TRecord> std::vector<uint8_t> Bytes(const TRecord* pRec, int32_t nExtra = 0)
{
    std::vector<uint8_t> bytes(sizeof(TRecord) + sizeof nExtra);
    std::memcpy(bytes.data(), pRec, sizeof(TRecord));
    std::memcpy(bytes.data() + sizeof(TRecord), &nExtra, sizeof nExtra);
    return bytes;
}

Snapshot Take(const CProgDb& db)
{
    Snapshot snap;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CNodeList& list = db.GetList(nKind);
        snap.nLastIds[nKind] = list.GetLastId();
        for (const CNode* p : list) {
            std::vector<uint8_t> bytes;
            if (nKind == NODE_SAT) {
                const auto* pSat = static_cast<const CSatNode*>(p);
                bytes = Bytes(pSat->GetRecord(), pSat->GetSelect());
            } else if (nKind == NODE_TP) {
                bytes = Bytes(static_cast<const CTpNode*>(p)->GetRecord());
            } else {
                bytes = Bytes(static_cast<const CProgNode*>(p)->GetRecord());
            }
            snap.lists[nKind].push_back(Rec{p, p->GetId(), p->GetParentId(), bytes});
        }
    }
    return snap;
}

// The Delete key's walk as the list pane has always done it, on plain vectors: for each id the
// first remaining record goes, then, by parent id, the programs of the transponders of a removed
// satellite and its transponders, or the programs of a removed transponder.
bool RefRemove(RecList& list, int32_t nId)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->nId == nId) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

void RefRemoveByParent(RecList& list, int32_t nParent)
{
    RecList kept;
    for (const Rec& r : list)
        if (r.nParent != nParent)
            kept.push_back(r);
    list = kept;
}

std::vector<size_t> RefDelete(Snapshot& db, int32_t nKind, const std::vector<int32_t>& ids)
{
    std::vector<size_t> removed;
    RecList& sats = db.lists[NODE_SAT];
    RecList& tps = db.lists[NODE_TP];
    RecList& progs = db.lists[NODE_PROG];
    for (size_t i = 0; i < ids.size(); ++i) {
        const int32_t nId = ids[i];
        if (!RefRemove(nKind == NODE_SAT ? sats : nKind == NODE_TP ? tps : progs, nId))
            continue;
        removed.push_back(i);
        if (nKind == NODE_SAT) {
            for (const Rec& tp : tps)
                if (tp.nParent == nId)
                    RefRemoveByParent(progs, tp.nId);
            RefRemoveByParent(tps, nId);
        } else if (nKind == NODE_TP) {
            RefRemoveByParent(progs, nId);
        }
    }
    return removed;
}

// Find must give the first record with each id, as a walk from the front would.
void ExpectFindAsWalk(const CProgDb& db, const Snapshot& snap)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (int32_t nId = -2; nId < 16; ++nId) {
            const CNode* pFirst = nullptr;
            for (const Rec& r : snap.lists[nKind])
                if (r.nId == nId && !pFirst)
                    pFirst = r.pNode;
            EXPECT_EQ(db.GetList(nKind).Find(nId), pFirst) << "kind " << nKind << " id " << nId;
        }
    }
}

std::vector<uint8_t> DbImage(CProgDb& db)
{
    std::vector<uint8_t> image;
    CAccessDbOut out;
    EXPECT_TRUE(out.BuildImage(&db, image));
    return image;
}

// A small database with duplicate ids in every list (as firmware images give them), orphans whose
// parent is no record, removed records and moved ones.
void MakeRandomDb(CProgDb& db, std::mt19937& rng)
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    auto add = [&](NodeType nKind, std::unique_ptr<CNode> pNode, int nMaxId) {
        CNodeList& list = db.GetList(nKind);
        if (pick(0, 2) == 0)
            list.AddWithId(std::move(pNode), pick(0, nMaxId));
        else
            list.Add(std::move(pNode));
    };
    const int nSats = pick(0, 6), nTps = pick(0, 12), nProgs = pick(0, 25);
    for (int i = 0; i < nSats; ++i) {
        auto p = std::make_unique<CSatNode>(pick(0, 2));
        p->GetRecord()->SetName("S" + std::to_string(i));
        p->GetRecord()->dwWord[1] = static_cast<uint32_t>(rng());
        add(NODE_SAT, std::move(p), 5);
    }
    for (int i = 0; i < nTps; ++i) {
        auto p = std::make_unique<CTpNode>();
        p->GetRecord()->dwWord[0] = static_cast<uint32_t>(rng());
        p->SetParentId(pick(-1, 7));
        add(NODE_TP, std::move(p), 8);
    }
    for (int i = 0; i < nProgs; ++i) {
        auto p = std::make_unique<CProgNode>();
        p->GetRecord()->SetName("P" + std::to_string(i));
        p->GetRecord()->dwWord[2] = static_cast<uint32_t>(rng());
        p->SetParentId(pick(-1, 10));
        add(NODE_PROG, std::move(p), 12);
    }
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        CNodeList& list = db.GetList(nKind);
        for (int i = pick(0, 2); i > 0; --i)
            list.Remove(pick(0, 12));
        for (int i = pick(0, 4); i > 0; --i)
            list.Move(pick(0, 12), pick(0, 12));
    }
}

} // namespace

// The removal equals the Delete key's record-by-record walk on every database and every list of
// ids (missing, repeated, duplicated in the database, orphans below), and restoring it gives back
// the same nodes in the same places, the same answers of Find and the same file image.
TEST(Cascade, RemovalMatchesTheDeleteWalkAndRestoreGivesTheDatabaseBack)
{
    std::mt19937 rng(20240611);
    for (int nCase = 0; nCase < 600; ++nCase) {
        SCOPED_TRACE("case " + std::to_string(nCase));
        CProgDb db;
        MakeRandomDb(db, rng);
        const std::vector<uint8_t> imageBefore = DbImage(db);
        const Snapshot before = Take(db);

        const int32_t nKind = std::uniform_int_distribution<int32_t>(0, 3)(rng); // 3: treated as programs
        std::vector<int32_t> ids(std::uniform_int_distribution<size_t>(0, 6)(rng));
        for (int32_t& nId : ids)
            nId = std::uniform_int_distribution<int32_t>(-1, 12)(rng);

        Snapshot expected = before;
        const std::vector<size_t> expectedItems = RefDelete(expected, nKind, ids);
        CRemoval removal = RemoveRecords(db, static_cast<NodeType>(nKind), ids);

        const Snapshot after = Take(db);
        EXPECT_EQ(removal.removedItems, expectedItems);
        EXPECT_EQ(removal.IsEmpty(), expectedItems.empty());
        std::vector<std::pair<int32_t, const CNode*>> placed[3];
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            EXPECT_TRUE(after.lists[k] == expected.lists[k]) << "list " << k;
            EXPECT_EQ(after.nLastIds[k], before.nLastIds[k]);
            ASSERT_EQ(size_t(removal.GetCount(k)), before.lists[k].size() - expected.lists[k].size());
            int32_t nPrev = -1;
            for (const CRemovedNode& r : removal.nodes[k]) {
                EXPECT_GT(r.nIndex, nPrev);
                nPrev = r.nIndex;
                ASSERT_LT(size_t(r.nIndex), before.lists[k].size());
                EXPECT_EQ(r.pNode.get(), before.lists[k][r.nIndex].pNode);
                placed[k].emplace_back(r.nIndex, r.pNode.get());
            }
        }
        ExpectFindAsWalk(db, after);

        RestoreRecords(db, removal);
        EXPECT_TRUE(removal.IsEmpty());
        const Snapshot restored = Take(db);
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            EXPECT_TRUE(restored.lists[k] == before.lists[k]) << "list " << k;
            EXPECT_EQ(restored.nLastIds[k], before.nLastIds[k]);
            for (const auto& [nIndex, pNode] : placed[k]) {
                EXPECT_EQ(db.GetList(k).GetAtIndex(nIndex), pNode);
                EXPECT_EQ(db.GetList(k).IndexOf(pNode), nIndex);
            }
        }
        ExpectFindAsWalk(db, restored);
        EXPECT_EQ(DbImage(db), imageBefore);
    }
}

// One case by hand: two satellites share id 0, a transponder's parent is no satellite.
TEST(Cascade, RepeatedIdsTakeTheNextRecordWithThatIdAndItsChildren)
{
    CProgDb db;
    auto addSat = [&db](int32_t nId) {
        auto p = std::make_unique<CSatNode>();
        return nId == INVALID_ID ? db.GetSatList().Add(std::move(p))
                                 : db.GetSatList().AddWithId(std::move(p), nId);
    };
    auto add = [&db](NodeType nKind, int32_t nParent) {
        std::unique_ptr<CNode> p;
        if (nKind == NODE_TP)
            p = std::make_unique<CTpNode>(INVALID_ID, nParent);
        else
            p = std::make_unique<CProgNode>(INVALID_ID, nParent);
        return db.GetList(nKind).Add(std::move(p));
    };
    addSat(INVALID_ID); // 0
    addSat(INVALID_ID); // 1
    addSat(0);          // a second 0
    for (int32_t nParent : {0, 1, 0, 9})
        add(NODE_TP, nParent); // tps 0..3
    for (int32_t nParent : {0, 1, 2, 3, 1})
        add(NODE_PROG, nParent); // progs 0..4

    CRemoval removal = RemoveRecords(db, NODE_SAT, {0, 5, 0, 0});
    EXPECT_EQ(removal.removedItems, (std::vector<size_t>{0, 2}));
    auto indexes = [&removal](NodeType k) {
        std::vector<int32_t> v;
        for (const CRemovedNode& r : removal.nodes[k])
            v.push_back(r.nIndex);
        return v;
    };
    EXPECT_EQ(indexes(NODE_SAT), (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(indexes(NODE_TP), (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(indexes(NODE_PROG), (std::vector<int32_t>{0, 2}));
    auto ids = [&db](NodeType k) {
        std::vector<int32_t> v;
        for (const CNode* p : db.GetList(k))
            v.push_back(p->GetId());
        return v;
    };
    EXPECT_EQ(ids(NODE_SAT), (std::vector<int32_t>{1}));
    EXPECT_EQ(ids(NODE_TP), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(ids(NODE_PROG), (std::vector<int32_t>{1, 3, 4}));
    EXPECT_EQ(db.GetSatList().Add(std::make_unique<CSatNode>()), 3); // the counter is untouched

    // Records given back in any order still land on their former places.
    db.GetSatList().Remove(3);
    std::swap(removal.nodes[NODE_PROG][0], removal.nodes[NODE_PROG][1]);
    RestoreRecords(db, removal);
    EXPECT_EQ(ids(NODE_SAT), (std::vector<int32_t>{0, 1, 0}));
    EXPECT_EQ(ids(NODE_TP), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(ids(NODE_PROG), (std::vector<int32_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(db.GetSatList().Find(0), db.GetSatList().GetAtIndex(0));
    EXPECT_EQ(db.GetSatList().GetAtIndex(3), nullptr);
}
