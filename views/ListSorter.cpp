#include "views/ListSorter.h"

#include "db/Listing.h"
#include "db/ProgDb.h"
#include "edit/ReorderCommand.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"
#include "views/ViewCommand.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>

CListSorter::CListSorter(CProgListView& view, CListing& listing)
    : QObject(&view), m_view(view), m_listing(listing)
{
    connect(view.horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &CListSorter::OnSortIndicatorChanged);
}

void CListSorter::SortByColumn(int nColumn, bool bDescending)
{
    if (m_listing.IsSortedBy(nColumn, bDescending)) {
        ShowSortIndicator();
        return;
    }
    m_view.CommitEditing(); // its row is about to move
    m_view.CancelDrag();
    m_listing.SetSort(nColumn, bDescending);
    ShowSortIndicator();
    if (m_listing.IsListed()) {
        // The selected records stay selected; the view shows the first of them, else the current row
        // keeps its place on the screen.
        const CIdRuns selected(m_view.GetSelectedIds());
        m_view.ShowRows(nullptr, selected);
    }
    emit m_view.SortChanged();
}

void CListSorter::OnSortIndicatorChanged(int nSection, Qt::SortOrder nOrder)
{
    // The header has already moved to its next state (ascending, descending, none).
    SortByColumn(nSection, nSection >= 0 && nOrder == Qt::DescendingOrder);
}

void CListSorter::ShowSortIndicator()
{
    QHeaderView* pHeader = m_view.horizontalHeader();
    const QSignalBlocker blocker(pHeader);
    const int nColumn = m_listing.GetSortColumn();
    pHeader->setSortIndicator(nColumn, m_listing.IsSortDescending() && nColumn >= 0 ? Qt::DescendingOrder
                                                                                    : Qt::AscendingOrder);
}

bool CListSorter::ApplySortOrder()
{
    CProgListModel* pModel = m_view.GetModel();
    if (!m_listing.IsSorted() || !pModel->GetDb())
        return false;
    m_view.CommitEditing(); // a rename may move its row first
    std::vector<int32_t> ids = pModel->GetIds();
    const NodeType nKind = m_listing.GetKind();
    // The rows stay as they are: in database order once the command ran, which is the order the
    // pane shows unsorted.
    m_listing.SetSort(-1, false);
    ShowSortIndicator();
    const bool bChanged = m_view.RunCommand(CReorderCommand::ApplyOrder(nKind, m_listing.GetParentId(),
                                                                        std::move(ids))) != nullptr;
    if (!bChanged) {
        const CIdRuns selected(m_view.GetSelectedIds());
        m_view.ShowRows(nullptr, selected); // already in that order
    }
    emit m_view.SortChanged();
    return bChanged;
}

bool CListSorter::MoveSelected(RowMove nMove)
{
    if (m_listing.IsSorted()) {
        emit m_view.StatusMessage(CProgListView::SortedViewMessage());
        return false;
    }
    CProgListModel* pModel = m_view.GetModel();
    if (!pModel->GetDb() || !m_listing.IsListed())
        return false;
    m_view.CommitEditing();
    CListRows rows;
    rows.ids = pModel->GetIds();
    rows.selected.assign(rows.ids.size(), false);
    for (int nRow : m_view.GetSelectedRows())
        rows.selected[static_cast<size_t>(nRow)] = true;
    m_view.CancelDrag();
    auto pMove =
        CReorderCommand::KeyMove(m_listing.GetKind(), m_listing.GetParentId(), std::move(rows), nMove);
    CReorderCommand* pMoved = pMove.get();
    CViewCommand* pCommand = m_view.PushCommand(std::move(pMove));
    if (!pCommand)
        return false;
    CListRows moved = pMoved->TakeRows();
    // The old selection goes first, so the layout change has no selected cells to carry along; the
    // current row follows its record.
    QItemSelectionModel* pSelection = m_view.selectionModel();
    pSelection->clearSelection();
    pModel->ReorderRows(std::move(moved.ids));
    m_view.SetRowSelection(moved.selected);
    m_view.UpdateUnnarrowed();
    int nShow = m_view.GetCurrentRow();
    if (nShow < 0 || !pSelection->isRowSelected(nShow, QModelIndex())) {
        const std::vector<int> selected = m_view.GetSelectedRows();
        nShow = selected.empty()
                    ? -1
                    : (nMove == ROW_MOVE_UP || nMove == ROW_MOVE_TOP ? selected.front() : selected.back());
        m_view.SetCurrentRow(nShow);
    }
    if (nShow >= 0)
        m_view.scrollTo(pModel->index(nShow, std::max(m_view.currentIndex().column(), 0)));
    pCommand->SetAfter({m_view.GetKind(), CIdRuns(m_view.GetSelectedIds())});
    m_view.AnnounceChange(pCommand->GetTouched(), true);
    return true;
}
