#pragma once

#include <QObject>

#include <cstdint>

class CCheckDlg;
class CDocument;
class CProgListView;
class QAction;
class QMainWindow;

// Tools > "Check Database...": shows the check's report beside the window (made once, not modal) with
// the findings of the edited database. While it is open it follows every change, undo and load
// (Refresh); a line's record is shown in the panes (RecordRequested), and "Fix" runs every fix as one
// command through the list pane, so that Undo brings the records back. The dialog's window takes the
// keys of Undo and Redo, so a fix is undone where it was made.
class CCheckCommand : public QObject
{
    Q_OBJECT

public:
    // The action becomes a child of the frame; nothing is owned.
    CCheckCommand(QMainWindow& frame, CDocument& doc, CProgListView& list);

    QAction* GetAction() const { return m_pAction; }
    // Shows the dialog with the findings of the database shown now, and raises it.
    void OnCheckDb();
    // Runs the check again for the open dialog; nothing while it is hidden.
    void Refresh();
    // The dialog; null before its first use.
    CCheckDlg* GetDlg() const { return m_pDlg; }

signals:
    // The user chose a finding's line (see CCheckDlg::RecordActivated).
    void RecordRequested(int32_t nKind, int32_t nIndex, int32_t nId);

private:
    void OnFix();

    QMainWindow& m_frame;
    CDocument& m_doc;
    CProgListView& m_list;
    QAction* m_pAction = nullptr;
    CCheckDlg* m_pDlg = nullptr;
};
