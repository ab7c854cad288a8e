#include "app/MainFrame.h"

#include "access/AccessDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "app/Prompt.h"
#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include "access/AccessDftDb.h"
#include "access/AccessUserDb.h"
#include "access/AccessUserDb25.h"
// The spreadsheet exchange is offered once it is part of the core (app/CMakeLists.txt decides).
#ifdef RAVELIN_HAVE_EXCEL
#include "sheet/AccessExcel.h"
#endif

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

// File dialog filters.
const QString DB_FILTER = QStringLiteral("Program Db File(*.db);;All Files (*.*)");
const QString EXCEL_FILTER = QStringLiteral("Excel File(*.xls);;All Files (*.*)");
const QString BIN_FILTER = QStringLiteral("Binary File(*.bin);;All Files (*.*)");

constexpr int TREE_PANE_WIDTH = 160;
// A USB upgrade image: the 2 MiB image, trailer magic, CRC and zero fill to 4097 blocks of 512.
constexpr qint64 USB_IMAGE_SIZE = 0x200200;

const char* const SETTINGS_CODEPAGE = "Settings/CodePage";

const uint32_t g_codePages[] = {1252, 936,  950,  932,  949,  1250, 1251,  1253,
                                1254, 1255, 1256, 1257, 1258, 874,  28591, 65001};

const char* CodePageLabel(uint32_t cp)
{
    switch (cp) {
    case 1252:
        return "Western European";
    case 936:
        return "Chinese Simplified";
    case 950:
        return "Chinese Traditional";
    case 932:
        return "Japanese";
    case 949:
        return "Korean";
    case 1250:
        return "Central European";
    case 1251:
        return "Cyrillic";
    case 1253:
        return "Greek";
    case 1254:
        return "Turkish";
    case 1255:
        return "Hebrew";
    case 1256:
        return "Arabic";
    case 1257:
        return "Baltic";
    case 1258:
        return "Vietnamese";
    case 874:
        return "Thai";
    case 28591:
        return "Latin-1 (ISO 8859-1)";
    case 65001:
        return "Unicode (UTF-8)";
    default:
        return "";
    }
}

// The readers ask the user for the user-database address through the frame's prompt, which in
// the editor opens the "UserDb Config" dialog.
class CPromptAddrSource : public IUserDbAddrSource
{
public:
    explicit CPromptAddrSource(IPrompt& prompt) : m_prompt(prompt) {}
    uint32_t AskUserDbAddr() override { return m_prompt.AskUserDbAddr(); }

private:
    IPrompt& m_prompt;
};

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

const uint32_t* CMainFrame::CodePages(int& nCount)
{
    nCount = static_cast<int>(sizeof(g_codePages) / sizeof(g_codePages[0]));
    return g_codePages;
}

CMainFrame::CMainFrame(IPrompt& prompt, QWidget* pParent)
    : QMainWindow(pParent), m_prompt(prompt), m_strCurDir(QDir::currentPath())
{
    setObjectName("mainFrame");
    setWindowTitle(QStringLiteral("Ravelin %1").arg(QStringLiteral("Advanced")));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ravelin.png")));

    const uint32_t nSavedCp = QSettings().value(SETTINGS_CODEPAGE, 0u).toUInt();
    if (nSavedCp != 0 && CodePage::IsSupported(nSavedCp))
        CodePage::SetAnsiCodePage(nSavedCp);

    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setObjectName("splitter");
    m_pSplitter->setChildrenCollapsible(false);
    m_pTreeView = new CProgBrowseView(m_pSplitter);
    m_pListView = new CProgListView(m_pSplitter);
    m_pSplitter->addWidget(m_pTreeView);
    m_pSplitter->addWidget(m_pListView);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    m_pTreeView->SetListView(m_pListView);
    m_pListView->SetBrowseView(m_pTreeView);
    m_pListView->SetMessageSink(&m_prompt);
    connect(m_pListView, &CProgListView::DbModified, this, [this] { m_bModified = true; });
    setCentralWidget(m_pSplitter);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    resize(960, 600);
    m_pSplitter->setSizes({TREE_PANE_WIDTH, width() - TREE_PANE_WIDTH});
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddAction(const char* pszName, const QString& strText)
{
    auto* pAction = new QAction(strText, this);
    pAction->setObjectName(QString::fromLatin1(pszName));
    addAction(pAction); // shortcuts work even while the action is in no visible menu
    return pAction;
}

void CMainFrame::CreateActions()
{
    connect(AddAction("actionOpenDb", QStringLiteral("Open Db")), &QAction::triggered, this,
            &CMainFrame::OnOpenDb);
    QAction* pExcelIn = AddAction("actionOpenExcel", QStringLiteral("Open Excel"));
    QAction* pBin20 = AddAction("actionOpenBin20", QStringLiteral("Open Bin 2.0"));
    QAction* pBin25 = AddAction("actionOpenBin25", QStringLiteral("Open Bin 2.5"));
    QAction* pFilter = AddAction("actionFilter", QStringLiteral("Filter\tCtrl+F(&F)"));
    connect(AddAction("actionSaveAsDb", QStringLiteral("Save As Db")), &QAction::triggered, this,
            &CMainFrame::OnSaveAsDb);
    QAction* pExcelOut = AddAction("actionSaveAsExcel", QStringLiteral("Save As Excel"));
    QAction* pMerge = AddAction("actionMergeToBin", QStringLiteral("Merge To Bin"));
    QAction* pExit = AddAction("actionExit", QStringLiteral("E&xit"));

    connect(pExcelIn, &QAction::triggered, this, &CMainFrame::OnOpenExcel);
    connect(pBin20, &QAction::triggered, this, &CMainFrame::OnOpenBin20);
    connect(pBin25, &QAction::triggered, this, &CMainFrame::OnOpenBin25);
    connect(pExcelOut, &QAction::triggered, this, &CMainFrame::OnSaveAsExcel);
    connect(pMerge, &QAction::triggered, this, &CMainFrame::OnMergeToBin);
    connect(pExit, &QAction::triggered, this, &QWidget::close);
#ifndef RAVELIN_HAVE_EXCEL
    pExcelIn->setEnabled(false);
    pExcelOut->setEnabled(false);
#endif

    pFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_pListView->SetFilterAction(pFilter);

    // Clipboard and undo have no handler anywhere: their commands stay disabled.
    const struct
    {
        const char* pszName;
        const char* pszText;
        const char* pszIcon;
        QList<QKeySequence> keys;
    } edits[] = {
        {"actionCut",
         "Cu&t",
         ":/icons/cut.png",
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {"actionCopy",
         "&Copy",
         ":/icons/copy.png",
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {"actionPaste",
         "&Paste",
         ":/icons/paste.png",
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {"actionUndo",
         "&Undo",
         "",
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
    };
    for (const auto& e : edits) {
        QAction* pAction = AddAction(e.pszName, QString::fromLatin1(e.pszText));
        if (*e.pszIcon)
            pAction->setIcon(QIcon(QString::fromLatin1(e.pszIcon)));
        pAction->setShortcuts(e.keys);
        pAction->setEnabled(false);
    }

    QAction* pNext = AddAction("actionNextPane", QStringLiteral("Next Pane"));
    pNext->setShortcut(QKeySequence(Qt::Key_F6));
    connect(pNext, &QAction::triggered, this, &CMainFrame::FocusOtherPane);
    QAction* pPrev = AddAction("actionPrevPane", QStringLiteral("Previous Pane"));
    pPrev->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(pPrev, &QAction::triggered, this, &CMainFrame::FocusOtherPane);

    QAction* pAbout = AddAction("actionAbout", QStringLiteral("&About Pelmora..."));
    pAbout->setIcon(QIcon(QStringLiteral(":/icons/about.png")));
    connect(pAbout, &QAction::triggered, this, [this] {
        if (m_fnAbout)
            m_fnAbout();
    });
}

void CMainFrame::CreateMenus()
{
    QMenu* pFile = menuBar()->addMenu(QStringLiteral("&File"));
    pFile->setObjectName("menuFile");
    for (const char* pszName : {"actionOpenDb", "actionOpenExcel", "actionOpenBin20", "actionOpenBin25",
                                "actionFilter", "actionSaveAsDb", "actionSaveAsExcel", "actionMergeToBin"})
        pFile->addAction(findChild<QAction*>(QString::fromLatin1(pszName)));
    pFile->addSeparator();
    pFile->addAction(findChild<QAction*>(QStringLiteral("actionExit")));

    QMenu* pView = menuBar()->addMenu(QStringLiteral("&View"));
    pView->setObjectName("menuView");
    QAction* pToolBar = AddAction("actionViewToolBar", QStringLiteral("&Toolbar"));
    pToolBar->setCheckable(true);
    pToolBar->setChecked(true);
    QAction* pStatusBar = AddAction("actionViewStatusBar", QStringLiteral("&Status Bar"));
    pStatusBar->setCheckable(true);
    pStatusBar->setChecked(true);
    pView->addAction(pToolBar);
    pView->addAction(pStatusBar);
    CreateEncodingMenu(pView);

    QMenu* pHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    pHelp->setObjectName("menuHelp");
    pHelp->addAction(findChild<QAction*>(QStringLiteral("actionAbout")));
}

void CMainFrame::CreateEncodingMenu(QMenu* pView)
{
    QMenu* pEncoding = pView->addMenu(QStringLiteral("&Encoding"));
    pEncoding->setObjectName("menuEncoding");
    m_pCodePageGroup = new QActionGroup(this);
    m_pCodePageGroup->setExclusive(true);
    const uint32_t nCurrent = CodePage::GetAnsiCodePage();
    for (uint32_t cp : g_codePages) {
        QAction* pAction = pEncoding->addAction(
            QStringLiteral("%1 - %2").arg(cp).arg(QString::fromLatin1(CodePageLabel(cp))));
        pAction->setObjectName(QStringLiteral("actionCodePage%1").arg(cp));
        pAction->setCheckable(true);
        pAction->setChecked(cp == nCurrent);
        pAction->setData(cp);
        pAction->setEnabled(CodePage::IsSupported(cp));
        m_pCodePageGroup->addAction(pAction);
        connect(pAction, &QAction::triggered, this, [this, cp] { SetCodePage(cp); });
    }
}

void CMainFrame::CreateToolBar()
{
    QToolBar* pBar = addToolBar(QStringLiteral("Standard"));
    pBar->setObjectName("toolBar");
    pBar->setMovable(true);
    pBar->setFloatable(true);
    pBar->setAllowedAreas(Qt::AllToolBarAreas);
    pBar->setIconSize(QSize(16, 16));
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionCut")));
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionCopy")));
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionPaste")));
    pBar->addSeparator();
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionAbout")));
    addToolBar(Qt::TopToolBarArea, pBar);

    QAction* pToggle = findChild<QAction*>(QStringLiteral("actionViewToolBar"));
    connect(pToggle, &QAction::toggled, pBar, &QWidget::setVisible);
    connect(pBar, &QToolBar::visibilityChanged, pToggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* pBar = statusBar();
    pBar->setObjectName("statusBar");
    m_pMessagePane = new QLabel(QStringLiteral("Ready"), pBar);
    m_pMessagePane->setObjectName("messagePane");
    pBar->addWidget(m_pMessagePane, 1);
    // The lock-key indicators. Qt has no portable way to read the lock state, so they are shown
    // greyed, as a key that is off.
    for (const char* pszText : {"CAP", "NUM", "SCRL"}) {
        auto* pLabel = new QLabel(QString::fromLatin1(pszText), pBar);
        pLabel->setObjectName(QStringLiteral("indicator%1").arg(QString::fromLatin1(pszText)));
        pLabel->setEnabled(false);
        pLabel->setAlignment(Qt::AlignCenter);
        pLabel->setMinimumWidth(pLabel->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        pBar->addPermanentWidget(pLabel);
    }

    QAction* pToggle = findChild<QAction*>(QStringLiteral("actionViewStatusBar"));
    connect(pToggle, &QAction::toggled, pBar, &QWidget::setVisible);
}

void CMainFrame::FocusOtherPane()
{
    // With two panes the next and the previous pane are the same: the one without the focus.
    QWidget* pFocus = focusWidget();
    if (pFocus && (pFocus == m_pTreeView || m_pTreeView->isAncestorOf(pFocus)))
        m_pListView->setFocus(Qt::OtherFocusReason);
    else
        m_pTreeView->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::SetCodePage(uint32_t nCodePage)
{
    if (!CodePage::IsSupported(nCodePage))
        return;
    CodePage::SetAnsiCodePage(nCodePage);
    QSettings().setValue(SETTINGS_CODEPAGE, nCodePage);
    for (QAction* pAction : m_pCodePageGroup->actions())
        pAction->setChecked(pAction->data().toUInt() == nCodePage);
    m_pTreeView->RefreshNames();
    m_pListView->RefreshNames();
}

void CMainFrame::ShowInfo(const QString& strText, const char* pszCaption)
{
    m_prompt.ShowMessage(strText.toStdString(), pszCaption, IMessageSink::ICON_INFORMATION);
}

void CMainFrame::ShowError(const QString& strText, const char* pszCaption)
{
    m_prompt.ShowMessage(strText.toStdString(), pszCaption, IMessageSink::ICON_ERROR);
}

void CMainFrame::ReportLastError(const char* pszCaption)
{
    if (HasLastError() != 0) {
        m_prompt.ShowMessage(GetLastErrorMsg(), pszCaption, IMessageSink::ICON_ERROR);
        ClearLastError();
    } else {
        m_prompt.ShowMessage("Unknown Error!", pszCaption, IMessageSink::ICON_ERROR);
    }
}

bool CMainFrame::ConfirmDiscard()
{
    return !m_bModified || m_prompt.AskDiscardChanges();
}

void CMainFrame::DoLoad(CAccessIn& importer, const QString& strFilter)
{
    if (!ConfirmDiscard())
        return;
    const QString strPath = m_prompt.GetOpenFileName(strFilter);
    if (strPath.isEmpty())
        return;
    LoadPath(importer, strPath);
}

bool CMainFrame::LoadPath(CAccessIn& importer, const QString& strPath)
{
    if (m_pDb)
        m_pDb->Clear();
    else
        m_pDb = std::make_unique<CProgDb>();
    m_bModified = false;

    CWaitCursor wait;
    const bool bOk = importer.LoadDb(strPath.toStdString(), m_pDb.get());
    if (!bOk) {
        wait.Restore();
        ReportLastError("Load Error");
    }
    // Also after a failure: the panes must not keep rows of records that were cleared.
    m_pTreeView->ShowDb(m_pDb.get());
    m_pListView->ShowDb(m_pDb.get());
    return bOk;
}

bool CMainFrame::OpenFile(const QString& strPath)
{
    if (strPath.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive)) {
#ifdef RAVELIN_HAVE_EXCEL
        CAccessExcelIn importer(m_prompt);
        return LoadPath(importer, strPath);
#else
        ShowError(QStringLiteral("Spreadsheet workbooks are not supported by this build."), "Load Error");
        return false;
#endif
    }
    CAccessDbIn importer;
    return LoadPath(importer, strPath);
}

bool CMainFrame::OpenSample()
{
    CAccessDummyIn importer;
    return LoadPath(importer, QString());
}

void CMainFrame::DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter)
{
    if (!m_pDb || m_pDb->IsEmpty()) {
        ShowError(QStringLiteral("No data to save!"), "Empty");
        return;
    }
    const QString strPath =
        m_prompt.GetSaveFileName(strFilter, QStringLiteral("DefaultDb.") + strExtension, strExtension, false);
    if (strPath.isEmpty())
        return;

    CWaitCursor wait;
    const bool bOk = exporter.SaveDb(strPath.toStdString(), m_pDb.get());
    wait.Restore();
    if (!bOk) {
        ReportLastError("Save Error");
        return;
    }
    m_bModified = false;
    ShowInfo(QStringLiteral("Save default program finished!"), "Finish");
}

void CMainFrame::OnOpenDb()
{
    CAccessDbIn importer;
    DoLoad(importer, DB_FILTER);
}

void CMainFrame::OnOpenExcel()
{
#ifdef RAVELIN_HAVE_EXCEL
    CAccessExcelIn importer(m_prompt);
    DoLoad(importer, EXCEL_FILTER);
#endif
}

void CMainFrame::OnOpenBin20()
{
    CPromptAddrSource addr(m_prompt);
    CAccessUserDbIn importer(addr);
    DoLoad(importer, BIN_FILTER);
}

void CMainFrame::OnOpenBin25()
{
    CPromptAddrSource addr(m_prompt);
    CAccessUserDb25In importer(addr);
    DoLoad(importer, BIN_FILTER);
}

void CMainFrame::OnSaveAsDb()
{
    CAccessDbOut exporter;
    DoSave(exporter, QStringLiteral("db"), DB_FILTER);
}

void CMainFrame::OnSaveAsExcel()
{
#ifdef RAVELIN_HAVE_EXCEL
    CAccessExcelOut exporter;
    DoSave(exporter, QStringLiteral("xls"), EXCEL_FILTER);
#endif
}

void CMainFrame::OnMergeToBin()
{
    CAccessDftDbOut writer;
    DoMerge(writer);
}

QString CMainFrame::ConverterFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Tessary.exe");
#else
    return QStringLiteral("tessary");
#endif
}

QString CMainFrame::FindConverter() const
{
    for (const QString& strDir : {m_strCurDir, QCoreApplication::applicationDirPath()}) {
        const QFileInfo info(QDir(strDir).filePath(ConverterFileName()));
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    return QString();
}

// The image at P is merged in place, moved aside to P.tmp, and the converter writes the USB
// upgrade image to P from it. The merged image is only deleted once the converter has finished
// successfully and P holds a whole upgrade image; otherwise it is put back at P.
void CMainFrame::DoMerge(CAccessOut& writer)
{
    if (!m_pDb || m_pDb->IsEmpty()) {
        ShowError(QStringLiteral("No data to merge!"), "Empty");
        return;
    }
    const QString strImage = m_prompt.GetSaveFileName(BIN_FILTER, QString(), QString(), true);
    if (strImage.isEmpty())
        return;
    const QString strTmp = strImage + QStringLiteral(".tmp");
    if (QFileInfo::exists(strTmp)) {
        ShowError(QStringLiteral("Merge Error, the file %1 already exists. Move it away and merge again.")
                      .arg(QDir::toNativeSeparators(strTmp)),
                  "Merge Error");
        return;
    }

    if (!writer.SaveDb(strImage.toStdString(), m_pDb.get())) {
        ReportLastError("Merge Error");
        return;
    }

    const QString strConverter = FindConverter();
    if (strConverter.isEmpty()) {
        ShowError(QStringLiteral("Merge Error, not find ") + ConverterFileName(), "Merge Error");
        return;
    }
    if (!QFile::rename(strImage, strTmp)) {
        ShowError(QStringLiteral("Merge Error, cannot rename %1 to %2.")
                      .arg(QDir::toNativeSeparators(strImage), QDir::toNativeSeparators(strTmp)),
                  "Merge Error");
        return;
    }

    CWaitCursor wait;
    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    converter.start(strConverter, {strTmp, strImage});
    bool bFinished = converter.waitForStarted() && converter.waitForFinished(m_nConverterTimeoutMs);
    if (!bFinished && converter.state() != QProcess::NotRunning) {
        converter.kill();
        converter.waitForFinished(5000);
    }
    const QString strOutput = QString::fromLocal8Bit(converter.readAll()).trimmed();
    const bool bOk = bFinished && converter.exitStatus() == QProcess::NormalExit &&
                     converter.exitCode() == 0 && QFileInfo(strImage).size() == USB_IMAGE_SIZE;
    wait.Restore();

    if (bOk) {
        QFile::remove(strTmp);
        ShowInfo(QStringLiteral("Merge default program finished!"), "Finish");
        return;
    }

    // Put the merged image back where the user chose it, dropping whatever the converter wrote.
    if (QFileInfo::exists(strImage))
        QFile::remove(strImage);
    const bool bRestored = QFile::rename(strTmp, strImage);

    QString strWhy;
    if (converter.error() == QProcess::FailedToStart)
        strWhy = QStringLiteral("the converter could not be started");
    else if (!bFinished)
        strWhy = QStringLiteral("the converter did not finish within %1 seconds")
                     .arg(m_nConverterTimeoutMs / 1000);
    else if (converter.exitStatus() != QProcess::NormalExit)
        strWhy = QStringLiteral("the converter crashed");
    else if (converter.exitCode() != 0)
        strWhy = QStringLiteral("the converter exited with status %1").arg(converter.exitCode());
    else
        strWhy = QStringLiteral("the converter did not write a USB upgrade image");
    QString strText =
        QStringLiteral("Merge Error, %1 (%2).").arg(strWhy, QDir::toNativeSeparators(strConverter));
    if (!strOutput.isEmpty())
        strText += QStringLiteral("\n\n") + strOutput;
    strText += QStringLiteral("\n\nThe merged image is at %1.")
                   .arg(QDir::toNativeSeparators(bRestored ? strImage : strTmp));
    ShowError(strText, "Merge Error");
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (ConfirmDiscard())
        pEvent->accept();
    else
        pEvent->ignore();
}
