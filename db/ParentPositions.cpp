#include "db/ParentPositions.h"

#include "db/IdMap.h"
#include "db/ProgDb.h"

std::vector<int32_t> ParentPositions(const CProgDb& db, NodeType nKind)
{
    nKind = ListKind(nKind);
    const CNodeList& list = db.GetList(nKind);
    std::vector<int32_t> parents(static_cast<size_t>(list.GetCount()), -1);
    if (nKind == NODE_SAT)
        return parents;
    const CNodeList& above = db.GetList(static_cast<NodeType>(nKind - 1));
    CIdMap firstAt(int64_t(above.GetLastId()) + 1);
    int32_t nIndex = 0;
    for (const CNode* pNode : above) {
        int32_t& nFirst = firstAt.At(pNode->GetId());
        if (nFirst < 0)
            nFirst = nIndex;
        ++nIndex;
    }
    size_t i = 0;
    for (const CNode* pNode : list)
        parents[i++] = firstAt.Get(pNode->GetParentId());
    return parents;
}
