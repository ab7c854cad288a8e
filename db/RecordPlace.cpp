#include "db/RecordPlace.h"

#include "db/ProgDb.h"

#include <unordered_set>

namespace {

bool HasId(const CNodeList& list, int32_t nId)
{
    return nId != INVALID_ID && list.Find(nId) != nullptr;
}

// A transponder node is in the tree for every transponder with that id whose satellite exists.
bool IsTpInTree(const CProgDb& db, int32_t nTpId)
{
    if (nTpId == INVALID_ID)
        return false;
    std::unordered_set<int32_t> satIds;
    for (const CNode* pSat : db.GetSatList())
        satIds.insert(pSat->GetId());
    for (const CNode* pTp : db.GetTpList())
        if (pTp->GetId() == nTpId && satIds.count(pTp->GetParentId()) != 0)
            return true;
    return false;
}

} // namespace

bool FindRecordPlace(const CProgDb& db, NodeType nKind, int32_t nIndex, int32_t nId, CRecordPlace& place)
{
    if (nKind != NODE_SAT && nKind != NODE_TP && nKind != NODE_PROG)
        return false;
    const CNodeList& list = db.GetList(nKind);
    const CNode* pNode = list.GetAtIndex(nIndex);
    if (!pNode || pNode->GetId() != nId) {
        pNode = list.Find(nId);
        if (!pNode)
            return false;
        nIndex = list.IndexOf(pNode);
    }

    CRecordPlace found{nKind, INVALID_ID, true, nIndex, nId};
    if (nKind == NODE_TP) {
        found.nParentId = pNode->GetParentId();
        found.bTreeNode = HasId(db.GetSatList(), found.nParentId);
    } else if (nKind == NODE_PROG && IsTpInTree(db, pNode->GetParentId())) {
        found.nParentId = pNode->GetParentId();
    }
    if (found.nParentId != INVALID_ID) {
        // The listing holds the records with that parent, in list order.
        found.nRow = 0;
        for (const CNode* pOther : list) {
            if (pOther == pNode)
                break;
            if (pOther->GetParentId() == found.nParentId)
                ++found.nRow;
        }
    }
    place = found;
    return true;
}
