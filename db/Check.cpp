#include "db/Check.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// The most a 13-bit link field of a .db file holds: positions and counts of satellites and
// transponder records, and transponders of one satellite, go up to this; a save refuses more.
constexpr int32_t MAX_LINK = static_cast<int32_t>(FieldMask(SatField::TpCount.nWidth));

enum class TpFate : uint8_t
{
    Keep,
    NoSatellite, // removed with the programs it owns
    Same,        // removed after its programs moved onto the transponder it repeats
};

enum class ProgFate : uint8_t
{
    Keep,
    Moved,           // kept, with the transponder it repeated replaced by the one kept
    NoTransponder,   // removed
    WithTransponder, // removed with a transponder whose satellite does not exist
    SameService,     // removed
};

// What the check found and what the fix would do, record by record.
struct Plan
{
    std::vector<CCheckFinding> findings;
    std::vector<CNode*> tps;
    std::vector<TpFate> tpFates;
    std::vector<CNode*> progs;
    std::vector<ProgFate> progFates;
    std::vector<int32_t> progParents; // the parent each program has after the fix
};

const char* KindName(NodeType nKind)
{
    switch (nKind) {
    case NODE_SAT:
        return "satellite";
    case NODE_TP:
        return "transponder";
    case NODE_PROG:
        break;
    }
    return "program";
}

std::string Str(int64_t n)
{
    return std::to_string(n);
}

// 1st, 2nd, 3rd, 4th, ..., 11th, 12th, 13th, 21st, ...
std::string Ordinal(int64_t n)
{
    const int64_t nTens = n % 100, nOnes = n % 10;
    const char* pszSuffix = "th";
    if (nTens < 11 || nTens > 13)
        pszSuffix = nOnes == 1 ? "st" : nOnes == 2 ? "nd" : nOnes == 3 ? "rd" : "th";
    return Str(n) + pszSuffix;
}

std::string Programs(int32_t n)
{
    return Str(n) + (n == 1 ? " program" : " programs");
}

void Add(Plan& plan, CheckKind nKind, NodeType nRecordKind, int32_t nIndex, const CNode* pNode,
         std::string strText, std::string strFix = std::string())
{
    const bool bFixable = !strFix.empty();
    plan.findings.push_back(CCheckFinding{nKind, nRecordKind, nIndex, pNode->GetId(), std::move(strText),
                                          bFixable, std::move(strFix)});
}

uint64_t SameTpKey(int32_t nSatId, const TpRecord& rec)
{
    // What IsSameTp compares (frequency 14 bits, polarisation 1, symbol rate 16) beside the satellite.
    const uint64_t nTp = (uint64_t(rec.Get(TpField::Frequency)) << 17) |
                         (uint64_t(rec.Get(TpField::Polar)) << 16) | rec.Get(TpField::SymbolRate);
    return (uint64_t(static_cast<uint32_t>(nSatId)) << 32) | nTp;
}

uint64_t SameServiceKey(int32_t nTpId, const ProgRecord& rec)
{
    return (uint64_t(static_cast<uint32_t>(nTpId)) << 32) | rec.Get(ProgField::ServiceId);
}

// Number of transponders by parent id: the groups a .db file's writer makes for each satellite.
using TpCounts = std::unordered_map<int32_t, int64_t>;

void CheckSatellites(const CProgDb& db, const TpCounts& tpsOf, Plan& plan,
                     std::unordered_set<int32_t>& satIds)
{
    const CNodeList& sats = db.GetSatList();

    int32_t nIndex = 0;
    for (const CNode* pNode : sats) {
        satIds.insert(pNode->GetId());
        const SatRecord* pRec = static_cast<const CSatNode*>(pNode)->GetRecord();
        if (pRec->Name[0] == 0)
            Add(plan, CheckKind::EmptyName, NODE_SAT, nIndex, pNode,
                "empty name: a workbook round trip drops it");
        for (const FieldDesc* pField : {&SatField::LocalFre1, &SatField::LocalFre2}) {
            const uint32_t nLnb = pRec->Get(*pField);
            if (nLnb >= uint32_t(LNB_FREQ_COUNT))
                Add(plan, CheckKind::LnbIndex, NODE_SAT, nIndex, pNode,
                    std::string(pField->pszName) + " " + Str(nLnb) + " is outside the LNB table (0 to " +
                        Str(LNB_FREQ_COUNT - 1) + "): a workbook export writes " + Str(LnbIndexToFreq(nLnb)));
        }
        auto it = tpsOf.find(pNode->GetId());
        if (it != tpsOf.end() && it->second > MAX_LINK)
            Add(plan, CheckKind::TooManyRecords, NODE_SAT, nIndex, pNode,
                Str(it->second) + " transponders: a .db file addresses at most " + Str(MAX_LINK) +
                    " of one satellite, its save refuses");
        if (nIndex == MAX_LINK)
            Add(plan, CheckKind::TooManyRecords, NODE_SAT, nIndex, pNode,
                "the " + Ordinal(nIndex + 1) + " of " + Str(sats.GetCount()) +
                    " satellites: a .db file addresses at most " + Str(MAX_LINK) + ", its save refuses");
        ++nIndex;
    }
}

// The transponder record a .db file would hold at position MAX_LINK, past the last it can address:
// the file holds, for each satellite in list order, the transponders with its id in list order.
void CheckTpRecordCount(const CProgDb& db, const TpCounts& tpsOf, Plan& plan)
{
    int64_t nTotal = 0;
    for (const CNode* pSat : db.GetSatList()) {
        auto it = tpsOf.find(pSat->GetId());
        if (it != tpsOf.end())
            nTotal += it->second;
    }
    if (nTotal <= MAX_LINK)
        return;
    int64_t nBefore = 0;
    for (const CNode* pSat : db.GetSatList()) {
        auto it = tpsOf.find(pSat->GetId());
        const int64_t nGroup = it == tpsOf.end() ? 0 : it->second;
        if (nBefore + nGroup <= MAX_LINK) {
            nBefore += nGroup;
            continue;
        }
        int32_t nIndex = 0;
        for (const CNode* pTp : db.GetTpList()) {
            if (pTp->GetParentId() == pSat->GetId() && nBefore++ == MAX_LINK) {
                Add(plan, CheckKind::TooManyRecords, NODE_TP, nIndex, pTp,
                    "the " + Ordinal(MAX_LINK + 1) + " of " + Str(nTotal) +
                        " transponder records of a .db file: it addresses at most " + Str(MAX_LINK) +
                        ", its save refuses");
                return;
            }
            ++nIndex;
        }
    }
}

Plan MakePlan(const CProgDb& db)
{
    Plan plan;
    TpCounts tpsOf;
    for (const CNode* pTp : db.GetTpList())
        ++tpsOf[pTp->GetParentId()];
    std::unordered_set<int32_t> satIds;
    CheckSatellites(db, tpsOf, plan, satIds);

    // Transponders: whose satellite is missing, and which repeat an earlier one of their satellite.
    const size_t nTps = static_cast<size_t>(db.GetTpList().GetCount());
    plan.tps.reserve(nTps);
    plan.tpFates.reserve(nTps);
    std::vector<int32_t> sameAs(nTps, -1);              // index of the transponder kept instead
    std::unordered_map<int32_t, int32_t> firstTpWithId; // the transponder a program's parent id means
    std::unordered_map<uint64_t, int32_t> firstSame;    // same-transponder key -> index of the first
    std::unordered_set<int32_t> keptTpIds;
    firstTpWithId.reserve(nTps);
    firstSame.reserve(nTps);
    keptTpIds.reserve(nTps);
    for (CNode* pNode : db.GetTpList()) {
        const int32_t nIndex = static_cast<int32_t>(plan.tps.size());
        plan.tps.push_back(pNode);
        firstTpWithId.emplace(pNode->GetId(), nIndex);
        TpFate fate = TpFate::Keep;
        if (satIds.count(pNode->GetParentId()) == 0) {
            fate = TpFate::NoSatellite;
        } else {
            const TpRecord& rec = *static_cast<const CTpNode*>(pNode)->GetRecord();
            auto res = firstSame.emplace(SameTpKey(pNode->GetParentId(), rec), nIndex);
            if (!res.second) {
                fate = TpFate::Same;
                sameAs[nIndex] = res.first->second;
            }
        }
        if (fate == TpFate::Keep)
            keptTpIds.insert(pNode->GetId());
        plan.tpFates.push_back(fate);
    }

    // Programs: where each one ends up. A program of a removed transponder goes with it, or moves to
    // the transponder kept instead of it; unless another transponder with its parent id stays.
    const size_t nProgs = static_cast<size_t>(db.GetProgList().GetCount());
    plan.progs.reserve(nProgs);
    plan.progFates.reserve(nProgs);
    plan.progParents.reserve(nProgs);
    std::vector<int32_t> progsOwned(nTps, 0); // programs a removed transponder takes along or hands on
    std::vector<int32_t> sameServiceAs(nProgs, -1);
    std::unordered_map<uint64_t, int32_t> firstService;
    firstService.reserve(nProgs);
    for (CNode* pNode : db.GetProgList()) {
        const int32_t nIndex = static_cast<int32_t>(plan.progs.size());
        plan.progs.push_back(pNode);
        int32_t nParent = pNode->GetParentId();
        ProgFate fate = ProgFate::Keep;
        auto itOwner = firstTpWithId.find(nParent);
        if (itOwner == firstTpWithId.end()) {
            fate = ProgFate::NoTransponder;
        } else if (keptTpIds.count(nParent) == 0) {
            const int32_t nOwner = itOwner->second;
            ++progsOwned[nOwner];
            if (plan.tpFates[nOwner] == TpFate::NoSatellite) {
                fate = ProgFate::WithTransponder;
            } else {
                fate = ProgFate::Moved;
                nParent = plan.tps[sameAs[nOwner]]->GetId();
            }
        }
        if (fate == ProgFate::Keep || fate == ProgFate::Moved) {
            const ProgRecord& rec = *static_cast<const CProgNode*>(pNode)->GetRecord();
            auto res = firstService.emplace(SameServiceKey(nParent, rec), nIndex);
            if (!res.second) {
                fate = ProgFate::SameService;
                sameServiceAs[nIndex] = res.first->second;
            }
        }
        plan.progFates.push_back(fate);
        plan.progParents.push_back(nParent);
    }

    for (size_t k = 0; k < nTps; ++k) {
        const CNode* pNode = plan.tps[k];
        const int32_t nIndex = static_cast<int32_t>(k);
        const int32_t nOwned = progsOwned[k];
        if (plan.tpFates[k] == TpFate::NoSatellite) {
            const int32_t nSat = pNode->GetParentId();
            Add(plan, CheckKind::MissingSatellite, NODE_TP, nIndex, pNode,
                nSat == INVALID_ID ? "it has no satellite" : "satellite " + Str(nSat) + " does not exist",
                nOwned == 0 ? "remove it" : "remove it and its " + Programs(nOwned));
        } else if (plan.tpFates[k] == TpFate::Same) {
            const CNode* pKept = plan.tps[sameAs[k]];
            Add(plan, CheckKind::SameTransponder, NODE_TP, nIndex, pNode,
                "same transponder as transponder " + Str(pKept->GetId()) + " of satellite " +
                    Str(pNode->GetParentId()),
                nOwned == 0 ? "remove it"
                            : "move its " + Programs(nOwned) + " to transponder " + Str(pKept->GetId()) +
                                  " and remove it");
        }
    }
    CheckTpRecordCount(db, tpsOf, plan);

    for (size_t k = 0; k < nProgs; ++k) {
        const CNode* pNode = plan.progs[k];
        const int32_t nIndex = static_cast<int32_t>(k);
        if (plan.progFates[k] == ProgFate::NoTransponder) {
            const int32_t nTp = pNode->GetParentId();
            Add(plan, CheckKind::MissingTransponder, NODE_PROG, nIndex, pNode,
                nTp == INVALID_ID ? "it has no transponder" : "transponder " + Str(nTp) + " does not exist",
                "remove it");
        } else if (plan.progFates[k] == ProgFate::SameService) {
            const CNode* pFirst = plan.progs[sameServiceAs[k]];
            const uint32_t nService =
                static_cast<const CProgNode*>(pNode)->GetRecord()->Get(ProgField::ServiceId);
            Add(plan, CheckKind::SameService, NODE_PROG, nIndex, pNode,
                "same ServiceId " + Str(nService) + " as program " + Str(pFirst->GetId()) +
                    " on transponder " + Str(plan.progParents[k]),
                "remove it");
        }
        if (static_cast<const CProgNode*>(pNode)->GetRecord()->ProgName[0] == 0)
            Add(plan, CheckKind::EmptyName, NODE_PROG, nIndex, pNode,
                "empty name: a workbook round trip drops it");
    }

    std::stable_sort(
        plan.findings.begin(), plan.findings.end(), [](const CCheckFinding& a, const CCheckFinding& b) {
            return a.nRecordKind != b.nRecordKind ? a.nRecordKind < b.nRecordKind : a.nIndex < b.nIndex;
        });
    return plan;
}

} // namespace

std::vector<CCheckFinding> CheckDb(const CProgDb& db)
{
    return MakePlan(db).findings;
}

std::string FindingLine(const CCheckFinding& finding)
{
    std::string strLine =
        std::string(KindName(finding.nRecordKind)) + " " + Str(finding.nId) + ": " + finding.strText;
    if (finding.bFixable)
        strLine += " (fix: " + finding.strFix + ")";
    return strLine;
}

CDbFix FixDb(CProgDb& db)
{
    Plan plan = MakePlan(db);
    CDbFix fix;
    fix.nFixed = static_cast<int32_t>(std::count_if(plan.findings.begin(), plan.findings.end(),
                                                    [](const CCheckFinding& f) { return f.bFixable; }));

    std::unordered_map<const CNode*, CDbFix::Reparent> moved;
    std::unordered_set<const CNode*> gone;
    for (size_t k = 0; k < plan.tps.size(); ++k)
        if (plan.tpFates[k] != TpFate::Keep)
            gone.insert(plan.tps[k]);
    for (size_t k = 0; k < plan.progs.size(); ++k) {
        CNode* pNode = plan.progs[k];
        switch (plan.progFates[k]) {
        case ProgFate::Keep:
            break;
        case ProgFate::Moved:
            moved.emplace(pNode, CDbFix::Reparent{0, pNode->GetParentId(), plan.progParents[k]});
            pNode->SetParentId(plan.progParents[k]);
            break;
        case ProgFate::NoTransponder:
        case ProgFate::WithTransponder:
        case ProgFate::SameService:
            gone.insert(pNode);
            break;
        }
    }
    auto isGone = [&gone](const CNode& node) { return gone.count(&node) != 0; };
    if (!gone.empty()) {
        fix.removal.nodes[NODE_TP] = db.GetTpList().TakeIf(isGone);
        fix.removal.nodes[NODE_PROG] = db.GetProgList().TakeIf(isGone);
    }
    if (!moved.empty()) {
        int32_t nIndex = 0;
        for (const CNode* pNode : db.GetProgList()) {
            auto it = moved.find(pNode);
            if (it != moved.end()) {
                it->second.nIndex = nIndex;
                fix.reparented.push_back(it->second);
            }
            ++nIndex;
        }
    }
    return fix;
}

void RevertFix(CProgDb& db, CDbFix& fix)
{
    auto it = fix.reparented.begin();
    int32_t nIndex = 0;
    for (CNode* pNode : db.GetProgList()) {
        if (it == fix.reparented.end())
            break;
        if (it->nIndex == nIndex++) {
            pNode->SetParentId(it->nOldParentId);
            ++it;
        }
    }
    fix.reparented.clear();
    RestoreRecords(db, fix.removal);
}
