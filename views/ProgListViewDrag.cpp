#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "edit/MoveCommand.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

// Dragging: rows dragged with the left button move their records before the record of the row
// they are dropped on, in the database list (as one command of the edit history) and in the rows.

void CProgListView::BeginDrag(int nRow, const QPoint& ptStart)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->columnCount() == 0)
        return;
    if (IsSorted()) {
        emit StatusMessage(SortedViewMessage());
        return;
    }
    m_nDragIndex = nRow;

    // The image of the row as drawn: from its first to its last column, clipped to the viewport.
    const QRect rcFirst = visualRect(m_pModel->index(nRow, 0));
    const QRect rcLast = visualRect(m_pModel->index(nRow, m_pModel->columnCount() - 1));
    const QRect rcRow = rcFirst.united(rcLast).intersected(viewport()->rect());
    m_pDragImage = std::make_unique<QLabel>();
    m_pDragImage->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                 Qt::WindowTransparentForInput);
    m_pDragImage->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pDragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pDragImage->setObjectName("dragImage");
    if (!rcRow.isEmpty())
        m_pDragImage->setPixmap(viewport()->grab(rcRow));
    m_pDragImage->setWindowOpacity(0.7);
    m_pDragImage->adjustSize();
    m_pDragImage->move(viewport()->mapToGlobal(ptStart) + QPoint(DRAG_IMAGE_DX, DRAG_IMAGE_DY));
    m_pDragImage->show();

    m_bDragging = true;
    m_nDropIndex = -1;
    m_pModel->SetDropHilite(-1);
    // Moves without the button must reach the view too, to notice a release it never got.
    m_bHadMouseTracking = viewport()->hasMouseTracking();
    viewport()->setMouseTracking(true);
}

void CProgListView::DragMove(const QPoint& pt)
{
    if (!m_bDragging)
        return;
    m_ptDrag = pt;
    if (m_pDragImage)
        m_pDragImage->move(viewport()->mapToGlobal(pt) + QPoint(DRAG_IMAGE_DX, DRAG_IMAGE_DY));
    if (AutoScrollDirection(pt) != 0) {
        if (!m_pAutoScroll->isActive())
            m_pAutoScroll->start();
    } else {
        m_pAutoScroll->stop();
    }
    if (!viewport()->rect().contains(pt))
        return; // outside the rows the last target stays
    viewport()->setCursor(Qt::ArrowCursor);
    UpdateDropTarget(pt);
}

void CProgListView::UpdateDropTarget(const QPoint& pt)
{
    const QRect rc = viewport()->rect();
    const QPoint ptInside(std::clamp(pt.x(), rc.left(), rc.right()),
                          std::clamp(pt.y(), rc.top(), rc.bottom()));
    const QModelIndex hit = indexAt(ptInside);
    if (!hit.isValid())
        return;
    m_nDropIndex = hit.row();
    m_pModel->SetDropHilite(m_nDropIndex);
}

int CProgListView::AutoScrollDirection(const QPoint& pt) const
{
    // The band is one row high, inside the edge; the pointer beyond the edge scrolls too.
    const int nBand = std::max(verticalHeader()->defaultSectionSize(), 8);
    if (pt.x() < 0 || pt.x() >= viewport()->width())
        return 0;
    if (pt.y() < nBand)
        return -1;
    if (pt.y() >= viewport()->height() - nBand)
        return 1;
    return 0;
}

// One step of scrolling during a drag: a row further, and the row at the edge is the target. At the
// end of the rows the scrolling stops and the target stays.
void CProgListView::OnAutoScroll()
{
    const int nDirection = m_bDragging ? AutoScrollDirection(m_ptDrag) : 0;
    QScrollBar* pBar = verticalScrollBar();
    const int nOld = pBar->value();
    if (nDirection != 0)
        pBar->setValue(nOld + nDirection * pBar->singleStep());
    if (pBar->value() == nOld) {
        m_pAutoScroll->stop();
        return;
    }
    UpdateDropTarget(m_ptDrag);
}

void CProgListView::StopDragging()
{
    m_pAutoScroll->stop();
    m_bDragging = false;
    m_pDragImage.reset();
    viewport()->unsetCursor();
    viewport()->setMouseTracking(m_bHadMouseTracking);
}

void CProgListView::EndDrag()
{
    if (!m_bDragging)
        return;
    StopDragging();
    DropItems();
    // Whatever the drop did, no row stays marked as a target.
    m_pModel->SetDropHilite(-1);
}

void CProgListView::CancelDrag()
{
    if (!m_bDragging)
        return;
    StopDragging();
    m_pModel->SetDropHilite(-1);
    m_nDropIndex = -1;
    ResetPress();
}

void CProgListView::DropItems()
{
    if (m_nDragIndex < 0 || m_nDropIndex < 0 || IsSorted())
        return;
    if (!GetCurrentList() || m_nDragIndex >= GetRowCount() || m_nDropIndex >= GetRowCount())
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

    auto pMove =
        CMoveCommand::Drop(static_cast<NodeType>(GetKind()), std::move(rows), m_nDragIndex, m_nDropIndex);
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

void CProgListView::ResetPress()
{
    m_nPressRow = -1;
    m_bClickPending = false;
}

void CProgListView::mousePressEvent(QMouseEvent* pEvent)
{
    if (m_bDragging)
        return; // other buttons are ignored until the drag ends
    ResetPress();
    const QModelIndex hit = indexAt(pEvent->position().toPoint());
    if (pEvent->button() != Qt::LeftButton || !hit.isValid()) {
        QTableView::mousePressEvent(pEvent);
        return;
    }
    m_nPressRow = hit.row();
    m_ptPress = pEvent->position().toPoint();
    if (pEvent->modifiers() == Qt::NoModifier && selectionModel()->isRowSelected(hit.row(), QModelIndex())) {
        // Keep the other selected rows until it is clear whether this is a drag or a click.
        m_bClickPending = true;
        selectionModel()->setCurrentIndex(hit, QItemSelectionModel::NoUpdate);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTableView::mousePressEvent(pEvent);
}

void CProgListView::mouseMoveEvent(QMouseEvent* pEvent)
{
    const QPoint pt = pEvent->position().toPoint();
    if (m_bDragging) {
        // A move without the button means its release went elsewhere (a window took the mouse
        // away): the drag is given up rather than dropped at a place the user never chose.
        if (pEvent->buttons() & Qt::LeftButton)
            DragMove(pt);
        else
            CancelDrag();
        return;
    }
    if (m_nPressRow >= 0 && (pEvent->buttons() & Qt::LeftButton)) {
        // A press on a row drags rows; it never sweeps a selection.
        if ((pt - m_ptPress).manhattanLength() >= QApplication::startDragDistance()) {
            m_bClickPending = false;
            BeginDrag(m_nPressRow, m_ptPress);
            if (!m_bDragging) {
                m_nPressRow = -1; // refused in a sorted view: said once, then the press is over
                return;
            }
            DragMove(pt);
        }
        return;
    }
    QTableView::mouseMoveEvent(pEvent);
}

void CProgListView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (m_bDragging) {
        if (pEvent->button() == Qt::LeftButton) {
            ResetPress();
            setState(NoState);
            EndDrag();
        }
        return;
    }
    if (pEvent->button() != Qt::LeftButton) {
        QTableView::mouseReleaseEvent(pEvent);
        return;
    }
    if (m_bClickPending) {
        // No drag came of it: the press the base class did not see is handed on now, so that a
        // click on one of several selected rows selects just that row, as any click does.
        const QPoint ptPress = m_ptPress;
        ResetPress();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(ptPress),
                          viewport()->mapToGlobal(QPointF(ptPress)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QTableView::mousePressEvent(&press);
    }
    ResetPress();
    QTableView::mouseReleaseEvent(pEvent);
}
