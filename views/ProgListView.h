#pragma once

#include "db/Listing.h"
#include "db/RowReorder.h"

#include <QTableView>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CDocument;
class CEditCommand;
class CEditHistory;
class CFilterDlg;
class CListDragger;
class CListFinder;
class CListSorter;
class CNameCollation;
class CNodeList;
class CProgDb;
class CProgListModel;
class CViewCommand;
class IMessageSink;
class QAction;
class QLabel;

// The list pane: the records of one kind (all satellites, the transponders of one satellite, or
// the programs of one transponder or of the whole database) as a report list. Each row's value is
// its record's id. The Delete key removes the selected records together with their children, the
// Filter command narrows the rows to those whose cells equal a set of values, dragging rows with
// the left button moves their records before the record of the row they are dropped on, and a
// double click (or EditCell) edits a cell in place.
//
// A click on a column heading sorts the rows by that column (again: the other way round, a third
// time: back to database order); Find narrows the rows to those whose name contains a text; Ctrl+Up,
// Ctrl+Down, Ctrl+Home and Ctrl+End move the selected records. The rows are made in stages: the
// records the tree node lists, in database order; those the Filter kept; sorted; narrowed by Find.
// Sorting and Find never change the database; Apply Sort Order makes the database order follow the
// sorted rows, as a command. While the rows are sorted they are not in database order, so dragging
// and the keyboard's moves are refused with a message (SortedViewMessage).
//
// The pane never changes the database itself: every change is an edit command run through an edit
// history (RunCommand), after which the rows are listed again from the database. Undo and Redo go
// through the pane for the same reason. The records a command affected are selected afterwards,
// and again after its redo; after an undo those selected when it ran.
//
// The database and the kind of the rows live in the model (CProgListModel); what is listed (kind,
// parent, filter, sort, Find: the row ids) in the core's CListing. Dragging (CListDragger), sorting
// with the keyboard's moves (CListSorter) and Find (CListFinder) are small classes the pane forwards
// to; deleting, editing and filtering are in source files of their own. The pane knows nothing of the
// tree pane and tells it through TreeRecordsChanged.
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
    // The same for a document's database, whose history the pane then runs its commands through.
    void ShowDocument(CDocument* pDoc);
    // A read-only pane (the reference list) runs no command: nothing can be edited, deleted or moved
    // in it, and rows dragged out of it are dropped elsewhere (RowsDropped) instead of in it.
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    // Lists the records of nKind (NodeType) under nParentId; INVALID_ID lists all of that kind.
    // Satellites are always listed in full. A filter and the sort end here; the Find text stays and
    // narrows the new rows.
    void ShowRecords(int32_t nKind, int32_t nParentId);
    // Removes every row and column.
    void ClearList();
    // The parent id of the last ShowRecords.
    int32_t GetParentId() const { return m_listing.GetParentId(); }
    // The database list of the kind now shown; null before the first load.
    CNodeList* GetCurrentList() const;

    // The history the pane runs its commands through (not owned; it must outlive the pane or be
    // replaced first). Without one the pane keeps a history of its own. ShowDb points the history at
    // the database shown when it edits another one, which empties it.
    void SetEditHistory(CEditHistory* pHistory);
    CEditHistory* GetEditHistory() const { return m_pHistory; }

    // Runs a command through the history and lists the rows again from the database: the records it
    // inserted are selected (a CInsertCommand's new ids), otherwise the selected records stay
    // selected. Emits TreeRecordsChanged when satellites or transponders changed, FilterChanged
    // when a filtered list changed, then DbModified. Returns the command as the history keeps it,
    // or null when it changed nothing (or the history edits another database than the one shown).
    CEditCommand* RunCommand(std::unique_ptr<CEditCommand> pCommand);
    // Undoes (redoes) the newest step of the history and refreshes the rows as RunCommand does,
    // selecting the records selected when the command ran (after it ran). False when there was
    // nothing to undo (redo).
    bool Undo();
    bool Redo();

    // Removes the records of the selected rows (with their children) as one command ("Delete 3
    // programs"), drops their rows and reselects a row. Bound to the Delete key. Emits
    // TreeRecordsChanged when satellites or transponders went, then DbModified.
    void DeleteSelected();
    // The same for Cut, named "Cut 3 programs"; the records must have been copied before.
    void CutSelected();

    // In-place editing. A cell can be edited when its column is not read only and its record is
    // there (CProgListModel::IsEditable). EditCell opens the cell's editor (a combo box for
    // LocalFre1, LocalFre2 and Polar); what is typed there reaches SetCellText.
    bool IsCellEditable(int nRow, int nColumn) const;
    void EditCell(int nRow, int nColumn);
    // Whether a cell's editor is open.
    bool IsEditing() const { return state() == EditingState; }
    // Ends the editing of a cell, setting what was typed (as Enter would), so that a command, a
    // save or a close never passes over it.
    void CommitEditing();
    // Reads strText with the column's rules and sets it on the row's record as one command. A text
    // that is no value of the column changes nothing: the reason goes out with StatusMessage and
    // false is returned. An unchanged value is no command, and true.
    bool SetCellText(int nRow, int nColumn, const QString& strText);
    // "Set Field...": one column to one value on every selected row, as one command. False with
    // strError (the column's rule) when the text is no value of the column; nothing selected or
    // nothing changed is true.
    bool SetColumnOfSelected(int nColumn, const QString& strText, QString& strError);
    // The column F2 edits in a row of the kind shown: the name, or for transponders the frequency.
    int GetNameColumn() const;
    // The Filter command: asks for conditions ("Prog Filter", "Tp Filter" or "Sat Filter") and
    // keeps, in their order, the rows whose cells equal every value; the survivors are listed
    // afresh from the database. Cancel leaves the list as it is. The database never changes.
    void OnFilter();
    // Lists every record of the last ShowRecords again, keeping the selected records selected.
    // Bound to Escape while a filter is in force.
    void ClearFilter();
    bool IsFiltered() const { return m_listing.IsFiltered(); }
    // "Filter: 12 of 40,000 programs" while a filter is in force: the rows left, and the records
    // the tree node has. Empty without a filter.
    QString GetFilterStatus() const;

    // Sorting. SortByColumn orders the rows by a column of the kind shown (db/ListSort.h: numbers as
    // numbers, names in the locale's order without case), stable, and shows the heading's sort
    // indicator; a column outside the table (-1) returns to database order. The sort is kept through
    // every command, undo and redo (the rows are sorted again) and ends with ShowRecords. A click on
    // a heading goes through the three states: ascending, descending, database order.
    void SortByColumn(int nColumn, bool bDescending);
    void ClearSort() { SortByColumn(-1, false); }
    bool IsSorted() const { return m_listing.IsSorted(); }
    int GetSortColumn() const { return m_listing.GetSortColumn(); }
    bool IsSortDescending() const { return m_listing.IsSortDescending(); }
    // "Apply Sort Order": the listed records of the rows take the order of the rows in the
    // database, as one command ("Sort 3 programs"); records the rows do not show (Filter, Find) keep
    // their places. The rows are then in database order, unsorted. False when nothing is sorted or
    // nothing changed.
    bool ApplySortOrder();
    // Ctrl+Up, Ctrl+Down, Ctrl+Home, Ctrl+End: moves the records of the selected rows among the rows
    // as one command ("Move 3 programs", see MoveRows); they stay selected and the current row is
    // scrolled into view. Refused in a sorted view (the message goes out with StatusMessage). False
    // when nothing moved.
    bool MoveSelected(RowMove nMove);
    // Why dragging and the keyboard's moves are off while the rows are sorted.
    static QString SortedViewMessage();

    // Find. SetFindText narrows the rows to those whose name contains the text, without case, on
    // the decoded name (an empty text ends the narrowing); it combines with the filter and the sort,
    // and stays through commands and other listings. ArmFind (Enter in the find field) lists the
    // rows unnarrowed again and selects the first match from the current row on; FindNext (F3,
    // Shift+F3 with bBackward) then selects the next or previous match, going round the end. Both
    // are false when no row matches (the reason goes out with StatusMessage). Typing again narrows
    // again. Every change of the Find state or of the number of matches emits FindChanged.
    void SetFindText(const QString& strText);
    QString GetFindText() const { return QString::fromStdString(m_listing.GetFindText()); }
    void ClearFind() { SetFindText(QString()); }
    bool ArmFind();
    bool FindNext(bool bBackward);
    bool IsFindArmed() const { return m_listing.IsFindArmed(); }
    // The rows are narrowed by a Find text now (not armed).
    bool IsFindNarrowing() const { return m_listing.IsFindNarrowing(); }
    // The rows of the list before Find narrows it, and how many of them match the Find text.
    int GetUnnarrowedCount() const { return static_cast<int>(m_listing.GetUnnarrowed().size()); }
    int GetFindMatchCount() const { return m_listing.GetFindMatchCount(); }
    // "Find: 37 of 40,000 programs" while a Find text is given ("Find: 37 of 120" of the rows a
    // filter left); empty without one or with nothing listed.
    QString GetFindStatus() const;
    // The records' names changed outside the pane's own commands: the kept names of Find are read
    // again.
    void InvalidateFind();

    // Drag and drop, driven by the mouse handlers and callable directly. BeginDrag starts dragging
    // row nRow from ptStart (viewport coordinates): a drag image of that row follows the pointer
    // 10 pixels right of and 14 below it. DragMove moves the image and, over a row, makes that row
    // the highlighted drop target; elsewhere the last target stays. EndDrag removes the image and
    // calls DropItems with the last target, wherever the pointer was released. While the pointer
    // is near the top or bottom edge (or beyond it), the rows scroll, and the row at that edge
    // becomes the target, so that rows can be dropped beyond the visible part. In a sorted view no
    // drag begins: SortedViewMessage goes out with StatusMessage.
    void BeginDrag(int nRow, const QPoint& ptStart);
    void DragMove(const QPoint& pt);
    void EndDrag();
    // Ends a drag without dropping: the list and the database stay as they are. Bound to Escape.
    void CancelDrag();
    // Moves the records of the selected rows before the record of the drop target, in the
    // database list (one "Move" command) and in the rows, and selects them (see DropRows). Emits
    // DbModified when something moved.
    void DropItems();
    bool IsDragging() const;
    int GetDragIndex() const;
    int GetDropIndex() const;
    // The window showing the drag image during a drag; null otherwise.
    const QLabel* GetDragImage() const;
    static constexpr int DRAG_IMAGE_DX = 10;
    static constexpr int DRAG_IMAGE_DY = 14;

    // The kind of the last ShowRecords (NodeType); kept when the list is emptied.
    int32_t GetKind() const;
    int GetRowCount() const;
    int32_t GetRowId(int nRow) const;
    // Selected rows in ascending order.
    std::vector<int> GetSelectedRows() const;
    // The record ids of the selected rows, in row order.
    std::vector<int32_t> GetSelectedIds() const;
    // The keyboard's current row, -1 when there is none.
    int GetCurrentRow() const;
    void SelectRow(int nRow);
    // Selects the rows of these records and no others; the first becomes current and is scrolled to.
    void SelectRecords(const std::vector<int32_t>& ids);
    CProgListModel* GetModel() const { return m_pModel; }
    // What the pane lists: kind, parent, filter, sort and Find.
    const CListing& GetListing() const { return m_listing; }
    // Redraws names after the code page changed; a sort or Find by name is done again.
    void RefreshNames();

    // Column widths of the columns of a record kind (NodeType), as the user left them; empty when
    // they were never shown nor set. Widths set for a kind are used whenever its columns are
    // shown; a list of another length than the kind's columns is ignored.
    QList<int> GetColumnWidths(int nKind) const;
    void SetColumnWidths(int nKind, const QList<int>& widths);

signals:
    // The database was changed by a command, an undo or a redo of this pane.
    void DbModified();
    // A message for the status bar: why a typed value was refused.
    void StatusMessage(const QString& strText);
    // Satellites or transponders came, went, moved or changed: the tree must be rebuilt. Never
    // emitted when only programs changed.
    void TreeRecordsChanged();
    // A filter came into force or ended, or the rows of a filtered list changed: see
    // GetFilterStatus.
    void FilterChanged();
    // The sort column or direction changed (also back to database order).
    void SortChanged();
    // The Find text, its armed state or the number of its matches changed: see GetFindStatus.
    void FindChanged();
    // Rows of a read-only pane were dragged and let go at ptGlobal (screen coordinates); the selected
    // rows are the ones dragged.
    void RowsDropped(const QPoint& ptGlobal);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    // Tool tips with the whole text of cells too narrow for it.
    bool viewportEvent(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    friend class CListDragger;
    friend class CListFinder;
    friend class CListSorter;

    // Pushes the command, wrapped with the records selected now; the history's command, or null
    // when it changed nothing.
    CViewCommand* PushCommand(std::unique_ptr<CEditCommand> pCommand);
    // After a command, its undo or redo: the rows follow what nTouched (EditTouch bits) says
    // changed, listed again from the database in one go when records of the kind shown came or
    // went (a filtered list keeps its rows that are still there, plus the records to select).
    // With pSelect, given for records of nSelectKind, the rows of those records are selected;
    // otherwise the selected records stay selected. True when the rows changed.
    bool Refresh(unsigned nTouched, int32_t nSelectKind, const CIdRuns* pSelect);
    // The signals after a change of the database.
    void AnnounceChange(unsigned nTouched, bool bRowsChanged);
    // Lists the rows again from the database (see CListing::Relist), with the records in pKeep, and
    // shows them narrowed by Find: the view keeps its scroll position and the records in select are
    // selected.
    void ShowRows(const CIdRuns* pKeep, const CIdRuns& select);
    // Shows the listing's unnarrowed rows narrowed by Find again, the selected records still selected
    // where they are shown.
    void ShowNarrowed();
    // The rows the drag moved (from row nDrag, dropped on row nDrop) after the command ran.
    void DropRows(int nDrag, int nDrop);
    // The number of records the tree node lists, before Filter and Find.
    int GetListingCount() const;
    // "program" or "programs" for nCount records of nKind.
    static const char* KindNoun(int32_t nKind, int nCount);
    // After the rows changed without ShowRows (Delete, a drop, a keyboard move): the unnarrowed rows
    // follow, from the database when the rows are not sorted.
    void UpdateUnnarrowed();
    void RemoveSelected(const char* pszVerb);
    // Selects the rows of the given records and no others; the first becomes the current row.
    void SelectIds(const CIdRuns& ids);
    void OnCommitCell(const QModelIndex& index, const QString& strText);
    void UpdateFilterAction();
    void SetRowSelection(const std::vector<bool>& selected);
    // Makes nRow (-1: none) the keyboard's current row without changing the selection.
    void SetCurrentRow(int nRow);
    void RememberColumnWidths();
    void ApplyColumnWidths();
    // The base class's mouse handling, for the dragger.
    void BaseMousePress(QMouseEvent* pEvent) { QTableView::mousePressEvent(pEvent); }
    void SetViewState(State nState) { setState(nState); }

    CProgListModel* m_pModel = nullptr;
    std::unique_ptr<CEditHistory> m_pOwnHistory; // when no history was given
    CEditHistory* m_pHistory = nullptr;
    std::unique_ptr<CNameCollation> m_pCollation;
    CListing m_listing;
    std::unique_ptr<CListDragger> m_pDragger;
    std::unique_ptr<CListSorter> m_pSorter;
    std::unique_ptr<CListFinder> m_pFinder;
    QList<int> m_columnWidths[3]; // by column set: satellites, transponders, programs
    QAction* m_pFilterAction = nullptr;
    bool m_bReadOnly = false;
    IMessageSink* m_pSink = nullptr;
    std::function<int(CFilterDlg&)> m_fnRunFilterDlg;
};
