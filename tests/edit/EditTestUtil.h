#pragma once

// Databases for the edit tests: small builders, a full picture of a database (every record's id,
// parent and bytes in list order) and its .db image.

#include "access/AccessDb.h"
#include "db/ProgDb.h"
#include "edit/RecordSet.h"
#include "tests/TestDbBuild.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

struct SRecordPicture
{
    int32_t nId;
    int32_t nParent;
    std::vector<uint8_t> bytes; // the record, and a satellite's select

    bool operator==(const SRecordPicture& o) const
    {
        return nId == o.nId && nParent == o.nParent && bytes == o.bytes;
    }
};

struct SDbPicture
{
    std::vector<SRecordPicture> lists[3];

    bool operator==(const SDbPicture& o) const
    {
        return lists[0] == o.lists[0] && lists[1] == o.lists[1] && lists[2] == o.lists[2];
    }
    bool operator!=(const SDbPicture& o) const { return !(*this == o); }
};

inline std::vector<uint8_t> RecordBytes(const CNode& node)
{
    auto bytes = [](const void* p, size_t n) {
        const auto* pb = static_cast<const uint8_t*>(p);
        return std::vector<uint8_t>(pb, pb + n);
    };
    if (node.GetType() == NODE_SAT) {
        const auto& sat = static_cast<const CSatNode&>(node);
        std::vector<uint8_t> v = bytes(sat.GetRecord(), sizeof(SatRecord));
        v.push_back(static_cast<uint8_t>(sat.GetSelect()));
        return v;
    }
    if (node.GetType() == NODE_TP)
        return bytes(static_cast<const CTpNode&>(node).GetRecord(), sizeof(TpRecord));
    return bytes(static_cast<const CProgNode&>(node).GetRecord(), sizeof(ProgRecord));
}

inline SDbPicture Picture(const CProgDb& db)
{
    SDbPicture picture;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        for (const CNode* p : db.GetList(nKind))
            picture.lists[nKind].push_back(SRecordPicture{p->GetId(), p->GetParentId(), RecordBytes(*p)});
    return picture;
}

// The .db image of the database, built from a copy: the writer recomputes the link fields of the
// records it is given, and the database itself must only change through commands.
inline std::vector<uint8_t> ImageOf(const CProgDb& db)
{
    CProgDb copy;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (const CNode* p : db.GetList(nKind)) {
            std::unique_ptr<CNode> pCopy = CloneRecord(*p);
            pCopy->SetParentId(p->GetParentId());
            copy.GetList(nKind).AddWithId(std::move(pCopy), p->GetId());
        }
    }
    std::vector<uint8_t> image;
    CAccessDbOut out;
    EXPECT_TRUE(out.BuildImage(&copy, image));
    return image;
}

inline CProgNode& ProgAt(CProgDb& db, int32_t nIndex)
{
    return *static_cast<CProgNode*>(db.GetProgList().GetAtIndex(nIndex));
}

// A database with duplicate ids in every list (as firmware images give them), orphans whose parent
// is no record, and every field filled with noise.
inline void MakeRandomDb(CProgDb& db, std::mt19937& rng, int nMaxSats, int nMaxTps, int nMaxProgs)
{
    auto pick = [&rng](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };
    const int nSats = pick(0, nMaxSats), nTps = pick(0, nMaxTps), nProgs = pick(0, nMaxProgs);
    auto idFor = [&](int nCount) { return pick(0, 5) == 0 ? pick(0, nCount) : INVALID_ID; };
    for (int i = 0; i < nSats; ++i) {
        auto p = std::make_unique<CSatNode>(pick(0, 2));
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = static_cast<uint32_t>(rng());
        p->GetRecord()->SetName("Sat " + std::to_string(i));
        const int32_t nId = idFor(nSats);
        nId == INVALID_ID ? db.GetSatList().Add(std::move(p)) : db.GetSatList().AddWithId(std::move(p), nId);
    }
    for (int i = 0; i < nTps; ++i) {
        auto p = std::make_unique<CTpNode>(INVALID_ID, pick(-1, nSats));
        p->GetRecord()->dwWord[0] = static_cast<uint32_t>(rng());
        const int32_t nId = idFor(nTps);
        nId == INVALID_ID ? db.GetTpList().Add(std::move(p)) : db.GetTpList().AddWithId(std::move(p), nId);
    }
    for (int i = 0; i < nProgs; ++i) {
        auto p = std::make_unique<CProgNode>(INVALID_ID, pick(-1, nTps));
        for (uint32_t& w : p->GetRecord()->dwWord)
            w = static_cast<uint32_t>(rng());
        p->GetRecord()->SetName("Prog " + std::to_string(i));
        const int32_t nId = idFor(nProgs);
        nId == INVALID_ID ? db.GetProgList().Add(std::move(p))
                          : db.GetProgList().AddWithId(std::move(p), nId);
    }
}
