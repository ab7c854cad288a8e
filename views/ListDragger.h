#pragma once

#include <QObject>
#include <QPoint>

#include <memory>

class CProgListView;
class QLabel;
class QMouseEvent;
class QTimer;

// Dragging rows of the list pane with the left mouse button: the press that may become a drag, the
// drag image that follows the pointer, the drop target under it, and the scrolling near the top and
// bottom edges. The drop itself (the records moved, as one command) is the pane's DropRows. The pane
// forwards its mouse events here.
class CListDragger : public QObject
{
public:
    explicit CListDragger(CProgListView& view);
    ~CListDragger() override;

    // See CProgListView::BeginDrag and the calls after it.
    void BeginDrag(int nRow, const QPoint& ptStart);
    void DragMove(const QPoint& pt);
    void EndDrag();
    void CancelDrag();
    bool IsDragging() const { return m_bDragging; }
    int GetDragIndex() const { return m_nDragIndex; }
    int GetDropIndex() const { return m_nDropIndex; }
    const QLabel* GetDragImage() const { return m_pDragImage.get(); }
    // Forgets a press that has not become a drag.
    void ResetPress();

    // The pane's mouse events; false when the pane's base class is to handle the event.
    bool MousePress(QMouseEvent* pEvent);
    bool MouseMove(QMouseEvent* pEvent);
    bool MouseRelease(QMouseEvent* pEvent);

private:
    // Ends the drag state (image, auto scroll, mouse tracking) without dropping.
    void StopDragging();
    // Makes the row under pt, clamped into the rows' area, the drop target; over no row the last
    // target stays.
    void UpdateDropTarget(const QPoint& pt);
    // -1 or 1 while pt is near the top or bottom edge of the rows (or beyond it), else 0.
    int AutoScrollDirection(const QPoint& pt) const;
    void OnAutoScroll();

    CProgListView& m_view;
    std::unique_ptr<QLabel> m_pDragImage;
    bool m_bDragging = false;
    int m_nDragIndex = -1;
    int m_nDropIndex = -1;
    // Scrolls the rows while a drag is near an edge; m_ptDrag is where the pointer last was.
    QTimer* m_pAutoScroll = nullptr;
    QPoint m_ptDrag;

    // The left-button press that may become a drag: its row (-1: none) and where it was. A press
    // on a row that is already selected keeps the selection, so that several rows can be dragged;
    // it becomes a plain click on that row when the button comes up without a drag.
    int m_nPressRow = -1;
    QPoint m_ptPress;
    bool m_bClickPending = false;
    bool m_bHadMouseTracking = false;
};
