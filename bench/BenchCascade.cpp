// Removing records with everything under them (the Delete key's cascade) and putting them back, on
// the large database. Usage: bench_cascade — prints the median of 15 runs of each step. Exits 1
// when a removal takes the wrong records or a restore does not give back the same database image,
// 3 when a step misses its target.

#include "bench/BenchUtil.h"
#include "bench/GenDb.h"
#include "db/Cascade.h"
#include "db/ProgDb.h"

#include <cstdio>
#include <vector>

namespace {

// The whole of an edit command, its undo and the refresh of the views must stay under 50 ms; the
// database work is a small part of that.
constexpr double TARGET_MS = 10.0;

std::vector<int32_t> IdsUnder(const CNodeList& list, int32_t nParentId)
{
    std::vector<int32_t> ids;
    for (const CNode* p : list)
        if (p->GetParentId() == nParentId)
            ids.push_back(p->GetId());
    return ids;
}

// Times RemoveRecords and RestoreRecords of the same ids in turn, 15 times each. False when the
// removal takes other counts than expected or the database image differs after the restore.
bool Bench(const char* pszName, CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids, int32_t nSats,
           int32_t nTps, int32_t nProgs, bool& bInTarget)
{
    const std::vector<uint8_t> before = DbImage(db);
    CRemoval removal;
    bool bOk = true;
    bool bRemoved = false;
    const double removeMs = MedianMs(
        15,
        [&] {
            if (bRemoved)
                RestoreRecords(db, removal);
        },
        [&] {
            removal = RemoveRecords(db, nKind, ids);
            bRemoved = true;
        });
    bOk = removal.GetCount(NODE_SAT) == nSats && removal.GetCount(NODE_TP) == nTps &&
          removal.GetCount(NODE_PROG) == nProgs;
    const double restoreMs = MedianMs(
        15,
        [&] {
            if (!bRemoved)
                removal = RemoveRecords(db, nKind, ids);
        },
        [&] {
            RestoreRecords(db, removal);
            bRemoved = false;
        });
    if (!bOk || DbImage(db) != before) {
        std::fprintf(stderr, "%s: wrong records removed or not restored\n", pszName);
        return false;
    }
    const bool bFast = removeMs < TARGET_MS && restoreMs < TARGET_MS;
    bInTarget = bInTarget && bFast;
    std::printf("%s: remove %.2f ms, restore %.2f ms (medians of 15)%s\n", pszName, removeMs, restoreMs,
                bFast ? "" : "  ABOVE TARGET");
    return true;
}

} // namespace

int main()
{
    CProgDb db;
    GenerateLargeDb(db);
    std::printf("large database (200 satellites, 8000 transponders, 40000 programs)\n");

    bool bInTarget = true;
    const std::vector<int32_t> allProgs = IdsOf(db.GetProgList());
    const std::vector<int32_t> progsOfTp = IdsUnder(db.GetProgList(), 4000);
    bool bOk = Bench("all 40000 programs", db, NODE_PROG, allProgs, 0, 0, 40000, bInTarget);
    bOk = Bench("5 programs of one transponder", db, NODE_PROG, progsOfTp, 0, 0, 5, bInTarget) && bOk;
    bOk = Bench("one transponder with its 5 programs", db, NODE_TP, {4000}, 0, 1, 5, bInTarget) && bOk;
    bOk = Bench("one satellite with 40 transponders and 200 programs", db, NODE_SAT, {100}, 1, 40, 200,
                bInTarget) &&
          bOk;
    bOk = Bench("all 200 satellites with everything below", db, NODE_SAT, IdsOf(db.GetSatList()), 200, 8000,
                40000, bInTarget) &&
          bOk;
    if (!bOk)
        return 1;
    return bInTarget ? 0 : 3;
}
