#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

class CProgListView;
class QAction;
class QKeySequence;
class QMainWindow;
class QMenu;

// Edit > "Flags": the one-key flags of the programs selected in the list. "Lock" (Ctrl+L), "Skip"
// (Ctrl+J) and "Hide" (Ctrl+H) set the flag on every selected program, or clear it when every one has
// it already; "Favourite Group" puts them into group 1 to 15 (Ctrl+1 to Ctrl+9 for the first nine)
// or none (Ctrl+0). Each is one command of the edit history, run through the list pane. The commands
// are enabled while the list shows programs and some are selected; a disabled one says why in its
// status tip and, when its key is pressed, in the status bar (ExplainKey).
class CFlagActions : public QObject
{
    Q_OBJECT

public:
    // The actions become children of the frame; the list is not owned.
    CFlagActions(QMainWindow& frame, CProgListView& list);

    // The "Flags" submenu, for the Edit menu and the rows' context menu.
    QMenu* GetMenu() const { return m_pMenu; }
    void UpdateActions();
    // A key no widget took: when it is the key of a disabled flag command, says why and returns true.
    bool ExplainKey(const QKeySequence& key);

    // The commands, for the actions and the tests: false when nothing changed.
    bool ToggleFlag(int nFlag);
    bool SetFavouriteGroup(uint32_t nGroup);

private:
    QAction* Add(const char* pszName, const QString& strText, const QKeySequence& key);

    QMainWindow& m_frame;
    CProgListView& m_list;
    QMenu* m_pMenu = nullptr;
    QList<QAction*> m_actions;
    QString m_strReason; // why the commands are disabled; empty while they are enabled
};
