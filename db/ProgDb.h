#pragma once

#include "db/Node.h"

#include <cstdint>
#include <list>
#include <unordered_map>

// An ordered list of owned nodes of one kind with its own id counter.
//
// The order is the order of Add, changed only by Move. Ids are handed out 0, 1, 2, ... and never
// reused until Clear. Find returns the first node in list order with an id; beside the list an
// index from id to that first position keeps Find, Remove and Move fast on large lists. The index
// is rebuilt lazily when it cannot be kept exact (ids changed through CNode::SetId, duplicate ids).
class CNodeList
{
public:
    using POSITION = std::list<CNode*>::iterator;

    CNodeList() = default;
    ~CNodeList();
    CNodeList(const CNodeList&) = delete;
    CNodeList& operator=(const CNodeList&) = delete;

    // Takes ownership of pNode, gives it the next id and appends it. Returns the id.
    int32_t Add(CNode* pNode);
    // First node in list order with this id, or null.
    CNode* Find(int32_t nId) const;

    bool GetFirst(POSITION& pos);
    bool GetNext(POSITION& pos);
    CNode* GetAt(POSITION pos) const { return *pos; }

    int32_t GetCount() const { return static_cast<int32_t>(m_nodes.size()); }
    int32_t GetCountByParent(int32_t nParentId) const;
    bool IsEmpty() const { return m_nodes.empty(); }

    // Deletes the first node with this id. False when there is none. The id counter is kept.
    bool Remove(int32_t nId);
    // Deletes every node whose parent id is nParentId; the others keep their order.
    void RemoveByParent(int32_t nParentId);
    // Moves the source node right before the target node. False, changing nothing, when either
    // id is missing. Moving a node onto itself changes nothing and returns true.
    bool Move(int32_t nSourceId, int32_t nTargetId);
    // Deletes every node and resets the id counter, so the next Add gives 0.
    void Clear();

    int32_t GetLastId() const { return m_nLastId; }

    // Range access for walks in list order.
    std::list<CNode*>::const_iterator begin() const { return m_nodes.begin(); }
    std::list<CNode*>::const_iterator end() const { return m_nodes.end(); }

private:
    friend class CNode;

    struct IndexEntry
    {
        POSITION pos; // first node with the id in list order
        int32_t nCount;
    };

    void OnIdChanged() { m_bIndexDirty = true; }
    bool FindPos(int32_t nId, POSITION& pos) const;
    void RebuildIndex() const;
    void UnindexRemoved(int32_t nId);

    mutable std::list<CNode*> m_nodes;
    int32_t m_nLastId = INVALID_ID;
    mutable std::unordered_map<int32_t, IndexEntry> m_index;
    mutable bool m_bIndexDirty = false;
};

// The in-memory channel database: satellites, transponders and programs, linked only by ids.
class CProgDb
{
public:
    CProgDb() = default;
    CProgDb(const CProgDb&) = delete;
    CProgDb& operator=(const CProgDb&) = delete;

    CNodeList& GetSatList() { return m_satList; }
    CNodeList& GetTpList() { return m_tpList; }
    CNodeList& GetProgList() { return m_progList; }
    const CNodeList& GetSatList() const { return m_satList; }
    const CNodeList& GetTpList() const { return m_tpList; }
    const CNodeList& GetProgList() const { return m_progList; }

    // Clears the satellite, transponder and program lists, in this order.
    void Clear();
    bool IsEmpty() const { return m_satList.IsEmpty() && m_tpList.IsEmpty() && m_progList.IsEmpty(); }

private:
    // Destroyed in reverse order: programs, transponders, satellites.
    CNodeList m_satList;
    CNodeList m_tpList;
    CNodeList m_progList;
};
