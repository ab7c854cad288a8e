#pragma once

// Small databases built record by record for the tests, and the ids and parents of a list as the
// tests compare them. Core headers only, for the gtest and the Qt tests alike.

#include "db/ProgDb.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Adds pNode to list; with nId it keeps that id (as a firmware reader does), with INVALID_ID it
// takes the list's next id. Returns the node, which the list owns.
template <class TNode> TNode* AddNode(CNodeList& list, std::unique_ptr<TNode> pNode, int32_t nId = INVALID_ID)
{
    TNode* p = pNode.get();
    if (nId == INVALID_ID)
        list.Add(std::move(pNode));
    else
        list.AddWithId(std::move(pNode), nId);
    return p;
}

inline CSatNode* AddSat(CProgDb& db, const std::string& strName, int32_t nId = INVALID_ID)
{
    auto p = std::make_unique<CSatNode>();
    p->GetRecord()->SetName(strName);
    return AddNode(db.GetSatList(), std::move(p), nId);
}

inline CTpNode* AddTp(CProgDb& db, int32_t nSatId, uint32_t nFreq, uint32_t nSymbolRate = 0,
                      uint32_t nPolar = 0)
{
    auto p = std::make_unique<CTpNode>();
    p->SetParentId(nSatId);
    p->GetRecord()->Set(TpField::Frequency, nFreq);
    p->GetRecord()->Set(TpField::SymbolRate, nSymbolRate);
    p->GetRecord()->Set(TpField::Polar, nPolar);
    return AddNode(db.GetTpList(), std::move(p));
}

inline CProgNode* AddProg(CProgDb& db, int32_t nTpId, const std::string& strName)
{
    auto p = std::make_unique<CProgNode>();
    p->SetParentId(nTpId);
    p->GetRecord()->SetName(strName);
    return AddNode(db.GetProgList(), std::move(p));
}

// A record of any kind under nParent, named when it is a satellite or a program (any kind other
// than satellites and transponders); with nId it keeps that id. Returns the id it got.
inline int32_t AddRecord(CProgDb& db, NodeType nKind, int32_t nParent, const std::string& strName = "",
                         int32_t nId = INVALID_ID)
{
    std::unique_ptr<CNode> pNode;
    if (nKind == NODE_SAT) {
        auto p = std::make_unique<CSatNode>();
        p->GetRecord()->SetName(strName);
        pNode = std::move(p);
    } else if (nKind == NODE_TP) {
        pNode = std::make_unique<CTpNode>();
    } else {
        auto p = std::make_unique<CProgNode>();
        p->GetRecord()->SetName(strName);
        pNode = std::move(p);
    }
    pNode->SetParentId(nParent);
    return AddNode(db.GetList(nKind), std::move(pNode), nId)->GetId();
}

// The ids and the parents of a list's records, in list order.
inline std::vector<int32_t> IdsOf(const CNodeList& list)
{
    std::vector<int32_t> ids;
    for (const CNode* p : list)
        ids.push_back(p->GetId());
    return ids;
}

inline std::vector<int32_t> ParentsOf(const CNodeList& list)
{
    std::vector<int32_t> parents;
    for (const CNode* p : list)
        parents.push_back(p->GetParentId());
    return parents;
}
