#include "app/FileCommands.h"

#include "access/Access.h"
#include "access/AccessDftDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "app/Prompt.h"
#include "app/RecentFiles.h"
#include "db/ProgDb.h"
#include "edit/Document.h"
#include "formats/Formats.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QSettings>

// The readers ask the user for the user-database address through the prompt, which in the editor
// opens the "UserDb Config" dialog. The answer is kept for Recent Files; a layout that cannot search
// answered with 0 means the dialog was cancelled.
class CFrameAddrSource : public IUserDbAddrSource
{
public:
    explicit CFrameAddrSource(IPrompt& prompt) : m_prompt(prompt) {}
    uint32_t AskUserDbAddr(bool bAutoAllowed) override
    {
        m_nAnswer = m_prompt.AskUserDbAddr(bAutoAllowed);
        m_bCancelled = !bAutoAllowed && m_nAnswer == 0;
        return m_nAnswer;
    }
    void Reset()
    {
        m_nAnswer = 0;
        m_bCancelled = false;
    }
    uint32_t GetAnswer() const { return m_nAnswer; }
    bool WasCancelled() const { return m_bCancelled; }

private:
    IPrompt& m_prompt;
    uint32_t m_nAnswer = 0;
    bool m_bCancelled = false;
};

namespace {

const char* const SETTINGS_BACKUPS = "Settings/KeepBackups";

bool IsFirmwareFormat(const QString& strFormat)
{
    return strFormat.startsWith(QLatin1String("bin"));
}

class CWaitCursor
{
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { Restore(); }
    void Restore()
    {
        if (m_bActive)
            QApplication::restoreOverrideCursor();
        m_bActive = false;
    }

private:
    bool m_bActive = true;
};

} // namespace

CFileCommands::CFileCommands(QMainWindow& frame, IPrompt& prompt, CDocument& doc, const QString& strStartDir)
    : QObject(&frame), m_frame(frame), m_prompt(prompt), m_doc(doc),
      m_pAddrSource(std::make_unique<CFrameAddrSource>(prompt)), m_converter(strStartDir)
{
    const struct
    {
        const char* pszName;
        const char* pszText;
        void (CFileCommands::*pfnHandler)();
        QKeySequence key;
    } files[] = {
        {"actionOpenDb", "Open Db", &CFileCommands::OnOpenDb, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"actionOpenExcel", "Open Excel", &CFileCommands::OnOpenExcel, QKeySequence()},
        {"actionOpenJson", "Open JSON", &CFileCommands::OnOpenJson, QKeySequence()},
        {"actionOpenBin20", "Open Bin 2.0", &CFileCommands::OnOpenBin20, QKeySequence()},
        {"actionOpenBin25", "Open Bin 2.5", &CFileCommands::OnOpenBin25, QKeySequence()},
        {"actionSaveAsDb", "Save As Db", &CFileCommands::OnSaveAsDb, QKeySequence()},
        {"actionSaveAsExcel", "Save As Excel", &CFileCommands::OnSaveAsExcel, QKeySequence()},
        {"actionSaveAsJson", "Save As JSON", &CFileCommands::OnSaveAsJson, QKeySequence()},
        {"actionMergeToBin", "Merge To Bin", &CFileCommands::OnMergeToBin, QKeySequence()},
    };
    for (const auto& f : files)
        AddAction(f.pszName, QString::fromLatin1(f.pszText), f.pfnHandler)->setShortcut(f.key);
    QAction* pNew = new QAction(QStringLiteral("&New"), &m_frame);
    pNew->setObjectName("actionNew");
    pNew->setShortcut(QKeySequence::New);
    m_frame.addAction(pNew);
    connect(pNew, &QAction::triggered, this, &CFileCommands::OnNew);
    QAction* pSave = new QAction(QStringLiteral("&Save"), &m_frame);
    pSave->setObjectName("actionSave");
    pSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_frame.addAction(pSave);
    connect(pSave, &QAction::triggered, this, &CFileCommands::OnSave);
    QAction* pExit = new QAction(QStringLiteral("E&xit"), &m_frame);
    pExit->setObjectName("actionExit");
    m_frame.addAction(pExit);
    connect(pExit, &QAction::triggered, &m_frame, &QWidget::close);

    m_pBackupAction = new QAction(QStringLiteral("Keep &Backups of Overwritten Files"), &m_frame);
    m_pBackupAction->setObjectName("actionKeepBackups");
    m_pBackupAction->setCheckable(true);
    m_pBackupAction->setChecked(QSettings().value(SETTINGS_BACKUPS, true).toBool());
    connect(m_pBackupAction, &QAction::toggled, this,
            [](bool bOn) { QSettings().setValue(SETTINGS_BACKUPS, bOn); });
}

CFileCommands::~CFileCommands() = default;

QAction* CFileCommands::AddAction(const char* pszName, const QString& strText,
                                  void (CFileCommands::*pfnHandler)())
{
    auto* pAction = new QAction(strText, &m_frame);
    pAction->setObjectName(QString::fromLatin1(pszName));
    m_frame.addAction(pAction); // shortcuts work even while the action is in no visible menu
    connect(pAction, &QAction::triggered, this, pfnHandler);
    return pAction;
}

void CFileCommands::AddRecentFiles(QMenu* pFile, QAction* pBefore)
{
    m_pRecentFiles = new CRecentFiles(pFile, pBefore, this);
    connect(m_pRecentFiles, &CRecentFiles::OpenRequested, this,
            [this](const RecentFile& file) { OpenRecent(file); });
}

bool CFileCommands::IsKeepingBackups() const
{
    return m_pBackupAction->isChecked();
}

void CFileCommands::CommitEditing()
{
    if (m_fnCommitEditing)
        m_fnCommitEditing();
}

void CFileCommands::ShowInfo(const QString& strText, const char* pszCaption)
{
    m_prompt.ShowMessage(strText.toStdString(), pszCaption, IMessageSink::ICON_INFORMATION);
}

void CFileCommands::ShowError(const QString& strText, const char* pszCaption)
{
    m_prompt.ShowMessage(strText.toStdString(), pszCaption, IMessageSink::ICON_ERROR);
}

void CFileCommands::ReportLastError(const char* pszCaption)
{
    if (HasLastError() != 0) {
        m_prompt.ShowMessage(GetLastErrorMsg(), pszCaption, IMessageSink::ICON_ERROR);
        ClearLastError();
    } else {
        m_prompt.ShowMessage("Unknown Error!", pszCaption, IMessageSink::ICON_ERROR);
    }
}

void CFileCommands::SetDocumentFile(const QString& strPath, const QString& strFormat, const QString& strName)
{
    // Save writes the document back in its format, and a load must be able to read it again.
    const FileFormat* pFormat = FindFormatByName(strFormat.toStdString());
    if (pFormat && pFormat->fnMakeOut && pFormat->fnMakeIn && !strPath.isEmpty())
        m_doc.SetFile(strPath.toStdString(), pFormat->strName, strName.toStdString());
    else
        m_doc.SetFile(std::string(), std::string(), strName.toStdString());
    emit DocumentFileChanged();
}

bool CFileCommands::ConfirmClose()
{
    CommitEditing(); // what is being typed counts as a change
    if (!m_doc.IsModified())
        return true;
    switch (m_prompt.AskSaveChanges()) {
    case IPrompt::CHOICE_SAVE:
        return OnSave();
    case IPrompt::CHOICE_DISCARD:
        return true;
    case IPrompt::CHOICE_CANCEL:
        break;
    }
    return false;
}

void CFileCommands::DoLoad(CAccessIn& importer, const QString& strFilter)
{
    LoadWithDialog(importer, strFilter, QString());
}

void CFileCommands::LoadWithDialog(CAccessIn& importer, const QString& strFilter, const QString& strFormat)
{
    if (!ConfirmClose())
        return;
    const QString strPath = m_prompt.GetOpenFileName(strFilter);
    if (strPath.isEmpty())
        return;
    m_pAddrSource->Reset();
    LoadFile(importer, strPath, strFormat, 0);
}

bool CFileCommands::LoadPath(CAccessIn& importer, const QString& strPath)
{
    m_pAddrSource->Reset();
    return LoadFile(importer, strPath, QString(), 0);
}

std::unique_ptr<CProgDb> CFileCommands::ReadFile(CAccessIn& importer, const QString& strPath)
{
    auto pNew = std::make_unique<CProgDb>();
    CWaitCursor wait;
    const bool bOk = importer.LoadDb(strPath.toStdString(), pNew.get());
    wait.Restore();
    if (bOk)
        return pNew;
    // A layout 2.5 image whose address question was cancelled: the user gave up the load.
    if (!m_pAddrSource->WasCancelled())
        ReportLastError("Load Error");
    return nullptr;
}

std::unique_ptr<CAccessIn> CFileCommands::MakeImporter(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    m_pAddrSource->Reset();
    return pFormat && pFormat->fnMakeIn ? pFormat->fnMakeIn({*m_pAddrSource, m_prompt}) : nullptr;
}

bool CFileCommands::LoadFile(CAccessIn& importer, const QString& strPath, const QString& strFormat,
                             uint32_t nAddr)
{
    // A new database: the one shown is replaced only by a load that worked.
    std::unique_ptr<CProgDb> pNew = ReadFile(importer, strPath);
    if (!pNew) {
        if (!m_pAddrSource->WasCancelled() && !strFormat.isEmpty() && !QFileInfo::exists(strPath))
            m_pRecentFiles->Remove(strPath);
        return false;
    }

    const std::unique_ptr<CProgDb> pOld = m_doc.Replace(std::move(pNew));
    emit DocumentReplaced(); // the panes let go of the old database
    if (strPath.isEmpty()) {
        SetDocumentFile(QString(), QString(), QStringLiteral("Sample"));
    } else {
        SetDocumentFile(strPath, strFormat, QFileInfo(strPath).fileName());
        if (!strFormat.isEmpty()) {
            RecentFile recent;
            recent.strPath = strPath;
            recent.strFormat = strFormat;
            recent.nAddr = IsFirmwareFormat(strFormat) ? (nAddr ? nAddr : m_pAddrSource->GetAnswer()) : 0;
            m_pRecentFiles->Add(recent);
        }
    }
    if (m_doc.GetDb()->IsEmpty()) {
        const std::string strNote = importer.DescribeEmptyResult();
        if (!strNote.empty())
            ShowInfo(QString::fromStdString(strNote), "Empty");
    }
    return true;
}

bool CFileCommands::OpenFile(const QString& strPath)
{
    const FileFormat* pFormat = FindFormatByPath(strPath.toStdString());
    if (!pFormat || !pFormat->fnMakeIn)
        pFormat = FindFormatByName("db");
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({*m_pAddrSource, m_prompt});
    m_pAddrSource->Reset();
    return LoadFile(*pImporter, strPath, QString::fromStdString(pFormat->strName), 0);
}

bool CFileCommands::OpenRecent(const RecentFile& file)
{
    const FileFormat* pFormat = FindFormatByName(file.strFormat.toStdString());
    if (!pFormat || !pFormat->fnMakeIn) {
        m_pRecentFiles->Remove(file.strPath);
        return false;
    }
    if (!ConfirmClose())
        return false;
    // A firmware image is read again from the address given the first time, without asking.
    CFixedUserDbAddr addr(file.nAddr);
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({addr, m_prompt});
    m_pAddrSource->Reset();
    return LoadFile(*pImporter, file.strPath, file.strFormat, file.nAddr);
}

bool CFileCommands::OnNew()
{
    if (!ConfirmClose())
        return false;
    const std::unique_ptr<CProgDb> pOld = m_doc.Replace(std::make_unique<CProgDb>());
    emit DocumentReplaced(); // the panes let go of the old database
    SetDocumentFile(QString(), QString(), QStringLiteral("Untitled"));
    return true;
}

bool CFileCommands::OpenSample()
{
    CAccessDummyIn importer;
    m_pAddrSource->Reset();
    return LoadFile(importer, QString(), QString(), 0);
}

void CFileCommands::DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter)
{
    SaveWithDialog(exporter, strExtension, strFilter, QString());
}

bool CFileCommands::SaveWithDialog(CAccessOut& exporter, const QString& strExtension,
                                   const QString& strFilter, const QString& strFormat)
{
    if (!m_doc.GetDb() || m_doc.GetDb()->IsEmpty()) {
        ShowError(QStringLiteral("No data to save!"), "Empty");
        return false;
    }
    const QString strPath =
        m_prompt.GetSaveFileName(strFilter, QStringLiteral("DefaultDb.") + strExtension, strExtension, false);
    if (strPath.isEmpty())
        return false;
    if (!WriteDb(exporter, strPath, strFormat))
        return false;
    ShowInfo(QStringLiteral("Save default program finished!"), "Finish");
    return true;
}

bool CFileCommands::KeepBackup(const QString& strPath, const char* pszCaption)
{
    if (!IsKeepingBackups())
        return true;
    std::string strError;
    if (m_backups.BeforeOverwrite(strPath.toStdString(), strError))
        return true;
    ShowError(
        QStringLiteral("No backup of %1 could be made (%2), so it was not overwritten.\n\n"
                       "To write it without a backup, turn off View > Keep Backups of Overwritten Files.")
            .arg(QDir::toNativeSeparators(strPath), QString::fromStdString(strError)),
        pszCaption);
    return false;
}

bool CFileCommands::WriteDb(CAccessOut& exporter, const QString& strPath, const QString& strFormat)
{
    CommitEditing();
    if (!KeepBackup(strPath, "Save Error"))
        return false;
    CWaitCursor wait;
    const bool bOk = exporter.SaveDb(strPath.toStdString(), m_doc.GetDb());
    wait.Restore();
    if (!bOk) {
        ReportLastError("Save Error");
        return false;
    }
    // An export only (CSV, HTML) does not hold the database: nothing counts as saved.
    const FileFormat* pFormat = FindFormatByName(strFormat.toStdString());
    if (pFormat && IsExportOnly(*pFormat))
        return true;
    m_doc.GetHistory().SetClean();
    if (!strFormat.isEmpty()) {
        SetDocumentFile(strPath, strFormat, QFileInfo(strPath).fileName());
        RecentFile recent;
        recent.strPath = strPath;
        recent.strFormat = strFormat;
        m_pRecentFiles->Add(recent);
    }
    return true;
}

void CFileCommands::LoadFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({*m_pAddrSource, m_prompt});
    LoadWithDialog(*pImporter, QString::fromStdString(pFormat->strFilter), QString::fromLatin1(pszFormat));
}

bool CFileCommands::SaveFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    return SaveWithDialog(*pExporter, QString::fromStdString(DefaultExtension(*pFormat)),
                          QString::fromStdString(pFormat->strFilter), QString::fromLatin1(pszFormat));
}

QString CFileCommands::AskExportPath(const QString& strFilter, const QString& strExtension)
{
    QString strBase = QFileInfo(QString::fromStdString(m_doc.GetName())).completeBaseName();
    if (strBase.isEmpty())
        strBase = QStringLiteral("DefaultDb");
    return m_prompt.GetSaveFileName(strFilter, strBase + QLatin1Char('.') + strExtension, strExtension,
                                    false);
}

bool CFileCommands::ExportFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    if (!pFormat || !pFormat->fnMakeOut)
        return false;
    if (!m_doc.GetDb() || m_doc.GetDb()->IsEmpty()) {
        ShowError(QStringLiteral("No data to save!"), "Empty");
        return false;
    }
    const QString strPath = AskExportPath(QString::fromStdString(pFormat->strFilter),
                                          QString::fromStdString(DefaultExtension(*pFormat)));
    if (strPath.isEmpty())
        return false;
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    if (!WriteDb(*pExporter, strPath, QString::fromLatin1(pszFormat)))
        return false;
    emit StatusMessage(QStringLiteral("Exported %1").arg(QDir::toNativeSeparators(strPath)), 5000);
    return true;
}

void CFileCommands::OnOpenDb()
{
    LoadFormat("db");
}

void CFileCommands::OnOpenExcel()
{
    LoadFormat("xls");
}

void CFileCommands::OnOpenJson()
{
    LoadFormat("json");
}

void CFileCommands::OnOpenBin20()
{
    LoadFormat("bin20");
}

void CFileCommands::OnOpenBin25()
{
    LoadFormat("bin25");
}

bool CFileCommands::OnSave()
{
    const FileFormat* pFormat = FindFormatByName(m_doc.GetFormat());
    if (m_doc.GetPath().empty() || !pFormat || !pFormat->fnMakeOut)
        return SaveFormat("db");
    if (!m_doc.GetDb() || m_doc.GetDb()->IsEmpty()) {
        ShowError(QStringLiteral("No data to save!"), "Empty");
        return false;
    }
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    const QString strPath = QString::fromStdString(m_doc.GetPath()); // WriteDb sets the file anew
    if (!WriteDb(*pExporter, strPath, QString::fromStdString(pFormat->strName)))
        return false;
    emit StatusMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(strPath)), 5000);
    return true;
}

void CFileCommands::OnSaveAsDb()
{
    SaveFormat("db");
}

void CFileCommands::OnSaveAsExcel()
{
    SaveFormat("xls");
}

void CFileCommands::OnSaveAsJson()
{
    SaveFormat("json");
}

void CFileCommands::OnMergeToBin()
{
    CAccessDftDbOut writer;
    DoMerge(writer);
}

// The image at P is merged in place; then the converter makes the USB upgrade image at P from it.
void CFileCommands::DoMerge(CAccessOut& writer)
{
    CommitEditing();
    if (!m_doc.GetDb() || m_doc.GetDb()->IsEmpty()) {
        ShowError(QStringLiteral("No data to merge!"), "Empty");
        return;
    }
    const QString strImage =
        m_prompt.GetSaveFileName(QString::fromLatin1(FIRMWARE_IMAGE_FILTER), QString(), QString(), true);
    if (strImage.isEmpty())
        return;
    // Without the converter no USB upgrade image can be made: the image is left untouched.
    if (m_converter.Find().isEmpty()) {
        ShowError(QStringLiteral("Merge Error, not find ") + CConverterRun::FileName(), "Merge Error");
        return;
    }
    if (!m_converter.CheckImage(strImage)) {
        ShowError(m_converter.GetError(), "Merge Error");
        return;
    }
    if (!KeepBackup(strImage, "Merge Error"))
        return;
    if (!writer.SaveDb(strImage.toStdString(), m_doc.GetDb())) {
        ReportLastError("Merge Error");
        return;
    }

    CWaitCursor wait;
    const bool bOk = m_converter.Run(strImage);
    wait.Restore();
    if (!bOk) {
        ShowError(m_converter.GetError(), "Merge Error");
        return;
    }
    ShowInfo(QStringLiteral("Merge default program finished!"), "Finish");
}
