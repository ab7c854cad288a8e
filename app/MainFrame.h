#pragma once

#include "app/ConverterRun.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class CAccessIn;
class CAccessOut;
class CEncodingMenu;
class CProgBrowseView;
class CProgDb;
class CProgListView;
class IPrompt;
class QLabel;
class QSplitter;

// The editor's only top-level window. It owns the channel database, shows it in the tree pane
// (left, 160 pixels) and the list pane (right), and carries out the File commands: every load
// command runs DoLoad with one importer, every save command DoSave with one exporter, and "Merge
// To Bin" writes the database into a firmware image and has the converter turn that image into a
// USB upgrade image. Every question and message goes through the injected prompt. The commands
// find their importers, exporters and file dialog filters in the table of formats.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    // The prompt is not owned and must outlive the frame. The process's current directory is read
    // now: it is the first place where the converter is looked for.
    explicit CMainFrame(IPrompt& prompt, QWidget* pParent = nullptr);
    ~CMainFrame() override;

    // Asks for a file with the importer's filter and loads it into the database (created on the
    // first confirmed load, cleared on every later one). Then both panes show the database.
    void DoLoad(CAccessIn& importer, const QString& strFilter);
    // The same without the dialog; false when the load failed (the error was already shown).
    bool LoadPath(CAccessIn& importer, const QString& strPath);
    // Loads a file named on the command line, with the format its extension names (.db, .xls);
    // any other file is read as a .db file.
    bool OpenFile(const QString& strPath);
    // Loads the built-in sample database.
    bool OpenSample();
    // Asks for a target (proposing "DefaultDb.<ext>") and writes the database with the exporter.
    void DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter);

    void OnOpenDb();
    void OnOpenExcel();
    void OnOpenBin20();
    void OnOpenBin25();
    void OnSaveAsDb();
    void OnSaveAsExcel();
    void OnMergeToBin();
    // "Merge To Bin" with a given merge writer: asks for the image P, merges the database into it,
    // then has the converter (CConverterRun, looked for in the start-up directory first) turn it
    // into a USB upgrade image at P.
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
    const QString& GetStartDir() const { return m_strCurDir; }
    // Records were deleted or moved since the last load or save.
    bool IsModified() const { return m_bModified; }

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FocusOtherPane();
    // DoLoad and DoSave with the importer or exporter and the filter of a format of the table.
    void LoadFormat(const char* pszFormat);
    void SaveFormat(const char* pszFormat);
    // Unsaved edits are never dropped silently: true when there are none or the user discards them.
    bool ConfirmDiscard();
    // "<caption>" box with the stored last-error message (cleared afterwards) or "Unknown Error!".
    void ReportLastError(const char* pszCaption);
    void ShowInfo(const QString& strText, const char* pszCaption);
    void ShowError(const QString& strText, const char* pszCaption);
    QAction* AddAction(const char* pszName, const QString& strText);

    IPrompt& m_prompt;
    std::unique_ptr<CProgDb> m_pDb;
    QSplitter* m_pSplitter = nullptr;
    CProgBrowseView* m_pTreeView = nullptr;
    CProgListView* m_pListView = nullptr;
    QLabel* m_pMessagePane = nullptr;
    CEncodingMenu* m_pEncodingMenu = nullptr;
    QString m_strCurDir;
    CConverterRun m_converter;
    bool m_bModified = false;
    std::function<void()> m_fnAbout;
};
