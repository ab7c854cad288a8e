#pragma once

#include "edit/Document.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class CAccessIn;
class CAccessOut;
class CCheckCommand;
class CCheckDlg;
class CClipboardManager;
class CEditActions;
class CEncodingMenu;
class CFileCommands;
class CFindBar;
class CFlagActions;
class CPrintCommands;
class CProgBrowseView;
class CProgDb;
class CProgListView;
class CRecentFiles;
class CRecovery;
class CReferenceCommands;
class IPrompt;
class QLabel;
class QLineEdit;
class QSplitter;
struct RecentFile;

// The editor's only top-level window. It holds the edited document (database, file, edit history),
// shows it in the tree pane (left, 160 pixels) and the list pane (right), and gives each menu's
// commands to the class that carries them out: the File menu to CFileCommands, the Edit commands to
// CEditActions and its Flags to CFlagActions, Find to CFindBar, Tools > Check Database to CCheckCommand, the
// reference list (open, compare, take over, order like it) to CReferenceCommands, the code pages to
// CEncodingMenu; the clipboard is reached only through CClipboardManager. Every question and message goes
// through the injected prompt. The frame keeps the title (the document's name and the mark of unsaved
// changes), the status bar and the window's layout between runs (QSettings).
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // The prompt is not owned and must outlive the frame. The process's current directory is read
    // now: it is the first place where the converter is looked for.
    explicit CMainFrame(IPrompt& prompt, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    // The File commands (see CFileCommands).
    void DoLoad(CAccessIn& importer, const QString& strFilter);
    bool LoadPath(CAccessIn& importer, const QString& strPath);
    bool OpenFile(const QString& strPath);
    bool OpenSample();
    void DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter);
    void DoMerge(CAccessOut& writer);
    // How long the merge waits for the converter before giving up.
    void SetConverterTimeout(int nMilliseconds);

    // Shows a record as a check finding names it (its kind, position and id): the tree node that
    // lists it is selected, and its row in the list (in database order: a sort ends, a Find that
    // hides the row is cleared) is selected, scrolled to and focused. A record that is gone says so
    // in the status bar.
    void SelectRecord(int32_t nKind, int32_t nIndex, int32_t nId);
    // The dialog of Check Database; null before its first use.
    CCheckDlg* GetCheckDlg() const;
    // The Find field of the tool bar.
    QLineEdit* GetFindEdit() const;

    // Called for Help > About (the application shows its about box).
    void SetAboutHandler(std::function<void()> fn) { m_fnAbout = std::move(fn); }

    CDocument& GetDocument() { return m_doc; }
    CProgDb* GetDb() const { return m_doc.GetDb(); }
    CProgBrowseView* GetTreeView() const { return m_pTreeView; }
    CProgListView* GetListView() const { return m_pListView; }
    QSplitter* GetSplitter() const { return m_pSplitter; }
    CFileCommands* GetFileCommands() const { return m_pFiles; }
    CReferenceCommands* GetReferenceCommands() const { return m_pRefs; }
    CPrintCommands* GetPrintCommands() const { return m_pPrint; }
    // The recovery copy of unsaved changes, and the offer of a dead editor's copies at start.
    CRecovery* GetRecovery() const { return m_pRecovery; }
    CEncodingMenu* GetEncodingMenu() const { return m_pEncodingMenu; }
    CEditActions* GetEditActions() const { return m_pEditActions; }
    CFlagActions* GetFlagActions() const { return m_pFlags; }
    CClipboardManager* GetClipboard() const { return m_pClipboard; }
    // The one edit history: the list pane runs every change through it; a load empties it and
    // makes the loaded state the saved one, a save marks the saved state.
    CEditHistory& GetEditHistory() { return m_doc.GetHistory(); }
    CRecentFiles* GetRecentFiles() const;
    const QString& GetStartDir() const { return m_strCurDir; }

    // Unsaved changes (see CDocument::IsModified): the title's mark and the question before a load
    // or close.
    bool IsModified() const { return m_doc.IsModified(); }
    // The file Save writes to, and its format in the table of formats; empty when Save must ask.
    QString GetDocPath() const { return QString::fromStdString(m_doc.GetPath()); }
    const std::string& GetDocFormat() const { return m_doc.GetFormat(); }

signals:
    // IsModified changed.
    void ModifiedChanged(bool bModified);

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // A key no pane took: the key of a disabled Edit command says why in the status bar.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    QAction* AddAction(const char* pszName, const QString& strText);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    // F6 and Shift+F6: the focus goes to the next (nStep 1) or previous (-1) pane.
    void FocusPane(int nStep);
    // The document has a new database: both panes show it.
    void ShowDocument();
    void UpdateTitle();
    // After every change of the history: the Edit commands, the title and ModifiedChanged.
    void OnHistoryChanged();
    // The message pane: the Filter and the Find of the list, or "Ready".
    void UpdateFilterStatus();
    void RestoreLayout();
    void SaveLayout() const;

    IPrompt& m_prompt;
    CDocument m_doc;
    QSplitter* m_pSplitter = nullptr;
    CProgBrowseView* m_pTreeView = nullptr;
    CProgListView* m_pListView = nullptr;
    QLabel* m_pMessagePane = nullptr;
    CFileCommands* m_pFiles = nullptr;
    CFindBar* m_pFindBar = nullptr;
    CCheckCommand* m_pCheck = nullptr;
    CReferenceCommands* m_pRefs = nullptr;
    CPrintCommands* m_pPrint = nullptr;
    CEncodingMenu* m_pEncodingMenu = nullptr;
    QString m_strCurDir;
    CClipboardManager* m_pClipboard = nullptr;
    CEditActions* m_pEditActions = nullptr;
    CFlagActions* m_pFlags = nullptr;
    CRecovery* m_pRecovery = nullptr;
    bool m_bModified = false; // as ModifiedChanged last told
    std::function<void()> m_fnAbout;
};
