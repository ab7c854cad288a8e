#pragma once

#include <QObject>

class CProgListView;
class QAction;
class QLineEdit;
class QMainWindow;
class QToolBar;

// Edit > Find (Ctrl+K), Find Next (F3) and Find Previous (Shift+F3), and the Find field of the tool
// bar: typing there narrows the list pane to the rows whose name contains the text; Enter shows all
// rows again and selects the first match, which arms F3 and Shift+F3; Escape clears the field, and
// in an empty field gives the list the focus. The field follows the list's Find (Escape in the list
// clears it too).
class CFindBar : public QObject
{
    Q_OBJECT

public:
    // The actions become children of the frame; the list is not owned.
    CFindBar(QMainWindow& frame, CProgListView& list);

    // Adds the field to the tool bar.
    void AddTo(QToolBar* pBar);
    QLineEdit* GetEdit() const { return m_pEdit; }
    QAction* GetFindAction() const { return m_pFind; }
    QAction* GetFindNextAction() const { return m_pFindNext; }
    QAction* GetFindPreviousAction() const { return m_pFindPrev; }

signals:
    // The Find state changed: the frame's message pane shows its count.
    void StatusChanged();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnFindChanged();
    void OnEnter();

    CProgListView& m_list;
    QLineEdit* m_pEdit = nullptr;
    QAction* m_pFind = nullptr;
    QAction* m_pFindNext = nullptr;
    QAction* m_pFindPrev = nullptr;
};
