#pragma once

#include "app/ConverterRun.h"
#include "platform/Backup.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class CAccessIn;
class CAccessOut;
class CDocument;
class CFrameAddrSource;
class CProgDb;
class CRecentFiles;
class IPrompt;
class QAction;
class QMainWindow;
class QMenu;
struct RecentFile;

// The File menu's commands on the edited document: every load command runs one importer of the
// table of formats on a file the user chose (the firmware readers first ask for the user-database
// address), every save command one exporter, and "Merge To Bin" writes the database into a firmware
// image and has the converter turn that image into a USB upgrade image. Also Save (back to the
// document's file in its format), Recent Files, the backups of overwritten files (View > Keep
// Backups of Overwritten Files) and the question about unsaved changes. Every question and message
// goes through the prompt.
//
// A load reads into a new database, which replaces the document's only when the load worked; the
// frame then shows it (DocumentReplaced). A failed load or save leaves the document as it was.
class CFileCommands : public QObject
{
    Q_OBJECT

public:
    // The actions become children of the frame. Nothing is owned but the commands' own state; the
    // prompt and the document must outlive this. strStartDir is the first place where the converter
    // is looked for.
    CFileCommands(QMainWindow& frame, IPrompt& prompt, CDocument& doc, const QString& strStartDir);
    ~CFileCommands() override;

    // Called before the database is read for a save, a merge or a close: a cell being typed into is
    // set first.
    void SetCommitEditing(std::function<void()> fn) { m_fnCommitEditing = std::move(fn); }
    // Adds File > Recent Files to the File menu before pBefore. The other commands are actions of the
    // frame with object names ("actionOpenDb", "actionSave", ...), which the frame puts in its menu.
    void AddRecentFiles(QMenu* pFile, QAction* pBefore);
    // View > Keep Backups of Overwritten Files (on unless turned off; remembered).
    QAction* GetBackupAction() const { return m_pBackupAction; }
    bool IsKeepingBackups() const;
    CRecentFiles* GetRecentFiles() const { return m_pRecentFiles; }

    // Asks whether to save unsaved changes, then for a file with the importer's filter, and loads
    // it. After a failure the document stays as it was.
    void DoLoad(CAccessIn& importer, const QString& strFilter);
    // The same without the questions; false when the load failed (the error was already shown) or
    // the user cancelled the address question of layout 2.5.
    bool LoadPath(CAccessIn& importer, const QString& strPath);
    // Loads a file named on the command line, with the format its extension names (.db, .xls,
    // .json); any other file is read as a .db file.
    bool OpenFile(const QString& strPath);
    // Loads an entry of Recent Files with its format, and a firmware image with its address, after
    // asking about unsaved changes. A file that no longer exists leaves the list.
    bool OpenRecent(const RecentFile& file);
    // Loads the built-in sample database.
    bool OpenSample();
    // File > New: after the question about unsaved changes, an empty database titled "Untitled",
    // without a file (Save asks for one). False when the user cancelled.
    bool OnNew();
    // Asks for a target (proposing "DefaultDb.<ext>"; an existing file is replaced only after the
    // dialog's question) and writes the database with the exporter.
    void DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter);
    // File > Save: writes back to the document's file in its format; without one (a firmware image,
    // the sample) it asks like Save As Db. True when the database was saved.
    bool OnSave();
    // "Merge To Bin" with a given merge writer: asks for the image P, looks for the converter (the
    // start-up directory first) and stops before anything is written when it is missing; merges the
    // database into P, then has the converter turn it into a USB upgrade image at P.
    void DoMerge(CAccessOut& writer);
    // File > Export CSV... and Export HTML...: asks for a target (proposing the document's name with
    // the format's extension) and writes the database with the exporter of a format of the table that
    // is export only. The file does not become the document and the changes do not count as saved.
    // True when it was written.
    bool ExportFormat(const char* pszFormat);
    // Before strPath is overwritten: makes its backup when backups are kept. false after a message
    // under pszCaption when the backup could not be made.
    bool KeepBackup(const QString& strPath, const char* pszCaption);
    // A target file for an export: the save dialog with strFilter, proposing the document's name with
    // strExtension. Empty when cancelled.
    QString AskExportPath(const QString& strFilter, const QString& strExtension);
    // "<caption>" box with the stored last-error message (cleared afterwards) or "Unknown Error!".
    void ReportLastError(const char* pszCaption);

    // How long the merge waits for the converter before giving up.
    void SetConverterTimeout(int nMilliseconds) { m_converter.SetTimeout(nMilliseconds); }

    // Unsaved edits are never dropped silently: true when there are none, or the user saved them or
    // chose to discard them.
    bool ConfirmClose();

    // Reads strPath with the importer into a new database, for a document other than the edited one
    // (the reference list); the firmware readers ask for the address. Null after the error was shown,
    // or when the address question of layout 2.5 was cancelled.
    std::unique_ptr<CProgDb> ReadFile(CAccessIn& importer, const QString& strPath);
    // The importer of a format of the table, asking through this object's address source.
    std::unique_ptr<CAccessIn> MakeImporter(const char* pszFormat);

signals:
    // The document has a new database (a load), or its file or name changed (a load or a save).
    void DocumentReplaced();
    void DocumentFileChanged();
    // A short note for the status bar ("Saved channels.db").
    void StatusMessage(const QString& strText, int nTimeoutMs);

private:
    QAction* AddAction(const char* pszName, const QString& strText, void (CFileCommands::*pfnHandler)());
    void OnOpenDb();
    void OnOpenExcel();
    void OnOpenJson();
    void OnOpenBin20();
    void OnOpenBin25();
    void OnSaveAsDb();
    void OnSaveAsExcel();
    void OnSaveAsJson();
    void OnMergeToBin();
    // DoLoad and DoSave with the importer or exporter and the filter of a format of the table.
    void LoadFormat(const char* pszFormat);
    bool SaveFormat(const char* pszFormat);
    // The dialog and the load of DoLoad; strFormat names the importer's format, empty for one from
    // outside the table.
    void LoadWithDialog(CAccessIn& importer, const QString& strFilter, const QString& strFormat);
    // Reads strPath into a new database and makes it the document's when that worked. strFormat
    // (with nAddr for a firmware image) is what Recent Files reopens it with.
    bool LoadFile(CAccessIn& importer, const QString& strPath, const QString& strFormat, uint32_t nAddr);
    // The dialog and the write of DoSave; true when the database was written.
    bool SaveWithDialog(CAccessOut& exporter, const QString& strExtension, const QString& strFilter,
                        const QString& strFormat);
    // Keeps the backup, then writes the database to strPath with the exporter. On success the file
    // becomes the document's (when strFormat is a format of the table that can be read back) and the
    // changes count as saved. false after a message under "Save Error".
    bool WriteDb(CAccessOut& exporter, const QString& strPath, const QString& strFormat);
    // The document is now strPath (Save writes there when strFormat is a writable format).
    void SetDocumentFile(const QString& strPath, const QString& strFormat, const QString& strName);
    void CommitEditing();
    void ShowInfo(const QString& strText, const char* pszCaption);
    void ShowError(const QString& strText, const char* pszCaption);

    QMainWindow& m_frame;
    IPrompt& m_prompt;
    CDocument& m_doc;
    std::unique_ptr<CFrameAddrSource> m_pAddrSource;
    CConverterRun m_converter;
    CBackupKeeper m_backups;
    CRecentFiles* m_pRecentFiles = nullptr;
    QAction* m_pBackupAction = nullptr;
    std::function<void()> m_fnCommitEditing;
};
