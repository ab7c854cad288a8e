#include "db/Cascade.h"

#include <unordered_map>
#include <unordered_set>

namespace {

std::vector<CRemovedNode> TakeChildren(CNodeList& list, const std::unordered_set<int32_t>& parents)
{
    if (parents.empty())
        return {};
    return list.TakeIf([&parents](const CNode& node) { return parents.count(node.GetParentId()) != 0; });
}

std::unordered_set<int32_t> IdsOf(const std::vector<CRemovedNode>& nodes)
{
    std::unordered_set<int32_t> ids;
    ids.reserve(nodes.size());
    for (const CRemovedNode& removed : nodes)
        ids.insert(removed.pNode->GetId());
    return ids;
}

} // namespace

bool CRemoval::IsEmpty() const
{
    return nodes[NODE_SAT].empty() && nodes[NODE_TP].empty() && nodes[NODE_PROG].empty();
}

int32_t CRemoval::GetCount(NodeType nKind) const
{
    return static_cast<int32_t>(nodes[ListKind(nKind)].size());
}

CRemoval RemoveRecords(CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids)
{
    CRemoval removal;
    const NodeType nSlot = ListKind(nKind);

    // Removing the first remaining record with an id, once per entry, removes the first nAsked
    // records of each id in list order; the entries that found one are the first nTaken of them.
    struct Wanted
    {
        int32_t nAsked = 0;
        int32_t nTaken = 0;
    };
    std::unordered_map<int32_t, Wanted> wanted;
    wanted.reserve(ids.size());
    for (int32_t nId : ids)
        ++wanted[nId].nAsked;
    removal.nodes[nSlot] = db.GetList(nSlot).TakeIf([&wanted](const CNode& node) {
        auto it = wanted.find(node.GetId());
        if (it == wanted.end() || it->second.nTaken == it->second.nAsked)
            return false;
        ++it->second.nTaken;
        return true;
    });
    for (size_t i = 0; i < ids.size(); ++i) {
        Wanted& w = wanted.find(ids[i])->second;
        if (w.nTaken > 0) {
            --w.nTaken;
            removal.removedItems.push_back(i);
        }
    }

    if (nSlot == NODE_PROG)
        return removal;
    std::unordered_set<int32_t> parents = IdsOf(removal.nodes[nSlot]);
    if (nSlot == NODE_SAT) {
        removal.nodes[NODE_TP] = TakeChildren(db.GetTpList(), parents);
        parents = IdsOf(removal.nodes[NODE_TP]);
    }
    removal.nodes[NODE_PROG] = TakeChildren(db.GetProgList(), parents);
    return removal;
}

void RestoreRecords(CProgDb& db, CRemoval& removal)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        db.GetList(nKind).PutBack(std::move(removal.nodes[nKind]));
        removal.nodes[nKind].clear();
    }
}
