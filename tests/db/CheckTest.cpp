#include "db/Check.h"

#include "db/ProgDb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct SatShape
{
    std::string strName;
    uint32_t nLnb1 = 0;
    uint32_t nLnb2 = 0;
    int32_t nId = INVALID_ID; // INVALID_ID: the next id of the list
};

struct TpShape
{
    int32_t nSat;
    uint32_t nFreq;
    uint32_t nPolar;
    uint32_t nSymbolRate;
    int32_t nId = INVALID_ID;
    uint32_t nFlag = 0;
};

struct ProgShape
{
    int32_t nTp;
    uint32_t nService;
    std::string strName = "P";
};

struct DbShape
{
    std::vector<SatShape> sats;
    std::vector<TpShape> tps;
    std::vector<ProgShape> progs;
};

void Build(const DbShape& shape, CProgDb& db)
{
    auto add = [](CNodeList& list, std::unique_ptr<CNode> pNode, int32_t nId) {
        if (nId == INVALID_ID)
            list.Add(std::move(pNode));
        else
            list.AddWithId(std::move(pNode), nId);
    };
    for (const SatShape& s : shape.sats) {
        auto p = std::make_unique<CSatNode>();
        p->GetRecord()->SetName(s.strName);
        p->GetRecord()->Set(SatField::LocalFre1, s.nLnb1);
        p->GetRecord()->Set(SatField::LocalFre2, s.nLnb2);
        add(db.GetSatList(), std::move(p), s.nId);
    }
    for (const TpShape& t : shape.tps) {
        auto p = std::make_unique<CTpNode>(INVALID_ID, t.nSat);
        TpRecord* r = p->GetRecord();
        r->Set(TpField::Frequency, t.nFreq);
        r->Set(TpField::Polar, t.nPolar);
        r->Set(TpField::SymbolRate, t.nSymbolRate);
        r->Set(TpField::Flag, t.nFlag);
        add(db.GetTpList(), std::move(p), t.nId);
    }
    for (const ProgShape& g : shape.progs) {
        auto p = std::make_unique<CProgNode>(INVALID_ID, g.nTp);
        p->GetRecord()->SetName(g.strName);
        p->GetRecord()->Set(ProgField::ServiceId, g.nService);
        db.GetProgList().Add(std::move(p));
    }
}

std::vector<std::string> Lines(const std::vector<CCheckFinding>& findings)
{
    std::vector<std::string> lines;
    for (const CCheckFinding& f : findings)
        lines.push_back(FindingLine(f));
    return lines;
}

// Ids of a list, and parents of the program list, to compare what a fix left.
std::vector<int32_t> Ids(const CNodeList& list)
{
    std::vector<int32_t> ids;
    for (const CNode* p : list)
        ids.push_back(p->GetId());
    return ids;
}

std::vector<int32_t> Parents(const CNodeList& list)
{
    std::vector<int32_t> parents;
    for (const CNode* p : list)
        parents.push_back(p->GetParentId());
    return parents;
}

// A record with everything that identifies it: the node, its ids, its bytes (and select).
struct Rec
{
    const CNode* pNode;
    int32_t nId;
    int32_t nParent;
    std::vector<uint8_t> bytes;
};

std::vector<Rec> Records(const CNodeList& list)
{
    std::vector<Rec> recs;
    for (const CNode* p : list) {
        std::vector<uint8_t> bytes;
        auto append = [&bytes](const void* pData, size_t n) {
            const uint8_t* b = static_cast<const uint8_t*>(pData);
            bytes.insert(bytes.end(), b, b + n);
        };
        if (p->GetType() == NODE_SAT) {
            const auto* pSat = static_cast<const CSatNode*>(p);
            append(pSat->GetRecord(), sizeof(SatRecord));
            const int32_t nSelect = pSat->GetSelect();
            append(&nSelect, sizeof nSelect);
        } else if (p->GetType() == NODE_TP) {
            append(static_cast<const CTpNode*>(p)->GetRecord(), sizeof(TpRecord));
        } else {
            append(static_cast<const CProgNode*>(p)->GetRecord(), sizeof(ProgRecord));
        }
        recs.push_back(Rec{p, p->GetId(), p->GetParentId(), bytes});
    }
    return recs;
}

bool SameRecords(const std::vector<Rec>& a, const std::vector<Rec>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Rec& x, const Rec& y) {
        return x.pNode == y.pNode && x.nId == y.nId && x.nParent == y.nParent && x.bytes == y.bytes;
    });
}

} // namespace

// Each kind of finding on a database made for it, with the lines it gives and what the fix leaves;
// and a clean database, on which both find and change nothing.
TEST(Check, FindingsAndFixesByKind)
{
    struct Case
    {
        const char* pszWhat;
        DbShape shape;
        std::vector<std::string> lines;
        // After FixDb: ids of the transponders and programs left, and the programs' parents.
        std::vector<int32_t> tpsLeft;
        std::vector<int32_t> progsLeft;
        std::vector<int32_t> progParents;
    };
    const Case cases[] = {
        {"clean",
         {{{"Astra"}, {"Hotbird", 9, 3}},
          {{0, 11000, 0, 27500}, {0, 11000, 1, 27500}, {1, 11000, 0, 27500}},
          {{0, 1}, {0, 2}, {1, 1}, {2, 1}}},
         {},
         {0, 1, 2},
         {0, 1, 2, 3},
         {0, 0, 1, 2}},
        {"transponders whose satellite does not exist go with their programs",
         {{{"Astra"}}, {{0, 1, 0, 1}, {7, 2, 0, 2}, {INVALID_ID, 3, 0, 3}}, {{1, 1}, {0, 1}, {1, 2}}},
         {"transponder 1: satellite 7 does not exist (fix: remove it and its 2 programs)",
          "transponder 2: it has no satellite (fix: remove it)"},
         {0},
         {1},
         {0}},
        {"programs whose transponder does not exist",
         {{{"Astra"}}, {{0, 1, 0, 1}}, {{0, 1}, {9, 2}, {INVALID_ID, 3}, {0, 4}}},
         {"program 1: transponder 9 does not exist (fix: remove it)",
          "program 2: it has no transponder (fix: remove it)"},
         {0},
         {0, 3},
         {0, 0}},
        {"the same transponder twice on one satellite: the programs move to the first",
         {{{"Astra"}, {"Hotbird"}},
          {{0, 11000, 0, 27500},
           {0, 11000, 1, 27500},
           {1, 11000, 0, 27500},        // the same values on another satellite
           {0, 11000, 0, 27500, -1, 1}, // differs only in the flag bit
           {0, 11000, 0, 27500}},       // no programs
          {{3, 1}, {0, 2}, {3, 3}, {2, 1}}},
         {"transponder 3: same transponder as transponder 0 of satellite 0 (fix: move its 2 programs to "
          "transponder 0 and remove it)",
          "transponder 4: same transponder as transponder 0 of satellite 0 (fix: remove it)"},
         {0, 1, 2},
         {0, 1, 2, 3},
         {0, 0, 0, 2}},
        {"the same ServiceId twice on one transponder, also once the same transponders are one",
         {{{"Astra"}},
          {{0, 1, 0, 1}, {0, 2, 0, 2}, {0, 1, 0, 1}},
          {{0, 5}, {1, 5}, {0, 5}, {2, 6}, {0, 6}, {2, 5}, {2, 7}}},
         {"transponder 2: same transponder as transponder 0 of satellite 0 (fix: move its 3 programs to "
          "transponder 0 and remove it)",
          "program 2: same ServiceId 5 as program 0 on transponder 0 (fix: remove it)",
          "program 4: same ServiceId 6 as program 3 on transponder 0 (fix: remove it)",
          "program 5: same ServiceId 5 as program 0 on transponder 0 (fix: remove it)"},
         {0, 1},
         {0, 1, 3, 6},
         {0, 1, 0, 0}},
        {"empty names and LNB indexes outside the table are not fixed",
         {{{""}, {"Hotbird", 10, 15}, {"Eutelsat", 3, 9}}, {{0, 1, 0, 1}}, {{0, 1, ""}, {0, 2, "x"}}},
         {"satellite 0: empty name: a workbook round trip drops it",
          "satellite 1: LocalFre1 10 is outside the LNB table (0 to 9): a workbook export writes 5150",
          "satellite 1: LocalFre2 15 is outside the LNB table (0 to 9): a workbook export writes 5150",
          "program 0: empty name: a workbook round trip drops it"},
         {0},
         {0, 1},
         {0, 0}},
        {"repeated ids: a program goes or moves only when no transponder with its parent id stays",
         {{{"Astra", 0, 0, 4}, {"Hotbird", 0, 0, 6}},
          {{9, 1, 0, 1, 5},  // no satellite; a later transponder has its id
           {4, 1, 0, 1, 5},  // kept
           {4, 2, 0, 2, 7},  // kept
           {4, 2, 0, 2, 7},  // the same as the one before, with its id too
           {6, 3, 0, 3, 8},  // kept
           {9, 3, 0, 3, 8}}, // no satellite; an earlier transponder with its id stays
          {{5, 1}, {7, 1}, {8, 1}, {8, 1}}},
         {"transponder 5: satellite 9 does not exist (fix: remove it)",
          "transponder 7: same transponder as transponder 7 of satellite 4 (fix: remove it)",
          "transponder 8: satellite 9 does not exist (fix: remove it)",
          "program 3: same ServiceId 1 as program 2 on transponder 8 (fix: remove it)"},
         {5, 7, 8},
         {0, 1, 2},
         {5, 7, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CProgDb db;
        Build(c.shape, db);
        const std::vector<CCheckFinding> findings = CheckDb(db);
        EXPECT_EQ(Lines(findings), c.lines);
        for (const CCheckFinding& f : findings) {
            EXPECT_EQ(f.bFixable, !f.strFix.empty());
            EXPECT_EQ(db.GetList(f.nRecordKind).GetAtIndex(f.nIndex)->GetId(), f.nId);
        }
        const CDbFix fix = FixDb(db);
        EXPECT_EQ(fix.nFixed, std::count_if(findings.begin(), findings.end(),
                                            [](const CCheckFinding& f) { return f.bFixable; }));
        EXPECT_EQ(Ids(db.GetSatList()).size(), c.shape.sats.size());
        EXPECT_EQ(Ids(db.GetTpList()), c.tpsLeft);
        EXPECT_EQ(Ids(db.GetProgList()), c.progsLeft);
        EXPECT_EQ(Parents(db.GetProgList()), c.progParents);
    }
}

// The limits of a .db file's 13-bit links: one finding each, on the first record past the limit
// (for transponder records, in the order the file would hold them: grouped by satellite).
TEST(Check, RecordsPastTheDbFileLinksAreNamedOnce)
{
    DbShape many;
    for (int i = 0; i < 8193; ++i)
        many.sats.push_back({"S"});
    CProgDb db;
    Build(many, db);
    EXPECT_EQ(
        Lines(CheckDb(db)),
        std::vector<std::string>{"satellite 8191: the 8192nd of 8193 satellites: a .db file addresses at "
                                 "most 8191, its save refuses"});

    // Satellite 0's transponders are written first (list positions 100 on), then satellite 1's
    // (positions 0 to 99): the 8192nd record is the 99th of satellite 1.
    DbShape tps;
    tps.sats = {{"A"}, {"B"}};
    for (int i = 0; i < 8193; ++i)
        tps.tps.push_back({i < 100 ? 1 : 0, uint32_t(i), 0, 1});
    CProgDb db2;
    Build(tps, db2);
    EXPECT_EQ(
        Lines(CheckDb(db2)),
        std::vector<std::string>{"transponder 98: the 8192nd of 8193 transponder records of a .db file: it "
                                 "addresses at most 8191, its save refuses"});

    tps.tps.resize(8192);
    for (TpShape& t : tps.tps)
        t.nSat = 0;
    CProgDb db3;
    Build(tps, db3);
    EXPECT_EQ(
        Lines(CheckDb(db3)),
        (std::vector<std::string>{"satellite 0: 8192 transponders: a .db file addresses at most 8191 of one "
                                  "satellite, its save refuses",
                                  "transponder 8191: the 8192nd of 8192 transponder records of a .db file: "
                                  "it addresses at most 8191, its save refuses"}));
    EXPECT_EQ(FixDb(db3).nFixed, 0);
    EXPECT_EQ(db3.GetTpList().GetCount(), 8192);
}

// On any database (repeated ids, dangling parents, repeated transponders and services, empty
// names): after the fix a check finds nothing fixable, nothing new, and every record left keeps its
// order, id and values, its parent too unless it moved onto the transponder kept; reverting the fix
// gives back the same nodes in the same places.
TEST(Check, AfterTheFixNothingFixableIsLeftAndTheRestIsUntouched)
{
    std::mt19937 rng(1207);
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    for (int nCase = 0; nCase < 500; ++nCase) {
        SCOPED_TRACE("case " + std::to_string(nCase));
        DbShape shape;
        for (int i = pick(0, 5); i > 0; --i)
            shape.sats.push_back(
                {pick(0, 5) ? "S" : "", uint32_t(pick(0, 11)), 0, pick(0, 3) ? INVALID_ID : pick(0, 4)});
        for (int i = pick(0, 14); i > 0; --i)
            shape.tps.push_back({pick(-1, 6), uint32_t(pick(1, 3)), uint32_t(pick(0, 1)), 1,
                                 pick(0, 3) ? INVALID_ID : pick(0, 10), uint32_t(pick(0, 1))});
        for (int i = pick(0, 30); i > 0; --i)
            shape.progs.push_back({pick(-1, 14), uint32_t(pick(0, 4)), pick(0, 6) ? "P" : ""});
        CProgDb db;
        Build(shape, db);
        const std::vector<Rec> before[3] = {Records(db.GetSatList()), Records(db.GetTpList()),
                                            Records(db.GetProgList())};
        const int32_t nLastIds[3] = {db.GetSatList().GetLastId(), db.GetTpList().GetLastId(),
                                     db.GetProgList().GetLastId()};
        const std::vector<CCheckFinding> findings = CheckDb(db);

        CDbFix fix = FixDb(db);
        const std::vector<CCheckFinding> after = CheckDb(db);
        for (const CCheckFinding& f : after) {
            EXPECT_FALSE(f.bFixable) << FindingLine(f);
            const CNode* pNode = db.GetList(f.nRecordKind).GetAtIndex(f.nIndex);
            EXPECT_TRUE(std::any_of(findings.begin(), findings.end(),
                                    [&](const CCheckFinding& g) {
                                        return g.nKind == f.nKind && g.nRecordKind == f.nRecordKind &&
                                               before[g.nRecordKind][g.nIndex].pNode == pNode;
                                    }))
                << "new: " << FindingLine(f);
        }

        // What is left is the former lists less what was removed, in order, unchanged but for the
        // parents of the programs moved.
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
            std::vector<Rec> expected;
            size_t nRemoved = 0;
            for (size_t i = 0; i < before[k].size(); ++i) {
                if (nRemoved < fix.removal.nodes[k].size() &&
                    fix.removal.nodes[k][nRemoved].nIndex == int32_t(i)) {
                    EXPECT_EQ(fix.removal.nodes[k][nRemoved].pNode.get(), before[k][i].pNode);
                    ++nRemoved;
                    continue;
                }
                expected.push_back(before[k][i]);
            }
            EXPECT_EQ(nRemoved, fix.removal.nodes[k].size());
            for (const CDbFix::Reparent& r :
                 k == NODE_PROG ? fix.reparented : std::vector<CDbFix::Reparent>()) {
                ASSERT_LT(size_t(r.nIndex), expected.size());
                EXPECT_EQ(expected[r.nIndex].nParent, r.nOldParentId);
                EXPECT_NE(r.nOldParentId, r.nNewParentId);
                expected[r.nIndex].nParent = r.nNewParentId;
                EXPECT_NE(db.GetTpList().Find(r.nNewParentId), nullptr);
            }
            EXPECT_TRUE(SameRecords(Records(db.GetList(k)), expected)) << "list " << k;
            EXPECT_EQ(db.GetList(k).GetLastId(), nLastIds[k]);
        }
        EXPECT_TRUE(fix.removal.nodes[NODE_SAT].empty());

        RevertFix(db, fix);
        EXPECT_TRUE(fix.removal.IsEmpty());
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG})
            EXPECT_TRUE(SameRecords(Records(db.GetList(k)), before[k])) << "reverted list " << k;
        EXPECT_EQ(Lines(CheckDb(db)), Lines(findings));
    }
}
