#include "app/MainFrame.h"

#include "app/CheckCommand.h"
#include "app/ClipboardManager.h"
#include "app/EditActions.h"
#include "app/EncodingMenu.h"
#include "app/FileCommands.h"
#include "app/FindBar.h"
#include "app/FlagActions.h"
#include "app/PrintCommands.h"
#include "app/Prompt.h"
#include "app/RecentFiles.h"
#include "app/Recovery.h"
#include "app/ReferenceCommands.h"
#include "db/ProgDb.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"
#include "views/ReferencePane.h"
#include "views/ShowRecord.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

constexpr int TREE_PANE_WIDTH = 160;
const QString APP_TITLE = QStringLiteral("Ravelin %1").arg(QStringLiteral("Advanced"));

const char* const SETTINGS_GEOMETRY = "Window/Geometry";
const char* const SETTINGS_SPLITTER = "Window/Splitter";
// Followed by the record kind: the list's column widths of satellites, transponders, programs.
const char* const SETTINGS_COLUMNS = "Window/Columns";

} // namespace

CMainFrame::CMainFrame(IPrompt& prompt, QWidget* pParent)
    : QMainWindow(pParent), m_prompt(prompt), m_strCurDir(QDir::currentPath())
{
    setObjectName("mainFrame");
    setWindowTitle(APP_TITLE);
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
    // A tree selection fills the list; changed satellites or transponders rebuild the tree.
    connect(m_pTreeView, &CProgBrowseView::RecordsRequested, m_pListView, &CProgListView::ShowRecords);
    connect(m_pTreeView, &CProgBrowseView::FavouritesRequested, m_pListView, &CProgListView::ShowFavourites);
    connect(m_pListView, &CProgListView::ProgramsChanged, m_pTreeView, &CProgBrowseView::RefreshFavourites);
    connect(m_pListView, &CProgListView::TreeRecordsChanged, m_pTreeView, &CProgBrowseView::RefreshTree);
    m_pListView->SetMessageSink(&m_prompt);
    m_pListView->SetEditHistory(&m_doc.GetHistory());
    setCentralWidget(m_pSplitter);

    m_pFiles = new CFileCommands(*this, m_prompt, m_doc, m_strCurDir);
    m_pFiles->SetCommitEditing([this] { m_pListView->CommitEditing(); });
    connect(m_pFiles, &CFileCommands::DocumentReplaced, this, &CMainFrame::ShowDocument);
    connect(m_pFiles, &CFileCommands::DocumentFileChanged, this, &CMainFrame::UpdateTitle);
    connect(m_pFiles, &CFileCommands::StatusMessage, this, [this](const QString& strText, int nTimeoutMs) {
        statusBar()->showMessage(strText, nTimeoutMs);
    });
    m_pFindBar = new CFindBar(*this, *m_pListView);
    connect(m_pFindBar, &CFindBar::StatusChanged, this, &CMainFrame::UpdateFilterStatus);
    m_pCheck = new CCheckCommand(*this, m_doc, *m_pListView);
    connect(m_pCheck, &CCheckCommand::RecordRequested, this, &CMainFrame::SelectRecord);
    m_pPrint = new CPrintCommands(*this, m_doc, *m_pListView, *m_pFiles, m_prompt);
    m_pRefs =
        new CReferenceCommands(*this, *m_pSplitter, m_doc, *m_pTreeView, *m_pListView, *m_pFiles, m_prompt);
    connect(
        m_pRefs, &CReferenceCommands::StatusMessage, this,
        [this](const QString& strText, int nTimeoutMs) { statusBar()->showMessage(strText, nTimeoutMs); });
    connect(m_pRefs, &CReferenceCommands::CompareStatusChanged, this, &CMainFrame::UpdateFilterStatus);
    CreateActions();
    m_pClipboard = new CClipboardManager(this);
    m_pEditActions = new CEditActions(this, m_pTreeView, m_pListView, m_pClipboard);
    m_pFlags = new CFlagActions(*this, *m_pListView);
    m_pEditActions->GetContextMenu()->addSeparator();
    m_pEditActions->GetContextMenu()->addMenu(m_pFlags->GetMenu());
    m_doc.GetHistory().SetChangedCallback([this] { OnHistoryChanged(); });
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_pListView, &CProgListView::FilterChanged, this, &CMainFrame::UpdateFilterStatus);
    connect(m_pListView, &CProgListView::SortChanged, this, [this] {
        // The reason a move was refused no longer holds.
        if (!m_pListView->IsSorted() && statusBar()->currentMessage() == CProgListView::SortedViewMessage())
            statusBar()->clearMessage();
    });
    connect(m_pListView, &CProgListView::StatusMessage, this,
            [this](const QString& strText) { statusBar()->showMessage(strText, 10000); });
    connect(this, &CMainFrame::ModifiedChanged, this, &CMainFrame::UpdateTitle);
    m_pRecovery = new CRecovery(m_doc, m_prompt, *m_pFiles, this);
    connect(m_pRecovery, &CRecovery::DocumentReplaced, this, &CMainFrame::ShowDocument);
    connect(m_pRecovery, &CRecovery::DocumentFileChanged, this, &CMainFrame::UpdateTitle);
    connect(m_pRecovery, &CRecovery::CodePageRequested, m_pEncodingMenu, &CEncodingMenu::SetCodePage);
    connect(m_pRecovery, &CRecovery::StatusMessage, this, [this](const QString& strText, int nTimeoutMs) {
        statusBar()->showMessage(strText, nTimeoutMs);
    });

    RestoreLayout();
}

CMainFrame::~CMainFrame()
{
    // The commands go before the panes they watch, and the history tells no one any more.
    m_doc.GetHistory().SetChangedCallback(nullptr);
    delete m_pEditActions;
    m_pEditActions = nullptr;
    delete m_pFlags;
    m_pFlags = nullptr;
    delete m_pRefs; // with the reference document and the marks the panes show
    m_pRefs = nullptr;
    // The panes outlive the document (members go before child widgets): they let go of it first, so
    // that an open cell editor closes without writing into a freed database when the window loses
    // the focus.
    m_pListView->ShowDb(nullptr);
    m_pTreeView->ShowDb(nullptr);
}

void CMainFrame::DoLoad(CAccessIn& importer, const QString& strFilter)
{
    m_pFiles->DoLoad(importer, strFilter);
}

bool CMainFrame::LoadPath(CAccessIn& importer, const QString& strPath)
{
    return m_pFiles->LoadPath(importer, strPath);
}

bool CMainFrame::OpenFile(const QString& strPath)
{
    return m_pFiles->OpenFile(strPath);
}

bool CMainFrame::OpenSample()
{
    return m_pFiles->OpenSample();
}

void CMainFrame::DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter)
{
    m_pFiles->DoSave(exporter, strExtension, strFilter);
}

void CMainFrame::DoMerge(CAccessOut& writer)
{
    m_pFiles->DoMerge(writer);
}

void CMainFrame::SetConverterTimeout(int nMilliseconds)
{
    m_pFiles->SetConverterTimeout(nMilliseconds);
}

CRecentFiles* CMainFrame::GetRecentFiles() const
{
    return m_pFiles->GetRecentFiles();
}

CCheckDlg* CMainFrame::GetCheckDlg() const
{
    return m_pCheck->GetDlg();
}

QLineEdit* CMainFrame::GetFindEdit() const
{
    return m_pFindBar->GetEdit();
}

QAction* CMainFrame::AddAction(const char* pszName, const QString& strText)
{
    auto* pAction = new QAction(strText, this);
    pAction->setObjectName(QString::fromLatin1(pszName));
    addAction(pAction); // shortcuts work even while the action is in no visible menu
    return pAction;
}

void CMainFrame::CreateActions()
{
    QAction* pFilter = AddAction("actionFilter", QStringLiteral("Filter(&F)"));
    pFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_pListView->SetFilterAction(pFilter);

    QAction* pNext = AddAction("actionNextPane", QStringLiteral("Next Pane"));
    pNext->setShortcut(QKeySequence(Qt::Key_F6));
    connect(pNext, &QAction::triggered, this, [this] { FocusPane(1); });
    QAction* pPrev = AddAction("actionPrevPane", QStringLiteral("Previous Pane"));
    pPrev->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(pPrev, &QAction::triggered, this, [this] { FocusPane(-1); });

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
    // The commands in groups: new, the loads with the recent files, the reference list, the filter, the
    // saves, printing and exports, the merge, and the end.
    for (const char* pszName : {"actionNew",
                                "-",
                                "actionOpenDb",
                                "actionOpenExcel",
                                "actionOpenJson",
                                "actionOpenBin20",
                                "actionOpenBin25",
                                "recent",
                                "actionOpenReference",
                                "actionCloseReference",
                                "-",
                                "actionFilter",
                                "-",
                                "actionSave",
                                "actionSaveAsDb",
                                "actionSaveAsExcel",
                                "actionSaveAsJson",
                                "-",
                                "actionPrint",
                                "actionExportPdf",
                                "actionExportCsv",
                                "actionExportHtml",
                                "-",
                                "actionMergeToBin",
                                "-",
                                "actionExit"}) {
        const QString strName = QString::fromLatin1(pszName);
        if (strName == QLatin1String("-"))
            pFile->addSeparator();
        else if (strName == QLatin1String("recent"))
            m_pFiles->AddRecentFiles(pFile, pFile->addSeparator());
        else
            pFile->addAction(findChild<QAction*>(strName));
    }

    QMenu* pEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    pEdit->setObjectName("menuEdit");
    m_pEditActions->FillMenu(pEdit);
    pEdit->addSeparator();
    pEdit->addMenu(m_pFlags->GetMenu());
    pEdit->addSeparator();
    pEdit->addAction(m_pRefs->GetTakeOverAction());
    pEdit->addSeparator();
    pEdit->addAction(m_pFindBar->GetFindAction());
    pEdit->addAction(m_pFindBar->GetFindNextAction());
    pEdit->addAction(m_pFindBar->GetFindPreviousAction());

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
    pView->addAction(m_pFiles->GetBackupAction());
    m_pEncodingMenu = new CEncodingMenu(pView, this);
    connect(m_pEncodingMenu, &CEncodingMenu::CodePageChanged, this, [this] {
        m_pTreeView->RefreshNames();
        m_pListView->RefreshNames();
    });

    QMenu* pTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    pTools->setObjectName("menuTools");
    pTools->addAction(m_pCheck->GetAction());
    pTools->addSeparator();
    pTools->addAction(m_pRefs->GetCompareAction());
    pTools->addAction(m_pRefs->GetOrderLikeAction());

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
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionUndo")));
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionRedo")));
    pBar->addSeparator();
    pBar->addAction(findChild<QAction*>(QStringLiteral("actionAbout")));
    pBar->addSeparator();
    m_pFindBar->AddTo(pBar);
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

void CMainFrame::FocusPane(int nStep)
{
    // The panes in their order on the screen: the tree and the list, then the reference's.
    QList<QWidget*> panes = {m_pTreeView, m_pListView};
    if (const CReferencePane* pRef = m_pRefs->GetPane(); pRef && pRef->isVisible())
        panes << pRef->GetTreeView() << pRef->GetListView();
    QWidget* pFocus = focusWidget();
    int nAt = -1;
    for (int i = 0; i < panes.size(); ++i)
        if (pFocus && (pFocus == panes[i] || panes[i]->isAncestorOf(pFocus)))
            nAt = i;
    const int nNext =
        nAt < 0 ? 0 : (nAt + nStep + static_cast<int>(panes.size())) % static_cast<int>(panes.size());
    panes[nNext]->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::ShowDocument()
{
    m_pTreeView->ShowDb(m_doc.GetDb());
    m_pListView->ShowDb(m_doc.GetDb());
}

void CMainFrame::OnHistoryChanged()
{
    // Every change of the database, and a load (it gives the history a new database).
    m_pListView->InvalidateFind();
    m_pCheck->Refresh();
    if (m_pRefs)
        m_pRefs->OnEditedChanged();
    if (m_pEditActions)
        m_pEditActions->UpdateActions();
    if (m_pRecovery)
        m_pRecovery->OnHistoryChanged();
    const bool bModified = IsModified();
    if (bModified == m_bModified)
        return;
    m_bModified = bModified;
    emit ModifiedChanged(bModified);
}

// "channels.db* - Ravelin Advanced": the document's name with the mark of unsaved changes.
void CMainFrame::UpdateTitle()
{
    const QString strName = QString::fromStdString(m_doc.GetName());
    if (strName.isEmpty())
        setWindowTitle(APP_TITLE);
    else
        setWindowTitle(strName + (IsModified() ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") +
                       APP_TITLE);
}

void CMainFrame::UpdateFilterStatus()
{
    QStringList parts;
    for (const QString& strPart : {m_pListView->GetFilterStatus(), m_pListView->GetFindStatus(),
                                   m_pRefs ? m_pRefs->GetCompareStatus() : QString()})
        if (!strPart.isEmpty())
            parts << strPart;
    m_pMessagePane->setText(parts.isEmpty() ? QStringLiteral("Ready") : parts.join(QStringLiteral("; ")));
}

void CMainFrame::SelectRecord(int32_t nKind, int32_t nIndex, int32_t nId)
{
    m_pListView->CommitEditing();
    if (!m_doc.GetDb() || !ShowRecordInPanes(*m_pTreeView, *m_pListView, *m_doc.GetDb(),
                                             static_cast<NodeType>(nKind), nIndex, nId, false)) {
        statusBar()->showMessage(QStringLiteral("The record is no longer in the database"), 10000);
        return;
    }
    m_pListView->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::RestoreLayout()
{
    QSettings settings;
    resize(960, 600);
    const QByteArray geometry = settings.value(SETTINGS_GEOMETRY).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    const QByteArray splitter = settings.value(SETTINGS_SPLITTER).toByteArray();
    if (splitter.isEmpty() || !m_pSplitter->restoreState(splitter))
        m_pSplitter->setSizes({TREE_PANE_WIDTH, width() - TREE_PANE_WIDTH});
    for (int nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const QVariantList widths =
            settings.value(QStringLiteral("%1/%2").arg(SETTINGS_COLUMNS).arg(nKind)).toList();
        QList<int> list;
        for (const QVariant& w : widths)
            list.append(w.toInt());
        if (!list.isEmpty())
            m_pListView->SetColumnWidths(nKind, list);
    }
}

void CMainFrame::SaveLayout() const
{
    QSettings settings;
    settings.setValue(SETTINGS_GEOMETRY, saveGeometry());
    settings.setValue(SETTINGS_SPLITTER, m_pSplitter->saveState());
    for (int nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const QList<int> widths = m_pListView->GetColumnWidths(nKind);
        if (widths.isEmpty())
            continue;
        QVariantList list;
        for (int w : widths)
            list.append(w);
        settings.setValue(QStringLiteral("%1/%2").arg(SETTINGS_COLUMNS).arg(nKind), list);
    }
}

void CMainFrame::keyPressEvent(QKeyEvent* pEvent)
{
    const QKeySequence key(pEvent->keyCombination());
    if ((m_pEditActions && m_pEditActions->ExplainKey(key)) || (m_pFlags && m_pFlags->ExplainKey(key))) {
        pEvent->accept();
        return;
    }
    QMainWindow::keyPressEvent(pEvent);
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (!m_pFiles->ConfirmClose()) {
        pEvent->ignore();
        return;
    }
    m_pRecovery->Remove(); // saved or discarded
    SaveLayout();
    pEvent->accept();
}
