#pragma once

#include "app/PrintOptions.h"

#include <QObject>

#include <functional>

class CDocument;
class CFileCommands;
class CPrintOptionsDlg;
class CPrintPreview;
class CProgListView;
class IPrompt;
class QAction;
class QMainWindow;
class QMenu;
struct SPrintSource;

// The File menu's ways out of the editor other than its own formats: "Print..." (Ctrl+P: the print
// options, then Qt's print preview, printed from there), "Export PDF..." (the same pages into a PDF
// file, with a progress dialog that can cancel), "Export CSV..." and "Export HTML..." (rows of the
// table of formats written by the save routine, without becoming the document). What is printed is
// either the programs the list shows, in its order, or the whole database grouped by satellite and
// transponder; the options are remembered.
class CPrintCommands : public QObject
{
    Q_OBJECT

public:
    // The actions become children of the frame; nothing is owned.
    CPrintCommands(QMainWindow& frame, CDocument& doc, CProgListView& list, CFileCommands& files,
                   IPrompt& prompt);

    void OnPrint();
    void OnExportPdf();

    // Runs the options dialog in place of its modal loop and returns its result; for tests.
    void SetOptionsDlgRunner(std::function<int(CPrintOptionsDlg&)> fn) { m_fnRunOptionsDlg = std::move(fn); }
    // Runs the preview in place of its modal loop; for tests.
    void SetPreviewRunner(std::function<void(CPrintPreview&)> fn) { m_fnRunPreview = std::move(fn); }

private:
    // The options dialog with strCaption; false when cancelled (or nothing is open).
    bool AskOptions(const QString& strCaption, SPrintOptions& options);
    SPrintSource MakeSource() const;

    QMainWindow& m_frame;
    CDocument& m_doc;
    CProgListView& m_list;
    CFileCommands& m_files;
    IPrompt& m_prompt;
    QAction* m_pPrint = nullptr;
    QAction* m_pExportPdf = nullptr;
    QAction* m_pExportCsv = nullptr;
    QAction* m_pExportHtml = nullptr;
    std::function<int(CPrintOptionsDlg&)> m_fnRunOptionsDlg;
    std::function<void(CPrintPreview&)> m_fnRunPreview;
};
