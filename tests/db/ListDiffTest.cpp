#include "db/Columns.h"
#include "db/ListDiff.h"
#include "db/ProgDb.h"
#include "tests/TestDbBuild.h"
#include "tests/TestUtil.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

namespace {

// Satellites Astra (192) and Hotbird (130); transponders 0 and 1 on Astra, 2 on Hotbird; programs
// ARD, ZDF on 0, RTL on 1, Rai 1 and Rai 2 on 2, with ServiceIds 1 to 5.
void MakeBase(CProgDb& db)
{
    AddSat(db, "Astra")->GetRecord()->Set(SatField::Longitude, 192);
    AddSat(db, "Hotbird")->GetRecord()->Set(SatField::Longitude, 130);
    AddTp(db, 0, 11000, 27500, 0);
    AddTp(db, 0, 12000, 27500, 1);
    AddTp(db, 1, 11500, 22000, 0);
    const std::pair<int32_t, const char*> progs[] = {
        {0, "ARD"}, {0, "ZDF"}, {1, "RTL"}, {2, "Rai 1"}, {2, "Rai 2"}};
    uint32_t nSid = 1;
    for (const auto& prog : progs)
        AddProg(db, prog.first, prog.second)->GetRecord()->Set(ProgField::ServiceId, nSid++);
}

ProgRecord& Prog(CProgDb& db, int32_t nIndex)
{
    return *static_cast<CProgNode*>(db.GetProgList().GetAtIndex(nIndex))->GetRecord();
}

uint32_t FieldBit(NodeType nKind, const FieldDesc& field)
{
    const CFieldTable table = DiffFields(nKind);
    return 1u << (std::find(table.pFields, table.pFields + table.nCount, &field) - table.pFields);
}

uint32_t ColumnBit(NodeType nKind, const char* pszHeading)
{
    return 1u << FindColumn(nKind, pszHeading);
}

// The fewest moves by the textbook quadratic count of the longest increasing run.
int32_t FewestMoves(const std::vector<int32_t>& seq)
{
    std::vector<int32_t> best(seq.size(), 1);
    int32_t nLongest = 0;
    for (size_t i = 0; i < seq.size(); ++i) {
        for (size_t j = 0; j < i; ++j)
            if (seq[j] < seq[i])
                best[i] = std::max(best[i], best[j] + 1);
        nLongest = std::max(nLongest, best[i]);
    }
    return static_cast<int32_t>(seq.size()) - nLongest;
}

} // namespace

// What each kind of difference marks, counts and names: one record of A examined per case.
TEST(ListDiff, MarksCountsAndNamesEachKindOfDifference)
{
    struct SCase
    {
        const char* pszWhat;
        std::function<void(CProgDb&)> change; // made to B
        int32_t nOnlyA, nOnlyB, nChanged, nMoved;
        NodeType nKind; // the record of A looked at
        int32_t nPos;
        uint8_t nMark;
        uint32_t nWhat;
        uint32_t nColumns;
    };
    const SCase cases[] = {
        {"the same list", [](CProgDb&) {}, 0, 0, 0, 0, NODE_PROG, 0, 0, 0, 0},
        {"a field", [](CProgDb& b) { Prog(b, 1).Set(ProgField::VPID, 101); }, 0, 0, 1, 0, NODE_PROG, 1,
         DIFF_CHANGED, FieldBit(NODE_PROG, ProgField::VPID), ColumnBit(NODE_PROG, "VPID")},
        {"a name in another case", [](CProgDb& b) { Prog(b, 0).SetName("ard"); }, 0, 0, 1, 0, NODE_PROG, 0,
         DIFF_CHANGED, DIFF_WHAT_NAME, ColumnBit(NODE_PROG, "ProgName")},
        {"link fields are no difference",
         [](CProgDb& b) {
             Prog(b, 0).Set(ProgField::TpIndex, 9);
             Prog(b, 0).Set(ProgField::SatIndex, 9);
             static_cast<CSatNode*>(b.GetSatList().GetAtIndex(0))->GetRecord()->Set(SatField::TpCount, 9);
         },
         0, 0, 0, 0, NODE_PROG, 0, 0, 0, 0},
        {"another transponder on the satellite: the parent differs",
         [](CProgDb& b) { b.GetProgList().GetAtIndex(2)->SetParentId(0); }, 0, 0, 1, 0, NODE_PROG, 2,
         DIFF_CHANGED, DIFF_WHAT_PARENT, ColumnBit(NODE_PROG, "TpID")},
        {"a field without a column",
         [](CProgDb& b) {
             static_cast<CTpNode*>(b.GetTpList().GetAtIndex(0))->GetRecord()->Set(TpField::Flag, 1);
         },
         0, 0, 1, 0, NODE_TP, 0, DIFF_CHANGED, FieldBit(NODE_TP, TpField::Flag), 0},
        {"a satellite's LNB",
         [](CProgDb& b) {
             static_cast<CSatNode*>(b.GetSatList().GetAtIndex(1))->GetRecord()->Set(SatField::LocalFre1, 3);
         },
         0, 0, 1, 0, NODE_SAT, 1, DIFF_CHANGED, FieldBit(NODE_SAT, SatField::LocalFre1),
         ColumnBit(NODE_SAT, "LocalFre1")},
        {"one program gone, one new",
         [](CProgDb& b) {
             b.GetProgList().Remove(1);
             AddProg(b, 0, "3sat")->GetRecord()->Set(ProgField::ServiceId, 9);
         },
         1, 1, 0, 0, NODE_PROG, 1, DIFF_ONLY, 0, 0},
        {"the first program last: one moved",
         [](CProgDb& b) {
             b.GetProgList().Move(0, 4); // before the last one,
             b.GetProgList().Move(4, 0); // which goes before it
         },
         0, 0, 0, 1, NODE_PROG, 0, DIFF_MOVED, 0, 0},
        {"moved and changed at once",
         [](CProgDb& b) {
             b.GetProgList().Move(0, 4);
             b.GetProgList().Move(4, 0);
             Prog(b, 4).Set(ProgField::Lock, 1);
         },
         0, 0, 1, 1, NODE_PROG, 0, DIFF_MOVED | DIFF_CHANGED, FieldBit(NODE_PROG, ProgField::Lock),
         ColumnBit(NODE_PROG, "Lock")},
    };
    CCodePageScope codePage(1252);
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        CProgDb a, b;
        MakeBase(a);
        MakeBase(b);
        c.change(b);
        const CListDiff diff = DiffLists(a, b);
        EXPECT_EQ(diff.nOnlyA, c.nOnlyA);
        EXPECT_EQ(diff.nOnlyB, c.nOnlyB);
        EXPECT_EQ(diff.nChanged, c.nChanged);
        EXPECT_EQ(diff.nMoved, c.nMoved);
        EXPECT_EQ(diff.IsSame(), c.nOnlyA + c.nOnlyB + c.nChanged + c.nMoved == 0);
        const CKindDiff& d = diff.Of(c.nKind);
        const size_t nPos = static_cast<size_t>(c.nPos);
        EXPECT_EQ(d.markA[nPos], c.nMark);
        EXPECT_EQ(d.whatA[nPos], c.nWhat);
        EXPECT_EQ(d.columnsA[nPos], c.nColumns);
        // B's record carries the same marks; B's new records are marked as only in B.
        const int32_t nRef = diff.match.Of(c.nKind).refOf[nPos];
        if (nRef >= 0) {
            EXPECT_EQ(d.markB[static_cast<size_t>(nRef)], c.nMark);
        }
        int32_t nOnlyB = 0;
        for (uint8_t nMark : d.markB)
            nOnlyB += nMark == DIFF_ONLY ? 1 : 0;
        EXPECT_EQ(nOnlyB, d.nOnlyB);
    }
}

// Whatever the order of B, the records marked moved are the fewest whose moving gives B's order: the
// others stand in B's order, and no fewer would do.
TEST(ListDiff, MovedAreTheFewestRecordsThatGiveTheOtherOrder)
{
    std::mt19937 rng(7);
    for (int nRun = 0; nRun < 200; ++nRun) {
        SCOPED_TRACE(nRun);
        CProgDb a, b;
        AddSat(a, "S");
        AddTp(a, 0, 11000);
        AddSat(b, "S");
        AddTp(b, 0, 11000);
        const int nCount = std::uniform_int_distribution<int>(0, 30)(rng);
        std::vector<int> names(static_cast<size_t>(nCount));
        for (int i = 0; i < nCount; ++i) {
            names[static_cast<size_t>(i)] = i;
            AddProg(a, 0, "P" + std::to_string(i));
        }
        // A few swaps and a few removed.
        for (int nSwap = std::uniform_int_distribution<int>(0, 4)(rng); nSwap > 0 && nCount > 1; --nSwap)
            std::swap(names[rng() % names.size()], names[rng() % names.size()]);
        for (int n : names)
            if (rng() % 8 != 0)
                AddProg(b, 0, "P" + std::to_string(n));

        const CListDiff diff = DiffLists(a, b);
        const CKindDiff& d = diff.Of(NODE_PROG);
        const CKindMatch& m = diff.match.Of(NODE_PROG);
        std::vector<int32_t> order, kept;
        int32_t nMarked = 0;
        for (size_t i = 0; i < m.refOf.size(); ++i) {
            if (m.refOf[i] < 0)
                continue;
            order.push_back(m.refOf[i]);
            const bool bMoved = (d.markA[i] & DIFF_MOVED) != 0;
            EXPECT_EQ(bMoved, (d.markB[static_cast<size_t>(m.refOf[i])] & DIFF_MOVED) != 0);
            if (bMoved)
                ++nMarked;
            else
                kept.push_back(m.refOf[i]);
        }
        EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
        EXPECT_EQ(nMarked, FewestMoves(order));
        EXPECT_EQ(d.nMoved, nMarked);
    }
}
