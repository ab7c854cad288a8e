#include "views/ProgListView.h"

#include "db/Columns.h"
#include "db/ProgDb.h"
#include "edit/ReorderCommand.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>

#include <unordered_map>

// Sorting by a column, Apply Sort Order, and the keyboard's moves of the selected rows.

QString CProgListView::SortedViewMessage()
{
    return QStringLiteral("Sorted view: use Apply Sort Order or click the heading again to reorder by hand");
}

void CProgListView::SortByColumn(int nColumn, bool bDescending)
{
    if (m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE || !GetColumn(GetKind(), nColumn)) {
        nColumn = -1;
        bDescending = false;
    }
    if (nColumn == m_nSortColumn && bDescending == m_bSortDescending) {
        ShowSortIndicator();
        return;
    }
    CommitEditing(); // its row is about to move
    CancelDrag();
    m_nSortColumn = nColumn;
    m_bSortDescending = bDescending;
    ShowSortIndicator();
    if (m_pModel->GetColumns() != CProgListModel::COLUMNS_NONE) {
        // The selected records stay selected; the view shows the first of them, else the current row
        // keeps its place on the screen.
        ShowRows(ListRows(nullptr), CIdRuns(GetSelectedIds()));
    }
    emit SortChanged();
}

void CProgListView::OnSortIndicatorChanged(int nSection, Qt::SortOrder nOrder)
{
    // The header has already moved to its next state (ascending, descending, none).
    SortByColumn(nSection, nSection >= 0 && nOrder == Qt::DescendingOrder);
}

void CProgListView::ShowSortIndicator()
{
    QHeaderView* pHeader = horizontalHeader();
    const QSignalBlocker blocker(pHeader);
    pHeader->setSortIndicator(m_nSortColumn, m_bSortDescending && m_nSortColumn >= 0 ? Qt::DescendingOrder
                                                                                     : Qt::AscendingOrder);
}

bool CProgListView::ApplySortOrder()
{
    if (!IsSorted() || !m_pModel->GetDb())
        return false;
    CommitEditing(); // a rename may move its row first
    std::vector<int32_t> ids = m_pModel->GetIds();
    const auto nKind = static_cast<NodeType>(GetKind());
    // The rows stay as they are: in database order once the command ran, which is the order the
    // pane shows unsorted.
    m_nSortColumn = -1;
    m_bSortDescending = false;
    ShowSortIndicator();
    const bool bChanged =
        RunCommand(CReorderCommand::ApplyOrder(nKind, m_nParentId, std::move(ids))) != nullptr;
    if (!bChanged)
        ShowRows(ListRows(nullptr), CIdRuns(GetSelectedIds())); // already in that order
    emit SortChanged();
    return bChanged;
}

bool CProgListView::MoveSelected(RowMove nMove)
{
    if (IsSorted()) {
        emit StatusMessage(SortedViewMessage());
        return false;
    }
    if (!m_pModel->GetDb() || m_pModel->GetColumns() == CProgListModel::COLUMNS_NONE)
        return false;
    CommitEditing();
    CListRows rows;
    rows.ids = m_pModel->GetIds();
    rows.selected.assign(rows.ids.size(), false);
    for (int nRow : GetSelectedRows())
        rows.selected[static_cast<size_t>(nRow)] = true;
    CancelDrag();
    auto pMove =
        CReorderCommand::KeyMove(static_cast<NodeType>(GetKind()), m_nParentId, std::move(rows), nMove);
    CReorderCommand* pMoved = pMove.get();
    CViewCommand* pCommand = PushCommand(std::move(pMove));
    if (!pCommand)
        return false;
    CListRows moved = pMoved->TakeRows();
    // The old selection goes first, so the layout change has no selected cells to carry along; the
    // current row follows its record.
    selectionModel()->clearSelection();
    m_pModel->ReorderRows(std::move(moved.ids));
    SetRowSelection(moved.selected);
    UpdateUnnarrowed();
    int nShow = GetCurrentRow();
    if (nShow < 0 || !selectionModel()->isRowSelected(nShow, QModelIndex())) {
        const std::vector<int> selected = GetSelectedRows();
        nShow = selected.empty()
                    ? -1
                    : (nMove == ROW_MOVE_UP || nMove == ROW_MOVE_TOP ? selected.front() : selected.back());
        SetCurrentRow(nShow);
    }
    if (nShow >= 0)
        scrollTo(m_pModel->index(nShow, std::max(currentIndex().column(), 0)));
    pCommand->SetAfter({GetKind(), CIdRuns(GetSelectedIds())});
    AnnounceChange(pCommand->GetTouched(), true);
    return true;
}

void CProgListView::UpdateUnnarrowed()
{
    if (!IsSorted()) {
        m_unnarrowed = ListRows(nullptr); // in database order, as the rows without Find
    } else {
        // Only a removal changes the rows of a sorted view this way: the rows of the records that
        // went go, the others keep their order. With an id on several records, as many rows keep it
        // as records are left.
        std::unordered_map<int32_t, int> left;
        const int32_t nKind = GetKind();
        if (const CNodeList* pList = m_pModel->GetDb() ? GetCurrentList() : nullptr)
            for (const CNode* pNode : *pList)
                if (nKind == NODE_SAT || m_nParentId == INVALID_ID || pNode->GetParentId() == m_nParentId)
                    ++left[pNode->GetId()];
        std::vector<int32_t> kept;
        kept.reserve(m_unnarrowed.size());
        for (int32_t nId : m_unnarrowed) {
            auto it = left.find(nId);
            if (it != left.end() && it->second > 0) {
                --it->second;
                kept.push_back(nId);
            }
        }
        m_unnarrowed = std::move(kept);
    }
    if (m_strFind.isEmpty())
        return;
    const int nMatches = m_nFindMatches;
    NarrowRows(m_unnarrowed, nullptr); // counts the matches again
    if (m_nFindMatches != nMatches)
        emit FindChanged();
}
