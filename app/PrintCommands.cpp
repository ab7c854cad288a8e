#include "app/PrintCommands.h"

#include "access/LastError.h"
#include "app/ChannelPrint.h"
#include "app/FileCommands.h"
#include "app/PrintOptionsDlg.h"
#include "app/Prompt.h"
#include "db/ChannelTable.h"
#include "db/ProgDb.h"
#include "edit/Document.h"
#include "platform/CodePage.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

CPrintCommands::CPrintCommands(QMainWindow& frame, CDocument& doc, CProgListView& list, CFileCommands& files,
                               IPrompt& prompt)
    : QObject(&frame), m_frame(frame), m_doc(doc), m_list(list), m_files(files), m_prompt(prompt)
{
    const auto Add = [&frame](const char* pszName, const QString& strText) {
        auto* pAction = new QAction(strText, &frame);
        pAction->setObjectName(QString::fromLatin1(pszName));
        frame.addAction(pAction); // the keys work while the action is in no visible menu
        return pAction;
    };
    m_pPrint = Add("actionPrint", QStringLiteral("&Print..."));
    m_pPrint->setShortcut(QKeySequence::Print);
    connect(m_pPrint, &QAction::triggered, this, &CPrintCommands::OnPrint);
    m_pExportPdf = Add("actionExportPdf", QStringLiteral("Export P&DF..."));
    connect(m_pExportPdf, &QAction::triggered, this, &CPrintCommands::OnExportPdf);
    m_pExportCsv = Add("actionExportCsv", QStringLiteral("Export &CSV..."));
    connect(m_pExportCsv, &QAction::triggered, this, [this] {
        m_list.CommitEditing();
        m_files.ExportFormat("csv");
    });
    m_pExportHtml = Add("actionExportHtml", QStringLiteral("Export &HTML..."));
    connect(m_pExportHtml, &QAction::triggered, this, [this] {
        m_list.CommitEditing();
        m_files.ExportFormat("html");
    });
}

SPrintSource CPrintCommands::MakeSource() const
{
    SPrintSource source;
    source.pDb = m_doc.GetDb();
    if (m_list.GetModel()->GetColumns() == CProgListModel::COLUMNS_PROG)
        source.listedPlaces = ProgramPlaces(*m_doc.GetDb(), m_list.GetModel()->GetIds());
    source.strTitle = QString::fromStdString(m_doc.GetName());
    source.nCodePage = CodePage::GetAnsiCodePage();
    return source;
}

bool CPrintCommands::AskOptions(const QString& strCaption, SPrintOptions& options)
{
    if (!m_doc.GetDb() || m_doc.GetDb()->IsEmpty()) {
        m_prompt.ShowMessage("No data to print!", "Empty", IMessageSink::ICON_ERROR);
        return false;
    }
    m_list.CommitEditing();
    const int nListed =
        m_list.GetModel()->GetColumns() == CProgListModel::COLUMNS_PROG ? m_list.GetRowCount() : 0;
    CPrintOptionsDlg dlg(LoadPrintOptions(), nListed, strCaption, &m_frame);
    const int nResult = m_fnRunOptionsDlg ? m_fnRunOptionsDlg(dlg) : dlg.exec();
    if (nResult != QDialog::Accepted)
        return false;
    options = dlg.GetOptions();
    SavePrintOptions(options);
    return true;
}

void CPrintCommands::OnPrint()
{
    SPrintOptions options;
    if (!AskOptions(QStringLiteral("Print"), options))
        return;
    CChannelPrintLayout layout = MakePrintLayout(MakeSource(), options);
    CPrintPreview preview(layout, &m_frame);
    if (m_fnRunPreview)
        m_fnRunPreview(preview);
    else
        preview.Exec();
}

void CPrintCommands::OnExportPdf()
{
    SPrintOptions options;
    if (!AskOptions(QStringLiteral("Export PDF"), options))
        return;
    const QString strPath =
        m_files.AskExportPath(QStringLiteral("PDF File(*.pdf);;All Files (*.*)"), QStringLiteral("pdf"));
    if (strPath.isEmpty() || !m_files.KeepBackup(strPath, "Save Error"))
        return;
    CChannelPrintLayout layout = MakePrintLayout(MakeSource(), options);
    switch (ExportPdf(layout, strPath, &m_frame)) {
    case PdfResult::Written:
        m_frame.statusBar()->showMessage(QStringLiteral("Exported %1").arg(QDir::toNativeSeparators(strPath)),
                                         5000);
        break;
    case PdfResult::Cancelled:
        break;
    case PdfResult::Failed:
        m_files.ReportLastError("Save Error");
        break;
    }
}
