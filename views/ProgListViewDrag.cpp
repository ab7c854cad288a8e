#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "edit/MoveCommand.h"
#include "views/ListDragger.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

#include <algorithm>

// Dropping: rows dragged with the left button (CListDragger) move their records before the record of
// the row they are dropped on, in the database list (as one command of the edit history) and in the
// rows.

void CProgListView::BeginDrag(int nRow, const QPoint& ptStart)
{
    m_pDragger->BeginDrag(nRow, ptStart);
}

void CProgListView::DragMove(const QPoint& pt)
{
    m_pDragger->DragMove(pt);
}

void CProgListView::EndDrag()
{
    m_pDragger->EndDrag();
}

void CProgListView::CancelDrag()
{
    m_pDragger->CancelDrag();
}

bool CProgListView::IsDragging() const
{
    return m_pDragger->IsDragging();
}

int CProgListView::GetDragIndex() const
{
    return m_pDragger->GetDragIndex();
}

int CProgListView::GetDropIndex() const
{
    return m_pDragger->GetDropIndex();
}

const QLabel* CProgListView::GetDragImage() const
{
    return m_pDragger->GetDragImage();
}

void CProgListView::DropItems()
{
    DropRows(m_pDragger->GetDragIndex(), m_pDragger->GetDropIndex());
}

void CProgListView::DropRows(int nDrag, int nDrop)
{
    if (nDrag < 0 || nDrop < 0 || IsSorted())
        return;
    if (!GetCurrentList() || nDrag >= GetRowCount() || nDrop >= GetRowCount())
        return;

    CListRows rows;
    rows.ids = m_pModel->GetIds();
    rows.selected.assign(rows.ids.size(), false);
    bool bAnySelected = false;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.selected[static_cast<size_t>(r)] = true;
        bAnySelected = bAnySelected || range.isValid();
    }
    if (!bAnySelected)
        return;
    m_pModel->SetDropHilite(-1);

    auto pMove = CMoveCommand::Drop(static_cast<NodeType>(GetKind()), std::move(rows), nDrag, nDrop);
    CMoveCommand* pMoved = pMove.get();
    CViewCommand* pCommand = PushCommand(std::move(pMove));
    if (!pCommand)
        return;
    CListRows moved = pMoved->TakeRows();
    // The old selection goes first, so the layout change has no selected cells to carry along.
    selectionModel()->clearSelection();
    m_pModel->ReorderRows(std::move(moved.ids));
    SetRowSelection(moved.selected);
    UpdateUnnarrowed();
    pCommand->SetAfter({GetKind(), CIdRuns(GetSelectedIds())});
    // The tree lists satellites and transponders in database order.
    AnnounceChange(pCommand->GetTouched(), true);
}

void CProgListView::SetRowSelection(const std::vector<bool>& selected)
{
    const int nColumns = m_pModel->columnCount();
    const int nRows = std::min(GetRowCount(), static_cast<int>(selected.size()));
    if (nColumns == 0)
        return;
    QItemSelection selection;
    for (int r = 0; r < nRows;) {
        if (!selected[static_cast<size_t>(r)]) {
            ++r;
            continue;
        }
        const int nFirst = r;
        while (r < nRows && selected[static_cast<size_t>(r)])
            ++r;
        selection.select(m_pModel->index(nFirst, 0), m_pModel->index(r - 1, nColumns - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CProgListView::mousePressEvent(QMouseEvent* pEvent)
{
    if (!m_pDragger->MousePress(pEvent))
        QTableView::mousePressEvent(pEvent);
}

void CProgListView::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!m_pDragger->MouseMove(pEvent))
        QTableView::mouseMoveEvent(pEvent);
}

void CProgListView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (!m_pDragger->MouseRelease(pEvent))
        QTableView::mouseReleaseEvent(pEvent);
}
