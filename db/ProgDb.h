#pragma once

#include "db/Node.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

// A node taken out of its list by CNodeList::TakeIf, kept with the place it had there.
struct CRemovedNode
{
    int32_t nIndex; // position in the list before the node was taken out
    std::unique_ptr<CNode> pNode;
};

// An ordered list of owned nodes of one kind with its own id counter.
//
// The order is the order of Add, changed only by Move (and by TakeIf/PutBack, which take nodes out
// and put them back where they were). Ids are handed out 0, 1, 2, ... and never reused until Clear.
// Find returns the first node in list order with an id; beside the list an index from id to that
// first position keeps Find, Remove and Move fast on large lists. It is built on the first look-up,
// so that filling a list (a load) does not pay for it. With duplicate ids the index cannot always
// tell which copy comes first after an edit; it is then rebuilt on the next look-up.
class CNodeList
{
    using NodeStore = std::list<std::unique_ptr<CNode>>;

public:
    using POSITION = NodeStore::iterator;

    // Walks the nodes in list order as plain pointers; the list keeps ownership.
    class const_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = CNode*;
        using difference_type = std::ptrdiff_t;
        using pointer = CNode* const*;
        using reference = CNode*;

        const_iterator() = default;
        explicit const_iterator(NodeStore::const_iterator it) : m_it(it) {}

        CNode* operator*() const { return m_it->get(); }
        const_iterator& operator++()
        {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(m_it++); }
        const_iterator& operator--()
        {
            --m_it;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(m_it--); }
        bool operator==(const const_iterator& o) const { return m_it == o.m_it; }
        bool operator!=(const const_iterator& o) const { return m_it != o.m_it; }

    private:
        NodeStore::const_iterator m_it;
    };

    CNodeList() = default;
    ~CNodeList();
    CNodeList(const CNodeList&) = delete;
    CNodeList& operator=(const CNodeList&) = delete;

    // Takes ownership of pNode, gives it the next id and appends it. Returns the id.
    int32_t Add(std::unique_ptr<CNode> pNode);
    // For readers whose records carry their own ids: the counter moves on as for Add, but the node
    // keeps nId, which may be one the list already holds. Returns nId.
    int32_t AddWithId(std::unique_ptr<CNode> pNode, int32_t nId);
    // First node in list order with this id, or null.
    CNode* Find(int32_t nId) const;

    bool GetFirst(POSITION& pos);
    bool GetNext(POSITION& pos);
    CNode* GetAt(POSITION pos) const { return pos->get(); }

    int32_t GetCount() const { return static_cast<int32_t>(m_nodes.size()); }
    int32_t GetCountByParent(int32_t nParentId) const;
    bool IsEmpty() const { return m_nodes.empty(); }

    // Position of pNode counted from 0, or -1 when the list does not hold it. Walks the list.
    int32_t IndexOf(const CNode* pNode) const;
    // The node at position nIndex, or null outside 0 .. GetCount() - 1. Walks the list.
    CNode* GetAtIndex(int32_t nIndex) const;

    // Deletes the first node with this id. False when there is none. The id counter is kept.
    bool Remove(int32_t nId);
    // Deletes every node whose parent id is nParentId; the others keep their order.
    void RemoveByParent(int32_t nParentId);
    // Moves the source node right before the target node. False, changing nothing, when either
    // id is missing. Moving a node onto itself changes nothing and returns true.
    bool Move(int32_t nSourceId, int32_t nTargetId);
    // Deletes every node and resets the id counter, so the next Add gives 0.
    void Clear();

    // Gives a node that is not in any list the next id, as Add would, without adding it: the counter
    // moves on and the node is put in later with PutBack. Returns the id.
    int32_t IssueId(CNode& node);

    // Takes every node for which pred(const CNode&) is true out of the list, in one walk, and
    // hands them to the caller in list order with their former positions. Ids, parents and the id
    // counter are untouched; the other nodes keep their order.
    template <class TPred> std::vector<CRemovedNode> TakeIf(TPred pred);
    // Takes the nodes at the given positions (ascending; positions past the end are ignored) out of
    // the list in one walk, as TakeIf does.
    std::vector<CRemovedNode> TakeAt(const std::vector<int32_t>& indexes);
    // Puts nodes back so that each stands at its nIndex afterwards, as when they were taken out of
    // this list (unsorted input is sorted first; an index past the end appends). Ids and the id
    // counter are untouched. One walk over the list.
    void PutBack(std::vector<CRemovedNode> nodes);

    // Rearranges nodes among the given places: afterwards the node at position slots[i] is the one
    // that stood at slots[from[i]] before. slots are ascending positions in the list, from is a
    // permutation of 0 .. slots.size() - 1; anything else changes nothing and gives false. The other
    // nodes keep their places; ids, parents and the id counter are untouched. One walk over the list
    // up to the last slot; the nodes are relinked, not copied.
    bool Permute(const std::vector<int32_t>& slots, const std::vector<int32_t>& from);

    int32_t GetLastId() const { return m_nLastId; }
    // For a reader that gives a saved list back with its counter: the next Add gives nLastId + 1.
    void RestoreLastId(int32_t nLastId) { m_nLastId = nLastId; }

    // Range access for walks in list order.
    const_iterator begin() const { return const_iterator(m_nodes.cbegin()); }
    const_iterator end() const { return const_iterator(m_nodes.cend()); }

private:
    struct IndexEntry
    {
        POSITION pos; // first node with the id in list order
        int32_t nCount;
    };

    POSITION Append(std::unique_ptr<CNode> pNode);
    // Unlinks the node at pos, keeping the id index right, and moves pos to the next node.
    std::unique_ptr<CNode> Unlink(POSITION& pos);
    bool FindPos(int32_t nId, POSITION& pos) const;
    void RebuildIndex() const;

    mutable NodeStore m_nodes;
    int32_t m_nLastId = INVALID_ID;
    mutable std::unordered_map<int32_t, IndexEntry> m_index;
    mutable bool m_bIndexDirty = true;
};

template <class TPred> std::vector<CRemovedNode> CNodeList::TakeIf(TPred pred)
{
    std::vector<CRemovedNode> taken;
    int32_t nIndex = 0;
    for (POSITION pos = m_nodes.begin(); pos != m_nodes.end(); ++nIndex) {
        if (!pred(static_cast<const CNode&>(**pos))) {
            ++pos;
            continue;
        }
        taken.push_back(CRemovedNode{nIndex, nullptr}); // may throw: nothing is unlinked yet
        taken.back().pNode = Unlink(pos);
    }
    return taken;
}

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
    // The list of one kind; any kind other than NODE_SAT and NODE_TP gives the program list, as
    // the list pane treats its kind.
    CNodeList& GetList(NodeType nKind);
    const CNodeList& GetList(NodeType nKind) const;

    // Clears the satellite, transponder and program lists, in this order.
    void Clear();
    bool IsEmpty() const { return m_satList.IsEmpty() && m_tpList.IsEmpty() && m_progList.IsEmpty(); }

private:
    // Destroyed in reverse order: programs, transponders, satellites.
    CNodeList m_satList;
    CNodeList m_tpList;
    CNodeList m_progList;
};
