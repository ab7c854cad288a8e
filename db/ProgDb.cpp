#include "db/ProgDb.h"

#include <algorithm>

CNodeList::~CNodeList()
{
    Clear();
}

CNodeList::POSITION CNodeList::Append(std::unique_ptr<CNode> pNode)
{
    const int32_t nId = pNode->m_nId;
    POSITION pos = m_nodes.insert(m_nodes.end(), std::move(pNode));
    if (!m_bIndexDirty) {
        // Appended last: an earlier node with the same id stays the first one.
        auto res = m_index.emplace(nId, IndexEntry{pos, 1});
        if (!res.second)
            ++res.first->second.nCount;
    }
    return pos;
}

int32_t CNodeList::Add(std::unique_ptr<CNode> pNode)
{
    if (!pNode)
        return INVALID_ID;
    const int32_t nId = m_nLastId + 1;
    pNode->m_nId = nId;
    Append(std::move(pNode));
    m_nLastId = nId;
    return nId;
}

int32_t CNodeList::AddWithId(std::unique_ptr<CNode> pNode, int32_t nId)
{
    if (!pNode)
        return INVALID_ID;
    pNode->m_nId = nId;
    Append(std::move(pNode));
    ++m_nLastId;
    return nId;
}

void CNodeList::RebuildIndex() const
{
    m_index.clear();
    m_index.reserve(m_nodes.size());
    for (POSITION pos = m_nodes.begin(); pos != m_nodes.end(); ++pos) {
        auto res = m_index.emplace((*pos)->m_nId, IndexEntry{pos, 1});
        if (!res.second)
            ++res.first->second.nCount;
    }
    m_bIndexDirty = false;
}

bool CNodeList::FindPos(int32_t nId, POSITION& pos) const
{
    if (m_bIndexDirty)
        RebuildIndex();
    auto it = m_index.find(nId);
    if (it == m_index.end())
        return false;
    pos = it->second.pos;
    return true;
}

int32_t CNodeList::IssueId(CNode& node)
{
    node.m_nId = ++m_nLastId;
    return node.m_nId;
}

CNode* CNodeList::Find(int32_t nId) const
{
    POSITION pos;
    return FindPos(nId, pos) ? pos->get() : nullptr;
}

bool CNodeList::GetFirst(POSITION& pos)
{
    pos = m_nodes.begin();
    return pos != m_nodes.end();
}

bool CNodeList::GetNext(POSITION& pos)
{
    if (pos == m_nodes.end())
        return false;
    ++pos;
    return pos != m_nodes.end();
}

int32_t CNodeList::GetCountByParent(int32_t nParentId) const
{
    int32_t n = 0;
    for (const auto& pNode : m_nodes)
        if (pNode->m_nParentId == nParentId)
            ++n;
    return n;
}

int32_t CNodeList::IndexOf(const CNode* pNode) const
{
    int32_t nIndex = 0;
    for (const auto& p : m_nodes) {
        if (p.get() == pNode)
            return nIndex;
        ++nIndex;
    }
    return -1;
}

CNode* CNodeList::GetAtIndex(int32_t nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount())
        return nullptr;
    // From whichever end is nearer.
    if (nIndex < GetCount() / 2)
        return std::next(m_nodes.begin(), nIndex)->get();
    return std::prev(m_nodes.end(), GetCount() - nIndex)->get();
}

std::unique_ptr<CNode> CNodeList::Unlink(POSITION& pos)
{
    if (!m_bIndexDirty) {
        auto it = m_index.find((*pos)->m_nId);
        if (it == m_index.end())
            m_bIndexDirty = true; // not expected of a clean index; rebuilding puts it right
        else if (it->second.pos != pos)
            --it->second.nCount; // a later node with the id: the first one stays first
        else if (--it->second.nCount == 0)
            m_index.erase(it);
        else
            m_bIndexDirty = true; // a later node with the id becomes the first one
    }
    std::unique_ptr<CNode> pNode = std::move(*pos);
    pos = m_nodes.erase(pos);
    return pNode;
}

bool CNodeList::Remove(int32_t nId)
{
    POSITION pos;
    if (!FindPos(nId, pos))
        return false;
    Unlink(pos);
    return true;
}

void CNodeList::RemoveByParent(int32_t nParentId)
{
    for (POSITION pos = m_nodes.begin(); pos != m_nodes.end();) {
        if ((*pos)->m_nParentId == nParentId)
            Unlink(pos);
        else
            ++pos;
    }
}

bool CNodeList::Move(int32_t nSourceId, int32_t nTargetId)
{
    POSITION src, tgt;
    if (!FindPos(nSourceId, src) || !FindPos(nTargetId, tgt))
        return false;
    if (src == tgt)
        return true;
    // splice keeps every iterator valid, so the index entry of the source stays right unless
    // another node shares its id (then which one comes first may have changed).
    m_nodes.splice(tgt, m_nodes, src);
    auto it = m_index.find(nSourceId);
    if (it != m_index.end() && it->second.nCount > 1)
        m_bIndexDirty = true;
    return true;
}

std::vector<CRemovedNode> CNodeList::TakeAt(const std::vector<int32_t>& indexes)
{
    std::vector<CRemovedNode> taken;
    taken.reserve(indexes.size());
    auto next = indexes.begin();
    int32_t nIndex = 0;
    for (POSITION pos = m_nodes.begin(); pos != m_nodes.end() && next != indexes.end(); ++nIndex) {
        while (next != indexes.end() && *next < nIndex)
            ++next; // repeated or out-of-order entries
        if (next == indexes.end() || *next != nIndex) {
            ++pos;
            continue;
        }
        ++next;
        taken.push_back(CRemovedNode{nIndex, nullptr});
        taken.back().pNode = Unlink(pos);
    }
    return taken;
}

void CNodeList::PutBack(std::vector<CRemovedNode> nodes)
{
    auto byIndex = [](const CRemovedNode& a, const CRemovedNode& b) { return a.nIndex < b.nIndex; };
    if (!std::is_sorted(nodes.begin(), nodes.end(), byIndex))
        std::stable_sort(nodes.begin(), nodes.end(), byIndex);

    POSITION pos = m_nodes.begin();
    int32_t nAt = 0; // the index pos stands at
    for (CRemovedNode& removed : nodes) {
        if (!removed.pNode)
            continue;
        while (nAt < removed.nIndex && pos != m_nodes.end()) {
            ++pos;
            ++nAt;
        }
        const int32_t nId = removed.pNode->m_nId;
        POSITION inserted = m_nodes.insert(pos, std::move(removed.pNode));
        ++nAt; // pos is one further down now
        if (!m_bIndexDirty) {
            auto res = m_index.emplace(nId, IndexEntry{inserted, 1});
            if (!res.second) {
                // Another node has the id: which of the two comes first is not known here.
                ++res.first->second.nCount;
                m_bIndexDirty = true;
            }
        }
    }
}

bool CNodeList::Permute(const std::vector<int32_t>& slots, const std::vector<int32_t>& from)
{
    const size_t nSlots = slots.size();
    if (from.size() != nSlots)
        return false;
    for (size_t i = 0; i < nSlots; ++i)
        if (slots[i] < 0 || slots[i] >= GetCount() || (i > 0 && slots[i] <= slots[i - 1]))
            return false;
    std::vector<bool> used(nSlots, false);
    for (int32_t nFrom : from) {
        if (nFrom < 0 || static_cast<size_t>(nFrom) >= nSlots || used[static_cast<size_t>(nFrom)])
            return false;
        used[static_cast<size_t>(nFrom)] = true;
    }
    if (nSlots == 0)
        return true;

    // The node at each slot, and the node before which it is put back: the first node after its run
    // of adjacent slots, which stays where it is.
    std::vector<POSITION> nodes(nSlots), anchors(nSlots);
    POSITION pos = m_nodes.begin();
    int32_t nIndex = 0;
    for (size_t i = 0; i < nSlots; ++i) {
        for (; nIndex < slots[i]; ++nIndex)
            ++pos;
        nodes[i] = pos;
    }
    for (size_t i = nSlots; i-- > 0;) {
        const bool bRunGoesOn = i + 1 < nSlots && slots[i + 1] == slots[i] + 1;
        anchors[i] = bRunGoesOn ? anchors[i + 1] : std::next(nodes[i]);
    }
    // splice keeps every iterator valid, so the id index stays right, except that of two nodes with
    // one id another one may come first now.
    NodeStore taken;
    for (POSITION node : nodes)
        taken.splice(taken.end(), m_nodes, node);
    for (size_t i = 0; i < nSlots; ++i)
        m_nodes.splice(anchors[i], taken, nodes[static_cast<size_t>(from[i])]);
    if (m_index.size() != m_nodes.size())
        m_bIndexDirty = true;
    return true;
}

void CNodeList::Clear()
{
    for (auto& pNode : m_nodes)
        pNode.reset();
    m_nodes.clear();
    m_index.clear();
    m_bIndexDirty = true;
    m_nLastId = INVALID_ID;
}

CNodeList& CProgDb::GetList(NodeType nKind)
{
    switch (nKind) {
    case NODE_SAT:
        return m_satList;
    case NODE_TP:
        return m_tpList;
    default:
        return m_progList;
    }
}

const CNodeList& CProgDb::GetList(NodeType nKind) const
{
    return const_cast<CProgDb*>(this)->GetList(nKind);
}

void CProgDb::Clear()
{
    m_satList.Clear();
    m_tpList.Clear();
    m_progList.Clear();
}
