#include "db/ProgDb.h"

CNodeList::~CNodeList()
{
    Clear();
}

int32_t CNodeList::Add(CNode* pNode)
{
    pNode->m_nId = ++m_nLastId;
    pNode->m_pOwner = this;
    POSITION pos = m_nodes.insert(m_nodes.end(), pNode);
    if (!m_bIndexDirty) {
        auto res = m_index.emplace(pNode->m_nId, IndexEntry{pos, 1});
        if (!res.second)
            ++res.first->second.nCount;
    }
    return pNode->m_nId;
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

CNode* CNodeList::Find(int32_t nId) const
{
    POSITION pos;
    return FindPos(nId, pos) ? *pos : nullptr;
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
    for (const CNode* pNode : m_nodes)
        if (pNode->m_nParentId == nParentId)
            ++n;
    return n;
}

// Keeps the index exact after the first node with nId left the list.
void CNodeList::UnindexRemoved(int32_t nId)
{
    auto it = m_index.find(nId);
    if (it == m_index.end())
        return;
    if (--it->second.nCount == 0)
        m_index.erase(it);
    else
        m_bIndexDirty = true; // a later node with the same id is now the first one
}

bool CNodeList::Remove(int32_t nId)
{
    POSITION pos;
    if (!FindPos(nId, pos))
        return false;
    CNode* pNode = *pos;
    m_nodes.erase(pos);
    UnindexRemoved(nId);
    delete pNode;
    return true;
}

void CNodeList::RemoveByParent(int32_t nParentId)
{
    for (POSITION pos = m_nodes.begin(); pos != m_nodes.end();) {
        CNode* pNode = *pos;
        if (pNode->m_nParentId != nParentId) {
            ++pos;
            continue;
        }
        pos = m_nodes.erase(pos);
        if (!m_bIndexDirty) {
            auto it = m_index.find(pNode->m_nId);
            // A node that was not first with its id leaves the first in place: only counts change.
            if (it != m_index.end() && --it->second.nCount == 0)
                m_index.erase(it);
            else
                m_bIndexDirty = true;
        }
        delete pNode;
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

void CNodeList::Clear()
{
    for (CNode* pNode : m_nodes)
        delete pNode;
    m_nodes.clear();
    m_index.clear();
    m_bIndexDirty = false;
    m_nLastId = INVALID_ID;
}

void CProgDb::Clear()
{
    m_satList.Clear();
    m_tpList.Clear();
    m_progList.Clear();
}
