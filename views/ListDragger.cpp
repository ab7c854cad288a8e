#include "views/ListDragger.h"

#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

CListDragger::CListDragger(CProgListView& view) : QObject(&view), m_view(view)
{
    m_pAutoScroll = new QTimer(this);
    m_pAutoScroll->setInterval(50);
    connect(m_pAutoScroll, &QTimer::timeout, this, &CListDragger::OnAutoScroll);
}

CListDragger::~CListDragger() = default;

void CListDragger::BeginDrag(int nRow, const QPoint& ptStart)
{
    CProgListModel* pModel = m_view.GetModel();
    if (nRow < 0 || nRow >= m_view.GetRowCount() || pModel->columnCount() == 0)
        return;
    // Rows dragged out of a read-only pane go to another list, whatever order this one shows.
    if (m_view.IsSorted() && !m_view.IsReadOnly()) {
        emit m_view.StatusMessage(CProgListView::SortedViewMessage());
        return;
    }
    m_nDragIndex = nRow;

    // The image of the row as drawn: from its first to its last column, clipped to the viewport.
    QWidget* pViewport = m_view.viewport();
    const QRect rcFirst = m_view.visualRect(pModel->index(nRow, 0));
    const QRect rcLast = m_view.visualRect(pModel->index(nRow, pModel->columnCount() - 1));
    const QRect rcRow = rcFirst.united(rcLast).intersected(pViewport->rect());
    m_pDragImage = std::make_unique<QLabel>();
    m_pDragImage->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                 Qt::WindowTransparentForInput);
    m_pDragImage->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pDragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pDragImage->setObjectName("dragImage");
    if (!rcRow.isEmpty())
        m_pDragImage->setPixmap(pViewport->grab(rcRow));
    m_pDragImage->setWindowOpacity(0.7);
    m_pDragImage->adjustSize();
    m_pDragImage->move(pViewport->mapToGlobal(ptStart) +
                       QPoint(CProgListView::DRAG_IMAGE_DX, CProgListView::DRAG_IMAGE_DY));
    m_pDragImage->show();

    m_bDragging = true;
    m_nDropIndex = -1;
    m_ptDrag = ptStart;
    pModel->SetDropHilite(-1);
    // Moves without the button must reach the view too, to notice a release it never got.
    m_bHadMouseTracking = pViewport->hasMouseTracking();
    pViewport->setMouseTracking(true);
}

void CListDragger::DragMove(const QPoint& pt)
{
    if (!m_bDragging)
        return;
    m_ptDrag = pt;
    QWidget* pViewport = m_view.viewport();
    if (m_pDragImage)
        m_pDragImage->move(pViewport->mapToGlobal(pt) +
                           QPoint(CProgListView::DRAG_IMAGE_DX, CProgListView::DRAG_IMAGE_DY));
    if (m_view.IsReadOnly())
        return; // the rows go to another list: none of these is a target
    if (AutoScrollDirection(pt) != 0) {
        if (!m_pAutoScroll->isActive())
            m_pAutoScroll->start();
    } else {
        m_pAutoScroll->stop();
    }
    if (!pViewport->rect().contains(pt))
        return; // outside the rows the last target stays
    pViewport->setCursor(Qt::ArrowCursor);
    UpdateDropTarget(pt);
}

void CListDragger::UpdateDropTarget(const QPoint& pt)
{
    const QRect rc = m_view.viewport()->rect();
    const QPoint ptInside(std::clamp(pt.x(), rc.left(), rc.right()),
                          std::clamp(pt.y(), rc.top(), rc.bottom()));
    const QModelIndex hit = m_view.indexAt(ptInside);
    if (!hit.isValid())
        return;
    m_nDropIndex = hit.row();
    m_view.GetModel()->SetDropHilite(m_nDropIndex);
}

int CListDragger::AutoScrollDirection(const QPoint& pt) const
{
    // The band is one row high, inside the edge; the pointer beyond the edge scrolls too.
    const QWidget* pViewport = m_view.viewport();
    const int nBand = std::max(m_view.verticalHeader()->defaultSectionSize(), 8);
    if (pt.x() < 0 || pt.x() >= pViewport->width())
        return 0;
    if (pt.y() < nBand)
        return -1;
    if (pt.y() >= pViewport->height() - nBand)
        return 1;
    return 0;
}

// One step of scrolling during a drag: a row further, and the row at the edge is the target. At the
// end of the rows the scrolling stops and the target stays.
void CListDragger::OnAutoScroll()
{
    const int nDirection = m_bDragging ? AutoScrollDirection(m_ptDrag) : 0;
    QScrollBar* pBar = m_view.verticalScrollBar();
    const int nOld = pBar->value();
    if (nDirection != 0)
        pBar->setValue(nOld + nDirection * pBar->singleStep());
    if (pBar->value() == nOld) {
        m_pAutoScroll->stop();
        return;
    }
    UpdateDropTarget(m_ptDrag);
}

void CListDragger::StopDragging()
{
    m_pAutoScroll->stop();
    m_bDragging = false;
    m_pDragImage.reset();
    m_view.viewport()->unsetCursor();
    m_view.viewport()->setMouseTracking(m_bHadMouseTracking);
}

void CListDragger::EndDrag()
{
    if (!m_bDragging)
        return;
    StopDragging();
    if (m_view.IsReadOnly())
        emit m_view.RowsDropped(m_view.viewport()->mapToGlobal(m_ptDrag));
    else
        m_view.DropRows(m_nDragIndex, m_nDropIndex);
    // Whatever the drop did, no row stays marked as a target.
    m_view.GetModel()->SetDropHilite(-1);
}

void CListDragger::CancelDrag()
{
    if (!m_bDragging)
        return;
    StopDragging();
    m_view.GetModel()->SetDropHilite(-1);
    m_nDropIndex = -1;
    ResetPress();
}

void CListDragger::ResetPress()
{
    m_nPressRow = -1;
    m_bClickPending = false;
}

bool CListDragger::MousePress(QMouseEvent* pEvent)
{
    if (m_bDragging)
        return true; // other buttons are ignored until the drag ends
    ResetPress();
    const QModelIndex hit = m_view.indexAt(pEvent->position().toPoint());
    if (pEvent->button() != Qt::LeftButton || !hit.isValid())
        return false;
    m_nPressRow = hit.row();
    m_ptPress = pEvent->position().toPoint();
    QItemSelectionModel* pSelection = m_view.selectionModel();
    if (pEvent->modifiers() == Qt::NoModifier && pSelection->isRowSelected(hit.row(), QModelIndex())) {
        // Keep the other selected rows until it is clear whether this is a drag or a click.
        m_bClickPending = true;
        pSelection->setCurrentIndex(hit, QItemSelectionModel::NoUpdate);
        m_view.setFocus(Qt::MouseFocusReason);
        return true;
    }
    return false;
}

bool CListDragger::MouseMove(QMouseEvent* pEvent)
{
    const QPoint pt = pEvent->position().toPoint();
    if (m_bDragging) {
        // A move without the button means its release went elsewhere (a window took the mouse
        // away): the drag is given up rather than dropped at a place the user never chose.
        if (pEvent->buttons() & Qt::LeftButton)
            DragMove(pt);
        else
            CancelDrag();
        return true;
    }
    if (m_nPressRow >= 0 && (pEvent->buttons() & Qt::LeftButton)) {
        // A press on a row drags rows; it never sweeps a selection.
        if ((pt - m_ptPress).manhattanLength() >= QApplication::startDragDistance()) {
            m_bClickPending = false;
            BeginDrag(m_nPressRow, m_ptPress);
            if (!m_bDragging) {
                m_nPressRow = -1; // refused in a sorted view: said once, then the press is over
                return true;
            }
            DragMove(pt);
        }
        return true;
    }
    return false;
}

bool CListDragger::MouseRelease(QMouseEvent* pEvent)
{
    if (m_bDragging) {
        if (pEvent->button() == Qt::LeftButton) {
            ResetPress();
            m_view.SetViewState(QAbstractItemView::NoState);
            EndDrag();
        }
        return true;
    }
    if (pEvent->button() != Qt::LeftButton)
        return false;
    if (m_bClickPending) {
        // No drag came of it: the press the base class did not see is handed on now, so that a
        // click on one of several selected rows selects just that row, as any click does.
        const QPoint ptPress = m_ptPress;
        ResetPress();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(ptPress),
                          m_view.viewport()->mapToGlobal(QPointF(ptPress)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        m_view.BaseMousePress(&press);
    }
    ResetPress();
    return false;
}
