#pragma once

#include "app/ConverterRun.h"
#include "edit/EditHistory.h"
#include "platform/Backup.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class CAccessIn;
class CAccessOut;
class CClipboardManager;
class CEditActions;
class CEncodingMenu;
class CFrameAddrSource;
class CProgBrowseView;
class CProgDb;
class CProgListView;
class CRecentFiles;
class IPrompt;
class QLabel;
class QSplitter;
struct RecentFile;

// The editor's only top-level window. It owns the channel database, shows it in the tree pane
// (left, 160 pixels) and the list pane (right), and carries out the File commands: every load
// command runs DoLoad with one importer, every save command DoSave with one exporter, and "Merge
// To Bin" writes the database into a firmware image and has the converter turn that image into a
// USB upgrade image. Every question and message goes through the injected prompt. The commands
// find their importers, exporters and file dialog filters in the table of formats.
//
// The frame also keeps the document: the file the database came from or was last saved to (which
// Save writes back to), the edit history of the database (every change made in the panes, for Undo
// and Redo; whether the database is in its saved state gives the title's mark), backups of the
// files it overwrites, the recent files, and the window's layout between runs (QSettings). The
// Edit commands are CEditActions'; the clipboard is reached only through CClipboardManager.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // The prompt is not owned and must outlive the frame. The process's current directory is read
    // now: it is the first place where the converter is looked for.
    explicit CMainFrame(IPrompt& prompt, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    // Asks whether to save unsaved changes, then for a file with the importer's filter, and loads
    // it. The file is read into a new database, which replaces the shown one only when the load
    // succeeded; after a failure the database, the panes and the document stay as they were.
    void DoLoad(CAccessIn& importer, const QString& strFilter);
    // The same without the questions; false when the load failed (the error was already shown) or
    // the user cancelled the address question of layout 2.5.
    bool LoadPath(CAccessIn& importer, const QString& strPath);
    // Loads a file named on the command line, with the format its extension names (.db, .xls);
    // any other file is read as a .db file.
    bool OpenFile(const QString& strPath);
    // Loads an entry of Recent Files with its format, and a firmware image with its address, after
    // asking about unsaved changes. A file that no longer exists leaves the list.
    bool OpenRecent(const RecentFile& file);
    // Loads the built-in sample database.
    bool OpenSample();
    // Asks for a target (proposing "DefaultDb.<ext>"; an existing file is replaced only after the
    // dialog's question) and writes the database with the exporter.
    void DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter);

    void OnOpenDb();
    void OnOpenExcel();
    void OnOpenBin20();
    void OnOpenBin25();
    // File > Save: writes back to the document's file in its format; without one (a firmware
    // image, the sample) it asks like Save As Db. True when the database was saved.
    bool OnSave();
    void OnSaveAsDb();
    void OnSaveAsExcel();
    void OnMergeToBin();
    // "Merge To Bin" with a given merge writer: asks for the image P, looks for the converter
    // (CConverterRun, the start-up directory first) and stops before anything is written when it
    // is missing; merges the database into P, then has the converter turn it into a USB upgrade
    // image at P.
    void DoMerge(CAccessOut& writer);

    // How long the merge waits for the converter before giving up.
    void SetConverterTimeout(int nMilliseconds) { m_converter.SetTimeout(nMilliseconds); }
    // Called for Help > About (the application shows its about box).
    void SetAboutHandler(std::function<void()> fn) { m_fnAbout = std::move(fn); }

    CProgDb* GetDb() const { return m_pDb.get(); }
    CProgBrowseView* GetTreeView() const { return m_pTreeView; }
    CProgListView* GetListView() const { return m_pListView; }
    QSplitter* GetSplitter() const { return m_pSplitter; }
    CEncodingMenu* GetEncodingMenu() const { return m_pEncodingMenu; }
    CEditActions* GetEditActions() const { return m_pEditActions; }
    CClipboardManager* GetClipboard() const { return m_pClipboard; }
    // The one edit history: the list pane runs every change through it; a load empties it and
    // makes the loaded state the saved one, a save marks the saved state.
    CEditHistory& GetEditHistory() { return m_history; }
    CRecentFiles* GetRecentFiles() const { return m_pRecentFiles; }
    const QString& GetStartDir() const { return m_strCurDir; }

    // Unsaved changes: the database is not in the state last loaded or saved (undoing back to that
    // state counts as unmodified). It drives the title's mark and the question before a load or
    // close.
    bool IsModified() const { return !m_history.IsClean(); }
    // The file Save writes to, and its format in the table of formats; empty when Save must ask.
    const QString& GetDocPath() const { return m_strDocPath; }
    const std::string& GetDocFormat() const { return m_strDocFormat; }
    // View > Keep Backups of Overwritten Files (on unless turned off; remembered).
    bool IsKeepingBackups() const;

signals:
    // IsModified changed.
    void ModifiedChanged(bool bModified);

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    // A key no pane took: the key of a disabled Edit command says why in the status bar.
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FocusOtherPane();
    // DoLoad and DoSave with the importer or exporter and the filter of a format of the table.
    void LoadFormat(const char* pszFormat);
    bool SaveFormat(const char* pszFormat);
    // The dialog and the load of DoLoad; strFormat names the importer's format, empty for one
    // from outside the table.
    void LoadWithDialog(CAccessIn& importer, const QString& strFilter, const QString& strFormat);
    // Reads strPath into a new database and shows it in place of the old one when that worked.
    // strFormat (with nAddr for a firmware image) is what Recent Files reopens it with.
    bool LoadFile(CAccessIn& importer, const QString& strPath, const QString& strFormat, uint32_t nAddr);
    // The dialog and the write of DoSave; true when the database was written.
    bool SaveWithDialog(CAccessOut& exporter, const QString& strExtension, const QString& strFilter,
                        const QString& strFormat);
    // Keeps the backup, then writes the database to strPath with the exporter. On success the
    // file becomes the document (when strFormat is a format of the table) and the changes count
    // as saved. false after a message under "Save Error".
    bool WriteDb(CAccessOut& exporter, const QString& strPath, const QString& strFormat);
    // Before strPath is overwritten: makes its backup when backups are kept. false after a message
    // under pszCaption when the backup could not be made.
    bool KeepBackup(const QString& strPath, const char* pszCaption);
    // Unsaved edits are never dropped silently: true when there are none, or the user saved them
    // or chose to discard them.
    bool ConfirmClose();
    // The document is now strPath (Save writes there when strFormat is a writable format).
    void SetDocument(const QString& strPath, const QString& strFormat, const QString& strName);
    void UpdateTitle();
    // After every change of the history: the Edit commands, the title and ModifiedChanged.
    void OnHistoryChanged();
    void UpdateFilterStatus();
    void RestoreLayout();
    void SaveLayout() const;
    // "<caption>" box with the stored last-error message (cleared afterwards) or "Unknown Error!".
    void ReportLastError(const char* pszCaption);
    void ShowInfo(const QString& strText, const char* pszCaption);
    void ShowError(const QString& strText, const char* pszCaption);
    QAction* AddAction(const char* pszName, const QString& strText);

    IPrompt& m_prompt;
    std::unique_ptr<CFrameAddrSource> m_pAddrSource;
    std::unique_ptr<CProgDb> m_pDb;
    QSplitter* m_pSplitter = nullptr;
    CProgBrowseView* m_pTreeView = nullptr;
    CProgListView* m_pListView = nullptr;
    QLabel* m_pMessagePane = nullptr;
    CEncodingMenu* m_pEncodingMenu = nullptr;
    CRecentFiles* m_pRecentFiles = nullptr;
    QAction* m_pBackupAction = nullptr;
    QString m_strCurDir;
    CConverterRun m_converter;
    CBackupKeeper m_backups;
    CEditHistory m_history;
    CClipboardManager* m_pClipboard = nullptr;
    CEditActions* m_pEditActions = nullptr;
    bool m_bModified = false; // as ModifiedChanged last told
    QString m_strDocPath;
    std::string m_strDocFormat;
    QString m_strDocName;
    std::function<void()> m_fnAbout;
};
