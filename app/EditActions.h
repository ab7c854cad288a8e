#pragma once

#include "db/Node.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class CClipboardManager;
class CEditHistory;
class CProgBrowseView;
class CProgListView;
class CSetFieldDlg;
class QAction;
class QKeySequence;
class QMainWindow;
class QMenu;

// The Edit commands of the frame: Undo, Redo, Cut, Copy, Paste, Delete, Duplicate, Select All,
// Rename, Set Field and New Satellite, New Transponder, New Program. They act on the rows of the
// list pane and on the node of the tree pane; every change runs as a command through the list
// pane, whose history is the frame's, and the clipboard is reached only through the clipboard
// manager.
//
// Each command is enabled exactly when it can do something; a disabled one says why in its status
// tip (shown while it is hovered, in a menu too) and, when its key is pressed, in the status bar
// (ExplainKey). Insert is the key of the New command of the kind the list shows.
class CEditActions : public QObject
{
    Q_OBJECT

public:
    // None of the objects is owned; the actions are children of the frame, which shows the
    // messages in its status bar.
    CEditActions(QMainWindow* pFrame, CProgBrowseView* pTree, CProgListView* pList,
                 CClipboardManager* pClipboard);

    // The commands in the order of the Edit menu, null where a separator goes.
    const QList<QAction*>& GetMenuActions() const { return m_menu; }
    // Fills a menu with the commands (the Edit menu); a disabled one hovered there says why.
    void FillMenu(QMenu* pMenu);
    // The context menu of the list's rows: the same commands.
    QMenu* GetContextMenu() const { return m_pContextMenu; }

    // Enables the commands for what the panes show and hold now, names Undo and Redo after their
    // steps ("Undo Delete 3 programs") and sets each status tip. Called whenever the list, the tree,
    // the clipboard or the history changed.
    void UpdateActions();
    // A key that no widget took: when it is the key of a disabled command, shows why that command
    // is disabled and returns true.
    bool ExplainKey(const QKeySequence& key);

    // Runs the Set Field dialog in place of its modal loop and returns its result; for tests.
    void SetFieldDlgRunner(std::function<int(CSetFieldDlg&)> fn) { m_fnRunSetFieldDlg = std::move(fn); }

    void OnUndo();
    void OnRedo();
    void OnCut();
    void OnCopy();
    // Programs go into the transponder of the chosen program row (before that row), of the chosen
    // transponder row, or of the tree's current node; transponders into the satellite found the
    // same way; satellites, with everything copied under them, at the end of their list. The list
    // then shows where they went, with them selected. A paste that does not fit there says why in
    // the status bar.
    void OnPaste();
    void OnDelete();
    void OnDuplicate();
    void OnSelectAll();
    // F2: opens the editor of the current cell, or of the current row's name (a transponder's
    // frequency) when that cell cannot be typed into.
    void OnRename();
    void OnSetField();
    // A new record, under the satellite or transponder ParentFor finds; the list then shows it
    // selected with its name (a transponder's frequency) open for editing.
    void OnNewRecord(NodeType nKind);

    // The satellite (nKind NODE_TP) or transponder (NODE_PROG) a new or pasted record of nKind
    // goes under: the chosen row's record when the list shows that kind of parent, the parent of
    // the chosen row (or of the whole listing) when it shows records of nKind, else the tree's
    // current node (a satellite also as the parent of the current transponder). INVALID_ID when
    // none is there. With pnBeforeId, the chosen row of nKind the records go before (INVALID_ID:
    // after the parent's last one).
    int32_t ParentFor(NodeType nKind, int32_t* pnBeforeId = nullptr) const;

protected:
    // Menus: a disabled command under the mouse says why in the status bar.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    struct Command
    {
        QAction* pAction;
        QString strName;   // as the reasons start: "Paste"
        QString strTip;    // the status tip while enabled
        QString strReason; // why it is disabled, empty while it is enabled
    };

    // A command's action, a child of the frame; bListOnly: its keys work only in the list pane.
    QAction* Add(const char* pszObjectName, const QString& strText, const QString& strTip,
                 QList<QKeySequence> keys, std::function<void()> fnHandler, bool bListOnly = false);
    void SetState(QAction* pAction, const QString& strReason);
    void ShowStatus(const QString& strText);
    // The row the commands on one record act on: the current row when it is selected, else the
    // first selected row; -1 when no row is selected.
    int ChosenRow() const;
    // Makes the list show the records of nKind under nParentId, through the tree when it has that
    // node; nothing when the list already shows them (also as part of all of the kind).
    void ShowPlace(NodeType nKind, int32_t nParentId);
    bool HasDb() const;

    QMainWindow* m_pFrame;
    CProgBrowseView* m_pTree;
    CProgListView* m_pList;
    CClipboardManager* m_pClipboard;
    QList<QAction*> m_menu;
    QMenu* m_pContextMenu = nullptr;
    QList<Command> m_commands;
    QAction* m_pUndo = nullptr;
    QAction* m_pRedo = nullptr;
    QAction* m_pNew[3] = {nullptr, nullptr, nullptr}; // by NodeType
    std::function<int(CSetFieldDlg&)> m_fnRunSetFieldDlg;
};
