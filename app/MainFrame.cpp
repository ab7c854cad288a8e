#include "app/MainFrame.h"

#include "access/AccessDftDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "app/EncodingMenu.h"
#include "app/Prompt.h"
#include "db/ProgDb.h"
#include "formats/Formats.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr int TREE_PANE_WIDTH = 160;

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

CMainFrame::CMainFrame(IPrompt& prompt, QWidget* pParent)
    : QMainWindow(pParent), m_prompt(prompt), m_strCurDir(QDir::currentPath()), m_converter(m_strCurDir)
{
    setObjectName("mainFrame");
    setWindowTitle(QStringLiteral("Ravelin %1").arg(QStringLiteral("Advanced")));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ravelin.png")));

    CEncodingMenu::RestoreCodePage();

    m_pSplitter = new QSplitter(Qt::Horizontal, this);
    m_pSplitter->setObjectName("splitter");
    m_pSplitter->setChildrenCollapsible(false);
    m_pTreeView = new CProgBrowseView(m_pSplitter);
    m_pListView = new CProgListView(m_pSplitter);
    m_pSplitter->addWidget(m_pTreeView);
    m_pSplitter->addWidget(m_pListView);
    m_pSplitter->setStretchFactor(0, 0);
    m_pSplitter->setStretchFactor(1, 1);
    // A tree selection fills the list; removed satellites or transponders rebuild the tree.
    connect(m_pTreeView, &CProgBrowseView::RecordsRequested, m_pListView, &CProgListView::ShowRecords);
    connect(m_pListView, &CProgListView::TreeRecordsChanged, m_pTreeView, &CProgBrowseView::RefreshTree);
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
    // The File commands; "Filter" is the list pane's.
    const struct
    {
        const char* pszName;
        const char* pszText;
        void (CMainFrame::*pfnHandler)();
    } files[] = {
        {"actionOpenDb", "Open Db", &CMainFrame::OnOpenDb},
        {"actionOpenExcel", "Open Excel", &CMainFrame::OnOpenExcel},
        {"actionOpenBin20", "Open Bin 2.0", &CMainFrame::OnOpenBin20},
        {"actionOpenBin25", "Open Bin 2.5", &CMainFrame::OnOpenBin25},
        {"actionSaveAsDb", "Save As Db", &CMainFrame::OnSaveAsDb},
        {"actionSaveAsExcel", "Save As Excel", &CMainFrame::OnSaveAsExcel},
        {"actionMergeToBin", "Merge To Bin", &CMainFrame::OnMergeToBin},
    };
    for (const auto& f : files)
        connect(AddAction(f.pszName, QString::fromLatin1(f.pszText)), &QAction::triggered, this,
                f.pfnHandler);
    connect(AddAction("actionExit", QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);
    QAction* pFilter = AddAction("actionFilter", QStringLiteral("Filter\tCtrl+F(&F)"));
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
    m_pEncodingMenu = new CEncodingMenu(pView, this);
    connect(m_pEncodingMenu, &CEncodingMenu::CodePageChanged, this, [this] {
        m_pTreeView->RefreshNames();
        m_pListView->RefreshNames();
    });

    QMenu* pHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    pHelp->setObjectName("menuHelp");
    pHelp->addAction(findChild<QAction*>(QStringLiteral("actionAbout")));
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
    const FileFormat* pFormat = FindFormatByPath(strPath.toStdString());
    if (!pFormat || !pFormat->fnMakeIn)
        pFormat = FindFormatByName("db");
    CPromptAddrSource addr(m_prompt);
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({addr, m_prompt});
    return LoadPath(*pImporter, strPath);
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

void CMainFrame::LoadFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    CPromptAddrSource addr(m_prompt);
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({addr, m_prompt});
    DoLoad(*pImporter, QString::fromStdString(pFormat->strFilter));
}

void CMainFrame::SaveFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    DoSave(*pExporter, QString::fromStdString(DefaultExtension(*pFormat)),
           QString::fromStdString(pFormat->strFilter));
}

void CMainFrame::OnOpenDb()
{
    LoadFormat("db");
}

void CMainFrame::OnOpenExcel()
{
    LoadFormat("xls");
}

void CMainFrame::OnOpenBin20()
{
    LoadFormat("bin20");
}

void CMainFrame::OnOpenBin25()
{
    LoadFormat("bin25");
}

void CMainFrame::OnSaveAsDb()
{
    SaveFormat("db");
}

void CMainFrame::OnSaveAsExcel()
{
    SaveFormat("xls");
}

void CMainFrame::OnMergeToBin()
{
    CAccessDftDbOut writer;
    DoMerge(writer);
}

// The image at P is merged in place; then the converter makes the USB upgrade image at P from it.
void CMainFrame::DoMerge(CAccessOut& writer)
{
    if (!m_pDb || m_pDb->IsEmpty()) {
        ShowError(QStringLiteral("No data to merge!"), "Empty");
        return;
    }
    const QString strImage =
        m_prompt.GetSaveFileName(QString::fromLatin1(FIRMWARE_IMAGE_FILTER), QString(), QString(), true);
    if (strImage.isEmpty())
        return;
    if (!m_converter.CheckImage(strImage)) {
        ShowError(m_converter.GetError(), "Merge Error");
        return;
    }
    if (!writer.SaveDb(strImage.toStdString(), m_pDb.get())) {
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

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (ConfirmDiscard())
        pEvent->accept();
    else
        pEvent->ignore();
}
