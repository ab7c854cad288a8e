#pragma once

// Random channel lists for the tests of matching two lists: a list in which the matching rule can
// tell every record apart, and a shuffled copy of it with records renamed, removed and drifted the
// way a rescan changes them, remembering where each record went.

#include "db/ProgDb.h"
#include "tests/TestDbBuild.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

// Satellites share places (several at one Longitude and Direction) but have names of their own;
// the transponders of a satellite differ in Frequency, Polar or SymbolRate; programs repeat
// ServiceIds on a transponder but have names of their own; with bOrphans a few programs belong to no
// transponder.
inline void MakeMatchableDb(CProgDb& db, std::mt19937& rng, bool bOrphans = true)
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    const int nSats = pick(1, 6), nTps = pick(0, 20), nProgs = pick(0, 40);
    for (int i = 0; i < nSats; ++i) {
        CSatNode* pSat = AddSat(db, "Sat " + std::to_string(i));
        pSat->GetRecord()->Set(SatField::Longitude, static_cast<uint32_t>(pick(0, 3)));
        pSat->GetRecord()->Set(SatField::Direction, static_cast<uint32_t>(pick(0, 1)));
        pSat->GetRecord()->Set(SatField::LocalFre1, static_cast<uint32_t>(pick(0, 9)));
        pSat->SetSelect(pick(0, 2));
    }
    for (int i = 0; i < nTps; ++i) {
        const int32_t nSat = pick(0, nSats - 1);
        for (int nTry = 0; nTry < 20; ++nTry) {
            const auto nFreq = static_cast<uint32_t>(pick(10700, 10760));
            const auto nSr = static_cast<uint32_t>(pick(0, 1) ? 22000 : 27500);
            const auto nPolar = static_cast<uint32_t>(pick(0, 1));
            bool bTaken = false;
            for (const CNode* p : db.GetTpList()) {
                const TpRecord& r = *static_cast<const CTpNode*>(p)->GetRecord();
                bTaken = bTaken || (p->GetParentId() == nSat && r.Get(TpField::Frequency) == nFreq &&
                                    r.Get(TpField::SymbolRate) == nSr && r.Get(TpField::Polar) == nPolar);
            }
            if (!bTaken) {
                AddTp(db, nSat, nFreq, nSr, nPolar)
                    ->GetRecord()
                    ->Set(TpField::Flag, static_cast<uint32_t>(pick(0, 1)));
                break;
            }
        }
    }
    const int nTpCount = db.GetTpList().GetCount();
    if (nTpCount == 0 && !bOrphans)
        return;
    for (int i = 0; i < nProgs; ++i) {
        const bool bOrphan = bOrphans && pick(0, 19) == 0;
        const int32_t nTp = bOrphan || nTpCount == 0 ? 999 : pick(0, nTpCount - 1);
        ProgRecord& r = *AddProg(db, nTp, "Prog " + std::to_string(i))->GetRecord();
        r.Set(ProgField::ServiceId, static_cast<uint32_t>(pick(0, 5)));
        r.Set(ProgField::VPID, static_cast<uint32_t>(pick(0, 8191)));
        r.Set(ProgField::Lock, static_cast<uint32_t>(pick(0, 1)));
        r.Set(ProgField::FavType, static_cast<uint32_t>(pick(0, 15)));
    }
}

// What a rescan may change in the copy.
struct SCopyChanges
{
    bool bRemove = true; // some records (with everything under them) are missing
    bool bRename = true; // names a record can be found without are replaced
    bool bDrift = true;  // some transponders are off by a unit or two where no neighbour is near
    bool bFlags = true;  // Lock, Skip, Hide and FavType of programs are new
};

// copy gets the records of db in a new order, with fresh ids and the parents linked alike; posOf[k]
// gives, per position in db, the position of the record in copy (-1 when removed). Names change in
// case and surrounding spaces throughout, and are replaced (bRename) only where the record can be
// found otherwise: a satellite alone at its place, a program alone with its ServiceId on its
// transponder.
inline void MakeShuffledCopy(const CProgDb& db, std::mt19937& rng, const SCopyChanges& changes, CProgDb& copy,
                             std::vector<int32_t> posOf[3])
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    std::vector<const CNode*> nodes[3];
    std::vector<int32_t> parents[3]; // position of the parent in db, or -1
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        nodes[k].assign(db.GetList(k).begin(), db.GetList(k).end());
        for (const CNode* p : nodes[k]) {
            int32_t nParent = -1;
            if (k != NODE_SAT)
                for (size_t i = 0; i < nodes[k - 1].size() && nParent < 0; ++i)
                    if (nodes[k - 1][i]->GetId() == p->GetParentId())
                        nParent = static_cast<int32_t>(i);
            parents[k].push_back(nParent);
        }
    }
    // Which records stay: removing one removes what is under it.
    std::vector<bool> keep[3];
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (size_t i = 0; i < nodes[k].size(); ++i) {
            const int32_t nParent = parents[k][i];
            const bool bParentKept = nParent < 0 || keep[k - 1][static_cast<size_t>(nParent)];
            keep[k].push_back(bParentKept && !(changes.bRemove && pick(0, 9) == 0));
        }
    }
    auto unique = [](const std::vector<uint64_t>& keys, size_t i) {
        return std::count(keys.begin(), keys.end(), keys[i]) == 1;
    };
    std::vector<uint64_t> satPlaces, progServices;
    for (const CNode* p : nodes[NODE_SAT]) {
        const SatRecord& r = *static_cast<const CSatNode*>(p)->GetRecord();
        satPlaces.push_back(r.Get(SatField::Longitude) * 2 + r.Get(SatField::Direction));
    }
    for (size_t i = 0; i < nodes[NODE_PROG].size(); ++i) {
        const uint32_t nSid =
            static_cast<const CProgNode*>(nodes[NODE_PROG][i])->GetRecord()->Get(ProgField::ServiceId);
        const int32_t nTp = parents[NODE_PROG][i];
        progServices.push_back(nTp < 0 ? ~uint64_t(0) - i : (uint64_t(nTp) << 16) | nSid);
    }
    auto restyle = [&](std::string strName) {
        for (char& c : strName)
            c = pick(0, 1) ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        return std::string(static_cast<size_t>(pick(0, 1)), ' ') + strName +
               std::string(static_cast<size_t>(pick(0, 1)), ' ');
    };

    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        std::vector<size_t> order;
        for (size_t i = 0; i < nodes[k].size(); ++i)
            if (keep[k][i])
                order.push_back(i);
        std::shuffle(order.begin(), order.end(), rng);
        posOf[k].assign(nodes[k].size(), -1);
        for (size_t i : order) {
            std::unique_ptr<CNode> pNode;
            const int32_t nParent = parents[k][i];
            if (k == NODE_SAT) {
                const auto& sat = *static_cast<const CSatNode*>(nodes[k][i]);
                auto p = std::make_unique<CSatNode>(sat.GetSelect());
                *p->GetRecord() = *sat.GetRecord();
                const bool bRename = changes.bRename && unique(satPlaces, i) && pick(0, 2) == 0;
                p->GetRecord()->SetName(bRename ? "Renamed " + std::to_string(i)
                                                : restyle(sat.GetRecord()->GetName()));
                pNode = std::move(p);
            } else if (k == NODE_TP) {
                auto p = std::make_unique<CTpNode>();
                *p->GetRecord() = *static_cast<const CTpNode*>(nodes[k][i])->GetRecord();
                TpRecord& r = *p->GetRecord();
                bool bAlone = true;
                for (size_t o = 0; o < nodes[k].size(); ++o) {
                    const TpRecord& other = *static_cast<const CTpNode*>(nodes[k][o])->GetRecord();
                    const int nDistance = static_cast<int>(other.Get(TpField::Frequency)) -
                                          static_cast<int>(r.Get(TpField::Frequency));
                    bAlone = bAlone && (o == i || parents[k][o] != nParent ||
                                        other.Get(TpField::Polar) != r.Get(TpField::Polar) ||
                                        other.Get(TpField::SymbolRate) != r.Get(TpField::SymbolRate) ||
                                        nDistance > 4 || nDistance < -4);
                }
                if (changes.bDrift && bAlone && pick(0, 2) == 0)
                    r.Set(TpField::Frequency,
                          r.Get(TpField::Frequency) + static_cast<uint32_t>(pick(0, 1) ? 2 : -1));
                pNode = std::move(p);
            } else {
                const auto& prog = *static_cast<const CProgNode*>(nodes[k][i]);
                auto p = std::make_unique<CProgNode>();
                *p->GetRecord() = *prog.GetRecord();
                ProgRecord& r = *p->GetRecord();
                const bool bRename =
                    changes.bRename && nParent >= 0 && unique(progServices, i) && pick(0, 2) == 0;
                r.SetName(bRename ? "Renamed " + std::to_string(i) : restyle(prog.GetRecord()->GetName()));
                if (changes.bFlags) {
                    r.Set(ProgField::Lock, static_cast<uint32_t>(pick(0, 1)));
                    r.Set(ProgField::Skip, static_cast<uint32_t>(pick(0, 1)));
                    r.Set(ProgField::Hide, static_cast<uint32_t>(pick(0, 1)));
                    r.Set(ProgField::FavType, static_cast<uint32_t>(pick(0, 15)));
                }
                pNode = std::move(p);
            }
            posOf[k][i] = copy.GetList(k).GetCount();
            // The parent's id in the copy is its position there: the copy's ids are 0, 1, 2, ...
            pNode->SetParentId(nParent < 0 ? (k == NODE_SAT ? INVALID_ID : 999)
                                           : posOf[k - 1][static_cast<size_t>(nParent)]);
            copy.GetList(k).Add(std::move(pNode));
        }
    }
}
