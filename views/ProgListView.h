#pragma once

#include <QTableView>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CFilterDlg;
class CNodeList;
class CProgDb;
class CProgListModel;
class IMessageSink;
class QAction;
class QLabel;
class QTimer;

// The list pane: the records of one kind (all satellites, the transponders of one satellite, or
// the programs of one transponder or of the whole database) as a report list. Each row's value is
// its record's id. The Delete key removes the selected records together with their children, the
// Filter command narrows the rows to those whose cells equal a set of values, and dragging rows
// with the left button moves their records before the record of the row they are dropped on.
//
// The database and the kind of the rows live in the model (CProgListModel); the pane knows nothing
// of the tree pane and tells it through TreeRecordsChanged. Listing is in ProgListView.cpp,
// deleting, filtering and dragging each in a source file of their own.
class CProgListView : public QTableView
{
    Q_OBJECT

public:
    explicit CProgListView(QWidget* pParent = nullptr);
    ~CProgListView() override;

    // The Filter command of the frame: this pane handles it and keeps it enabled exactly while
    // the list has more than one row.
    void SetFilterAction(QAction* pAction);
    // Where the filter dialog shows its refusals (not owned); without one it opens message boxes.
    void SetMessageSink(IMessageSink* pSink) { m_pSink = pSink; }
    // Runs the filter dialog in place of its modal loop and returns its result; for tests, which
    // fill in the dialog and press its buttons. Unset: the dialog runs modally (DoModal).
    void SetFilterDlgRunner(std::function<int(CFilterDlg&)> fn) { m_fnRunFilterDlg = std::move(fn); }

    // After a load: remembers the database (not owned) and empties the list, columns included.
    void ShowDb(CProgDb* pDb);
    // Lists the records of nKind (NodeType) under nParentId; INVALID_ID lists all of that kind.
    // Satellites are always listed in full. A filter ends here.
    void ShowRecords(int32_t nKind, int32_t nParentId);
    // Removes every row and column.
    void ClearList();
    // The parent id of the last ShowRecords.
    int32_t GetParentId() const { return m_nParentId; }
    // The database list of the kind now shown; null before the first load.
    CNodeList* GetCurrentList() const;

    // Removes the records of the selected rows (with their children) from the database and their
    // rows from the list, then reselects a row. Bound to the Delete key. Emits TreeRecordsChanged
    // when satellites or transponders went, then DbModified.
    void DeleteSelected();
    // The Filter command: asks for conditions ("Prog Filter", "Tp Filter" or "Sat Filter") and
    // keeps, in their order, the rows whose cells equal every value; the survivors are listed
    // afresh from the database. Cancel leaves the list as it is. The database never changes.
    void OnFilter();
    // Lists every record of the last ShowRecords again, keeping the selected records selected.
    // Bound to Escape while a filter is in force.
    void ClearFilter();
    bool IsFiltered() const { return m_bFiltered; }
    // "Filter: 12 of 40,000 programs" while a filter is in force: the rows left, and the records
    // the tree node has. Empty without a filter.
    QString GetFilterStatus() const;

    // Drag and drop, driven by the mouse handlers and callable directly. BeginDrag starts dragging
    // row nRow from ptStart (viewport coordinates): a drag image of that row follows the pointer
    // 10 pixels right of and 14 below it. DragMove moves the image and, over a row, makes that row
    // the highlighted drop target; elsewhere the last target stays. EndDrag removes the image and
    // calls DropItems with the last target, wherever the pointer was released. While the pointer
    // is near the top or bottom edge (or beyond it), the rows scroll, and the row at that edge
    // becomes the target, so that rows can be dropped beyond the visible part.
    void BeginDrag(int nRow, const QPoint& ptStart);
    void DragMove(const QPoint& pt);
    void EndDrag();
    // Ends a drag without dropping: the list and the database stay as they are. Bound to Escape.
    void CancelDrag();
    // Moves the records of the selected rows before the record of the drop target, in the
    // database list and in the rows, and selects them (see DropRows). Emits DbModified when
    // something moved.
    void DropItems();
    bool IsDragging() const { return m_bDragging; }
    int GetDragIndex() const { return m_nDragIndex; }
    int GetDropIndex() const { return m_nDropIndex; }
    // The window showing the drag image during a drag; null otherwise.
    const QLabel* GetDragImage() const { return m_pDragImage.get(); }
    static constexpr int DRAG_IMAGE_DX = 10;
    static constexpr int DRAG_IMAGE_DY = 14;

    // The kind of the last ShowRecords (NodeType); kept when the list is emptied.
    int32_t GetKind() const;
    int GetRowCount() const;
    int32_t GetRowId(int nRow) const;
    // Selected rows in ascending order.
    std::vector<int> GetSelectedRows() const;
    void SelectRow(int nRow);
    CProgListModel* GetModel() const { return m_pModel; }
    // Redraws names after the code page changed.
    void RefreshNames();

    // Column widths of the columns of a record kind (NodeType), as the user left them; empty when
    // they were never shown nor set. Widths set for a kind are used whenever its columns are
    // shown; a list of another length than the kind's columns is ignored.
    QList<int> GetColumnWidths(int nKind) const;
    void SetColumnWidths(int nKind, const QList<int>& widths);

signals:
    // Records were removed from the database (or moved) by this pane.
    void DbModified();
    // Satellites or transponders were removed or moved: the tree must be rebuilt. Never emitted
    // for programs.
    void TreeRecordsChanged();
    // A filter came into force or ended, or the rows of a filtered list changed: see
    // GetFilterStatus.
    void FilterChanged();

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    // Tool tips with the whole text of cells too narrow for it.
    bool viewportEvent(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    void UpdateFilterAction();
    void SetFiltered(bool bFiltered);
    void SetRowSelection(const std::vector<bool>& selected);
    // Makes nRow (-1: none) the keyboard's current row without changing the selection.
    void SetCurrentRow(int nRow);
    void ResetPress();
    // Makes the row under pt, clamped into the rows' area, the drop target; over no row the last
    // target stays.
    void UpdateDropTarget(const QPoint& pt);
    // -1 or 1 while pt is near the top or bottom edge of the rows (or beyond it), else 0.
    int AutoScrollDirection(const QPoint& pt) const;
    void OnAutoScroll();
    void RememberColumnWidths();
    void ApplyColumnWidths();

    CProgListModel* m_pModel = nullptr;
    int32_t m_nParentId = -1; // INVALID_ID: all of the kind
    bool m_bFiltered = false;
    QList<int> m_columnWidths[3]; // by column set: satellites, transponders, programs
    QAction* m_pFilterAction = nullptr;
    IMessageSink* m_pSink = nullptr;
    std::function<int(CFilterDlg&)> m_fnRunFilterDlg;

    // Drag state.
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
