#include "edit/MoveCommand.h"

#include "db/ProgDb.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

CMoveCommand::CMoveCommand(Mode nMode, NodeType nKind) : m_nMode(nMode), m_nKind(ListKind(nKind)) {}

std::unique_ptr<CMoveCommand> CMoveCommand::Drop(NodeType nKind, CListRows rows, int nDragIndex,
                                                 int nDropIndex)
{
    std::unique_ptr<CMoveCommand> pCommand(new CMoveCommand(MODE_DROP, nKind));
    pCommand->m_rows = std::move(rows);
    pCommand->m_nDragIndex = nDragIndex;
    pCommand->m_nDropIndex = nDropIndex;
    return pCommand;
}

std::unique_ptr<CMoveCommand> CMoveCommand::MoveTo(NodeType nKind, std::vector<int32_t> ids,
                                                   int32_t nBeforeId)
{
    std::unique_ptr<CMoveCommand> pCommand(new CMoveCommand(MODE_MOVE_TO, nKind));
    pCommand->m_ids = std::move(ids);
    pCommand->m_nBeforeId = nBeforeId;
    return pCommand;
}

bool CMoveCommand::Apply(CProgDb& db)
{
    CNodeList& list = db.GetList(m_nKind);
    if (m_bResolved) {
        Transfer(list, m_moves);
        return true;
    }
    const bool bChanged = m_nMode == MODE_DROP ? FirstDrop(list) : FirstMoveTo(list);
    m_ids = std::vector<int32_t>();
    if (!bChanged)
        m_moves.clear();
    m_bResolved = bChanged;
    return bChanged;
}

void CMoveCommand::Revert(CProgDb& db)
{
    std::vector<std::pair<int32_t, int32_t>> back;
    back.reserve(m_moves.size());
    for (const auto& move : m_moves)
        back.emplace_back(move.second, move.first);
    std::sort(back.begin(), back.end());
    Transfer(db.GetList(m_nKind), std::move(back));
}

void CMoveCommand::Transfer(CNodeList& list, std::vector<std::pair<int32_t, int32_t>> moves)
{
    std::vector<int32_t> from;
    from.reserve(moves.size());
    for (const auto& move : moves)
        from.push_back(move.first);
    std::vector<CRemovedNode> taken = list.TakeAt(from);
    for (size_t i = 0; i < taken.size(); ++i)
        taken[i].nIndex = moves[i].second;
    list.PutBack(std::move(taken));
}

bool CMoveCommand::FirstDrop(CNodeList& list)
{
    const int nRows = static_cast<int>(m_rows.ids.size());
    if (m_rows.selected.size() != m_rows.ids.size())
        return false;
    // DropRows moves the first record with an id, which after a move may be another record with the
    // same id: every record with a dragged id is followed.
    std::unordered_set<int32_t> ids;
    size_t nSelected = 0;
    for (int i = 0; i < nRows; ++i) {
        if (m_rows.selected[i]) {
            ids.insert(m_rows.ids[i]);
            ++nSelected;
        }
    }
    if (m_nDragIndex >= 0 && m_nDragIndex < nRows)
        ids.insert(m_rows.ids[m_nDragIndex]);
    std::unordered_map<const CNode*, int32_t> before;
    int32_t nIndex = 0;
    for (const CNode* pNode : list) {
        if (ids.count(pNode->GetId()) != 0)
            before.emplace(pNode, nIndex);
        ++nIndex;
    }

    if (!DropRows(list, m_rows, m_nDragIndex, m_nDropIndex))
        return false;

    bool bMoved = false;
    m_moves.reserve(before.size());
    nIndex = 0;
    for (const CNode* pNode : list) {
        auto it = before.find(pNode);
        if (it != before.end()) {
            m_moves.emplace_back(it->second, nIndex);
            bMoved = bMoved || it->second != nIndex;
        }
        ++nIndex;
    }
    std::sort(m_moves.begin(), m_moves.end());
    SetText("Move " + CountText(nSelected > 1 ? nSelected : 1, m_nKind));
    return bMoved;
}

bool CMoveCommand::FirstMoveTo(CNodeList& list)
{
    std::unordered_set<const CNode*> moving;
    for (int32_t nId : m_ids)
        if (const CNode* pNode = list.Find(nId))
            moving.insert(pNode);
    const CNode* pBefore = m_nBeforeId == INVALID_ID ? nullptr : list.Find(m_nBeforeId);
    if (moving.empty() || (m_nBeforeId != INVALID_ID && !pBefore))
        return false;

    // The block lands before the first unmoved record from pBefore on; its position among the
    // records that stay is the block's first position afterwards.
    std::vector<int32_t> from;
    from.reserve(moving.size());
    int32_t nIndex = 0, nStaying = 0, nTarget = -1;
    bool bFromBefore = false;
    for (const CNode* pNode : list) {
        bFromBefore = bFromBefore || pNode == pBefore;
        if (moving.count(pNode) != 0) {
            from.push_back(nIndex);
        } else {
            if (bFromBefore && nTarget < 0)
                nTarget = nStaying;
            ++nStaying;
        }
        ++nIndex;
    }
    if (nTarget < 0)
        nTarget = nStaying;

    bool bMoved = false;
    m_moves.reserve(from.size());
    for (size_t i = 0; i < from.size(); ++i) {
        const int32_t nTo = nTarget + static_cast<int32_t>(i);
        m_moves.emplace_back(from[i], nTo);
        bMoved = bMoved || from[i] != nTo;
    }
    if (!bMoved)
        return false;
    Transfer(list, m_moves);
    SetText("Move " + CountText(from.size(), m_nKind));
    return true;
}
