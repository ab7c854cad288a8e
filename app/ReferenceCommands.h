#pragma once

#include "db/OrderLike.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CCompareMarks;
class CDocument;
class CFileCommands;
class COrderLikeDlg;
class CProgBrowseView;
class CProgListView;
class CReferencePane;
class IPrompt;
class QAction;
class QItemSelectionModel;
class QMainWindow;
class QPoint;
class QSplitter;
struct CListDiff;

// The commands between the edited list and a reference list: File > "Open Reference List..."
// (Ctrl+Shift+O) reads any format the editor reads into a read-only document shown beside the list
// (CReferencePane); File > "Close Reference List" closes it. Tools > "Compare With Reference" marks,
// in both panes, the records only in one list and, in the edited list, the cells that differ (their
// tool tip gives the reference's value), selects in each pane the match of what is selected in the
// other and counts the differences in the status bar. Edit > "Take Over" (also the reference pane's
// context menu, and dragging its rows into the edited list) copies the selected reference records
// into the edited list with the parents they need, skipping those it already has. Tools > "Order Like
// Reference..." puts the edited list into the reference's order. Every change is one command of the
// edited document's history, run through the list pane.
class CReferenceCommands : public QObject
{
    Q_OBJECT

public:
    // The actions become children of the frame; the reference pane goes into the splitter beside the
    // list when a reference is opened. Nothing given is owned.
    CReferenceCommands(QMainWindow& frame, QSplitter& splitter, CDocument& doc, CProgBrowseView& tree,
                       CProgListView& list, CFileCommands& files, IPrompt& prompt);
    ~CReferenceCommands() override;

    QAction* GetOpenAction() const { return m_pOpen; }
    QAction* GetCloseAction() const { return m_pClose; }
    QAction* GetCompareAction() const { return m_pCompare; }
    QAction* GetTakeOverAction() const { return m_pTakeOver; }
    QAction* GetOrderLikeAction() const { return m_pOrderLike; }

    // Asks for a file (any readable format: the filter chosen, else the extension, names it; a
    // firmware image is read as layout 2.0 unless layout 2.5 is chosen) and opens it as the reference.
    void OnOpenReference();
    // Reads strPath with the importer of the format pszFormat (a name of the table of formats) as the
    // reference list, in place of the one open. False, after the error was shown, when it could not
    // be read; the reference open before stays then.
    bool OpenReference(const QString& strPath, const char* pszFormat);
    void CloseReference();
    // The open reference list and its pane; null when none is open.
    CDocument* GetReference() const { return m_pRef.get(); }
    CReferencePane* GetPane() const { return m_pPane; }

    // Compare With Reference on or off (off when no reference is open).
    void SetComparing(bool bOn);
    bool IsComparing() const { return m_pDiff != nullptr; }
    // The differences shown while comparing; null otherwise.
    const CListDiff* GetDiff() const { return m_pDiff.get(); }
    // "Compare: 3 only in this list, 5 only in the reference, 2 changed, 1 moved"; empty while not
    // comparing.
    QString GetCompareStatus() const;

    // Take Over of the rows selected in the reference pane, before the record of row nBeforeRow of the
    // edited list when it lists records of their kind (-1: where a paste would put them). The list then
    // shows them selected; the status bar says how many were taken over and skipped. False when
    // nothing was taken over.
    bool TakeOver(int nBeforeRow = -1);
    // Order Like Reference: asks for the options (showing the counts), then runs the command.
    void OnOrderLike();
    // Runs the dialog in place of its modal loop and returns its result; for tests.
    void SetOrderDlgRunner(std::function<int(COrderLikeDlg&)> fn) { m_fnRunOrderDlg = std::move(fn); }

    // The edited list changed (a command, undo, redo or load): the comparison follows it.
    void OnEditedChanged();

signals:
    // A message for the status bar, and the comparison's counts changed.
    void StatusMessage(const QString& strText, int nTimeoutMs);
    void CompareStatusChanged();

private:
    void UpdateActions();
    void Compare();
    void ClearMarks();
    // Selects in the other pane the match of the current row of pFrom's list.
    void FollowSelection(bool bFromEdited);
    void OnRowsDropped(const QPoint& ptGlobal);

    QMainWindow& m_frame;
    QSplitter& m_splitter;
    CDocument& m_doc;
    CProgBrowseView& m_tree;
    CProgListView& m_list;
    CFileCommands& m_files;
    IPrompt& m_prompt;
    std::unique_ptr<CDocument> m_pRef;
    CReferencePane* m_pPane = nullptr;
    std::unique_ptr<CListDiff> m_pDiff;
    std::unique_ptr<CCompareMarks> m_pMarksEdited;
    std::unique_ptr<CCompareMarks> m_pMarksRef;
    bool m_bFollowing = false; // selecting a match, which must not select back
    QAction* m_pOpen = nullptr;
    QAction* m_pClose = nullptr;
    QAction* m_pCompare = nullptr;
    QAction* m_pTakeOver = nullptr;
    QAction* m_pOrderLike = nullptr;
    std::function<int(COrderLikeDlg&)> m_fnRunOrderDlg;
};
