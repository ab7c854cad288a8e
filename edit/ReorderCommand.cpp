#include "edit/ReorderCommand.h"

#include "db/IdMap.h"
#include "db/ProgDb.h"

CReorderCommand::CReorderCommand(NodeType nKind, int32_t nParentId)
    : m_nKind(ListKind(nKind)), m_nParentId(nParentId)
{}

std::unique_ptr<CReorderCommand> CReorderCommand::ApplyOrder(NodeType nKind, int32_t nParentId,
                                                             std::vector<int32_t> ids)
{
    std::unique_ptr<CReorderCommand> pCommand(new CReorderCommand(nKind, nParentId));
    pCommand->m_ids = std::move(ids);
    return pCommand;
}

std::unique_ptr<CReorderCommand> CReorderCommand::KeyMove(NodeType nKind, int32_t nParentId, CListRows rows,
                                                          RowMove nMove)
{
    std::unique_ptr<CReorderCommand> pCommand(new CReorderCommand(nKind, nParentId));
    pCommand->m_rows = std::move(rows);
    pCommand->m_bKeyMove = true;
    pCommand->m_nMove = nMove;
    return pCommand;
}

std::unique_ptr<CReorderCommand> CReorderCommand::ByPositions(NodeType nKind, std::vector<int32_t> order)
{
    std::unique_ptr<CReorderCommand> pCommand(new CReorderCommand(nKind, INVALID_ID));
    pCommand->m_ids = std::move(order);
    pCommand->m_bByPositions = true;
    return pCommand;
}

bool CReorderCommand::Apply(CProgDb& db)
{
    CNodeList& list = db.GetList(m_nKind);
    if (m_bResolved) {
        list.Permute(m_slots.ToVector(), m_from);
        return true;
    }
    if (m_bKeyMove) {
        if (!MoveRows(m_rows, m_nMove))
            return false;
        m_ids = m_rows.ids;
    }
    m_bResolved = m_bByPositions ? FirstApplyByPositions(list) : FirstApply(list);
    m_ids = std::vector<int32_t>();
    return m_bResolved;
}

void CReorderCommand::Revert(CProgDb& db)
{
    std::vector<int32_t> back(m_from.size());
    for (size_t i = 0; i < m_from.size(); ++i)
        back[static_cast<size_t>(m_from[i])] = static_cast<int32_t>(i);
    db.GetList(m_nKind).Permute(m_slots.ToVector(), back);
}

bool CReorderCommand::FirstApply(CNodeList& list)
{
    // The listed records in database order, with their positions; for each id a chain of its listed
    // records (first in database order, next), from which every id of the order takes the next one.
    std::vector<int32_t> listedPos;
    std::vector<int32_t> listedIds;
    int32_t nIndex = 0;
    for (const CNode* pNode : list) {
        if (m_nKind == NODE_SAT || m_nParentId == INVALID_ID || pNode->GetParentId() == m_nParentId) {
            listedPos.push_back(nIndex);
            listedIds.push_back(pNode->GetId());
        }
        ++nIndex;
    }
    std::vector<int32_t> nextSameId(listedPos.size(), -1);
    CIdMap firstOfId(int64_t(list.GetLastId()) + 1);
    for (size_t i = listedPos.size(); i-- > 0;) {
        int32_t& nFirst = firstOfId.At(listedIds[i]);
        nextSameId[i] = nFirst;
        nFirst = static_cast<int32_t>(i);
    }

    // The records in their new order, as listed indexes.
    std::vector<int32_t> chosen;
    chosen.reserve(m_ids.size());
    for (int32_t nId : m_ids) {
        if (firstOfId.Get(nId) < 0)
            continue;
        int32_t& nFirst = firstOfId.At(nId);
        chosen.push_back(nFirst);
        nFirst = nextSameId[static_cast<size_t>(nFirst)];
    }

    // Their positions in database order are the slots; the i-th of the new order goes into slot i
    // and stood in the slot of its rank among them. Slots that keep their record are left out.
    std::vector<int32_t> rankOf(listedPos.size(), -1);
    for (int32_t nListedIndex : chosen)
        rankOf[static_cast<size_t>(nListedIndex)] = 0;
    std::vector<int32_t> slots;
    slots.reserve(chosen.size());
    for (size_t i = 0; i < listedPos.size(); ++i) {
        if (rankOf[i] == 0) {
            rankOf[i] = static_cast<int32_t>(slots.size());
            slots.push_back(listedPos[i]);
        }
    }
    std::vector<int32_t> from(chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i)
        from[i] = rankOf[static_cast<size_t>(chosen[i])];
    // A record that changes its slot leaves its own slot to another one: the slots that change are
    // closed under from, and form a smaller permutation of their own.
    std::vector<int32_t> movedIndex(from.size(), -1);
    std::vector<int32_t> movedSlots;
    for (size_t i = 0; i < from.size(); ++i) {
        if (from[i] != static_cast<int32_t>(i)) {
            movedIndex[i] = static_cast<int32_t>(movedSlots.size());
            movedSlots.push_back(slots[i]);
        }
    }
    if (movedSlots.empty())
        return false;
    m_from.clear();
    m_from.reserve(movedSlots.size());
    for (size_t i = 0; i < from.size(); ++i)
        if (movedIndex[i] >= 0)
            m_from.push_back(movedIndex[static_cast<size_t>(from[i])]);
    list.Permute(movedSlots, m_from);
    m_slots = CIndexSet(movedSlots);

    size_t nCount = chosen.size();
    if (m_bKeyMove) {
        nCount = 0;
        for (bool bSelected : m_rows.selected)
            nCount += bSelected ? 1 : 0;
    }
    SetText((m_bKeyMove ? "Move " : "Sort ") + CountText(nCount, m_nKind));
    return true;
}

bool CReorderCommand::FirstApplyByPositions(CNodeList& list)
{
    const std::vector<int32_t>& order = m_ids;
    if (order.size() != static_cast<size_t>(list.GetCount()))
        return false;
    std::vector<bool> seen(order.size(), false);
    for (int32_t nPos : order) {
        if (nPos < 0 || static_cast<size_t>(nPos) >= order.size() || seen[static_cast<size_t>(nPos)])
            return false;
        seen[static_cast<size_t>(nPos)] = true;
    }
    // The positions that get another record are closed under the order: only they take part.
    std::vector<int32_t> slots, rankOf(order.size(), -1);
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] != static_cast<int32_t>(i)) {
            rankOf[i] = static_cast<int32_t>(slots.size());
            slots.push_back(static_cast<int32_t>(i));
        }
    }
    if (slots.empty())
        return false;
    m_from.clear();
    m_from.reserve(slots.size());
    for (int32_t nSlot : slots)
        m_from.push_back(rankOf[static_cast<size_t>(order[static_cast<size_t>(nSlot)])]);
    list.Permute(slots, m_from);
    m_slots = CIndexSet(slots);
    SetText("Sort " + CountText(slots.size(), m_nKind));
    return true;
}
