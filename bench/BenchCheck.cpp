// The database check on the large database, clean and with problems planted, and the fix of those
// problems with its revert. Usage: bench_check — prints the median of 15 runs of each step. Exits 1
// when the check finds other problems than planted or the revert does not give back the same
// database image, 3 when the check misses its target.

#include "bench/BenchUtil.h"
#include "bench/GenDb.h"
#include "db/Check.h"
#include "db/ProgDb.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double CHECK_TARGET_MS = 50.0;

size_t Fixable(const std::vector<CCheckFinding>& findings)
{
    return static_cast<size_t>(
        std::count_if(findings.begin(), findings.end(), [](const CCheckFinding& f) { return f.bFixable; }));
}

// 1,000 copies of programs (every 40th, same transponder and service), 100 programs and 20
// transponders whose parent does not exist, and 50 transponders repeated on their satellite.
void PlantProblems(CProgDb& db)
{
    std::vector<const CProgNode*> progs;
    for (const CNode* p : db.GetProgList())
        progs.push_back(static_cast<const CProgNode*>(p));
    for (size_t i = 0; i < progs.size(); i += 40) {
        auto p = std::make_unique<CProgNode>(INVALID_ID, progs[i]->GetParentId());
        *p->GetRecord() = *progs[i]->GetRecord();
        db.GetProgList().Add(std::move(p));
    }
    for (int i = 0; i < 100; ++i)
        db.GetProgList().Add(std::make_unique<CProgNode>(INVALID_ID, 100000 + i));
    std::vector<const CTpNode*> tps;
    for (const CNode* p : db.GetTpList())
        tps.push_back(static_cast<const CTpNode*>(p));
    for (size_t i = 0; i < 50; ++i) {
        auto p = std::make_unique<CTpNode>(INVALID_ID, tps[i * 160]->GetParentId());
        *p->GetRecord() = *tps[i * 160]->GetRecord();
        db.GetTpList().Add(std::move(p));
    }
    for (int i = 0; i < 20; ++i)
        db.GetTpList().Add(std::make_unique<CTpNode>(INVALID_ID, 5000 + i));
}

} // namespace

int main()
{
    CProgDb db;
    GenerateLargeDb(db);
    std::vector<CCheckFinding> findings;
    const double cleanMs = MedianMs(15, [&] { findings = CheckDb(db); });
    const size_t nClean = findings.size();
    const std::vector<CCheckFinding> clean = findings;

    PlantProblems(db);
    const double plantedMs = MedianMs(15, [&] { findings = CheckDb(db); });
    const size_t nFound = findings.size();
    const size_t nFixable = Fixable(findings);

    const std::vector<uint8_t> before = DbImage(db);
    CDbFix fix;
    bool bFixed = false;
    const double fixMs = MedianMs(
        15,
        [&] {
            if (bFixed)
                RevertFix(db, fix);
        },
        [&] {
            fix = FixDb(db);
            bFixed = true;
        });
    const size_t nLeft = Fixable(CheckDb(db));
    RevertFix(db, fix);
    const double revertMs = MedianMs(
        15, [&] { fix = FixDb(db); }, [&] { RevertFix(db, fix); });
    const bool bSame = DbImage(db) == before;

    std::printf("check of the large database (200 satellites, 8000 transponders, 40000 programs)\n");
    std::printf("check, as generated          %7.2f ms (median of 15), %zu findings\n", cleanMs, nClean);
    std::printf("check, problems planted      %7.2f ms (median of 15), %zu findings, %zu fixable\n",
                plantedMs, nFound, nFixable);
    std::printf("fix of the fixable findings  %7.2f ms (median of 15)\n", fixMs);
    std::printf("revert of the fix            %7.2f ms (median of 15)\n", revertMs);
    // Planted: 1,000 repeated services, 100 + 20 dangling parents, 50 repeated transponders (and the
    // 100 programs without a parent have no name either, which is not fixed).
    if (nFixable != Fixable(clean) + 1170 || nFound != nClean + 1270 || nLeft != 0 || !bSame) {
        std::fprintf(stderr,
                     "unexpected: %zu fixable (%zu before planting), %zu left after the fix, revert %s\n",
                     nFixable, nClean, nLeft, bSame ? "exact" : "DIFFERENT");
        return 1;
    }
    const bool bMet = cleanMs < CHECK_TARGET_MS && plantedMs < CHECK_TARGET_MS;
    std::printf("target (check under %.0f ms): %s\n", CHECK_TARGET_MS, bMet ? "met" : "MISSED");
    return bMet ? 0 : 3;
}
