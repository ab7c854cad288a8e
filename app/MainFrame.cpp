#include "app/MainFrame.h"

#include "access/AccessDftDb.h"
#include "access/AccessDummy.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "app/CheckDlg.h"
#include "app/ClipboardManager.h"
#include "app/EditActions.h"
#include "app/EncodingMenu.h"
#include "app/Prompt.h"
#include "app/RecentFiles.h"
#include "db/Check.h"
#include "db/ProgDb.h"
#include "db/RecordPlace.h"
#include "edit/FixCommand.h"
#include "formats/Formats.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

// The readers ask the user for the user-database address through the frame's prompt, which in
// the editor opens the "UserDb Config" dialog. The answer is kept for Recent Files; a layout that
// cannot search answered with 0 means the dialog was cancelled.
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

constexpr int TREE_PANE_WIDTH = 160;
const QString APP_TITLE = QStringLiteral("Ravelin %1").arg(QStringLiteral("Advanced"));

const char* const SETTINGS_BACKUPS = "Settings/KeepBackups";
const char* const SETTINGS_GEOMETRY = "Window/Geometry";
const char* const SETTINGS_SPLITTER = "Window/Splitter";
// Followed by the record kind: the list's column widths of satellites, transponders, programs.
const char* const SETTINGS_COLUMNS = "Window/Columns";

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

CMainFrame::CMainFrame(IPrompt& prompt, QWidget* pParent)
    : QMainWindow(pParent), m_prompt(prompt), m_pAddrSource(std::make_unique<CFrameAddrSource>(prompt)),
      m_strCurDir(QDir::currentPath()), m_converter(m_strCurDir)
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
    connect(m_pListView, &CProgListView::TreeRecordsChanged, m_pTreeView, &CProgBrowseView::RefreshTree);
    m_pListView->SetMessageSink(&m_prompt);
    m_pListView->SetEditHistory(&m_history);
    setCentralWidget(m_pSplitter);

    CreateActions();
    m_pClipboard = new CClipboardManager(this);
    m_pEditActions = new CEditActions(this, m_pTreeView, m_pListView, m_pClipboard);
    m_history.SetChangedCallback([this] { OnHistoryChanged(); });
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_pListView, &CProgListView::FilterChanged, this, &CMainFrame::UpdateFilterStatus);
    connect(m_pListView, &CProgListView::FindChanged, this, &CMainFrame::OnFindChanged);
    connect(m_pListView, &CProgListView::SortChanged, this, [this] {
        // The reason a move was refused no longer holds.
        if (!m_pListView->IsSorted() && statusBar()->currentMessage() == CProgListView::SortedViewMessage())
            statusBar()->clearMessage();
    });
    connect(m_pListView, &CProgListView::StatusMessage, this,
            [this](const QString& strText) { statusBar()->showMessage(strText, 10000); });
    connect(this, &CMainFrame::ModifiedChanged, this, &CMainFrame::UpdateTitle);

    RestoreLayout();
}

CMainFrame::~CMainFrame()
{
    // The commands go before the panes they watch, and the history tells no one any more.
    m_history.SetChangedCallback(nullptr);
    delete m_pEditActions;
    m_pEditActions = nullptr;
    // The panes outlive the database and the history (members go before child widgets): they let
    // go of both first, so that an open cell editor closes without writing into a freed database
    // when the window loses the focus.
    m_pListView->ShowDb(nullptr);
    m_pTreeView->ShowDb(nullptr);
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
    // The File commands; "Filter" is the list pane's.
    const struct
    {
        const char* pszName;
        const char* pszText;
        void (CMainFrame::*pfnHandler)();
        QKeySequence key;
    } files[] = {
        {"actionOpenDb", "Open Db", &CMainFrame::OnOpenDb, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"actionOpenExcel", "Open Excel", &CMainFrame::OnOpenExcel, QKeySequence()},
        {"actionOpenJson", "Open JSON", &CMainFrame::OnOpenJson, QKeySequence()},
        {"actionOpenBin20", "Open Bin 2.0", &CMainFrame::OnOpenBin20, QKeySequence()},
        {"actionOpenBin25", "Open Bin 2.5", &CMainFrame::OnOpenBin25, QKeySequence()},
        {"actionSaveAsDb", "Save As Db", &CMainFrame::OnSaveAsDb, QKeySequence()},
        {"actionSaveAsExcel", "Save As Excel", &CMainFrame::OnSaveAsExcel, QKeySequence()},
        {"actionSaveAsJson", "Save As JSON", &CMainFrame::OnSaveAsJson, QKeySequence()},
        {"actionMergeToBin", "Merge To Bin", &CMainFrame::OnMergeToBin, QKeySequence()},
    };
    for (const auto& f : files) {
        QAction* pAction = AddAction(f.pszName, QString::fromLatin1(f.pszText));
        pAction->setShortcut(f.key);
        connect(pAction, &QAction::triggered, this, f.pfnHandler);
    }
    QAction* pSave = AddAction("actionSave", QStringLiteral("&Save"));
    pSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(pSave, &QAction::triggered, this, &CMainFrame::OnSave);
    connect(AddAction("actionExit", QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);
    QAction* pFilter = AddAction("actionFilter", QStringLiteral("Filter(&F)"));
    pFilter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_pListView->SetFilterAction(pFilter);

    // Find: Ctrl+K goes to the field of the tool bar (Ctrl+F is Filter); F3 and Shift+F3 work once
    // Enter was pressed there.
    QAction* pFind = AddAction("actionFind", QStringLiteral("&Find..."));
    pFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(pFind, &QAction::triggered, this, [this] {
        m_pFindEdit->setFocus(Qt::ShortcutFocusReason);
        m_pFindEdit->selectAll();
    });
    QAction* pFindNext = AddAction("actionFindNext", QStringLiteral("Find &Next"));
    pFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    pFindNext->setEnabled(false);
    connect(pFindNext, &QAction::triggered, this, [this] { m_pListView->FindNext(false); });
    QAction* pFindPrev = AddAction("actionFindPrevious", QStringLiteral("Find &Previous"));
    pFindPrev->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    pFindPrev->setEnabled(false);
    connect(pFindPrev, &QAction::triggered, this, [this] { m_pListView->FindNext(true); });

    QAction* pCheck = AddAction("actionCheckDb", QStringLiteral("&Check Database..."));
    connect(pCheck, &QAction::triggered, this, &CMainFrame::OnCheckDb);

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
    for (const char* pszName : {"actionOpenDb", "actionOpenExcel", "actionOpenJson", "actionOpenBin20",
                                "actionOpenBin25", "actionFilter", "actionSave", "actionSaveAsDb",
                                "actionSaveAsExcel", "actionSaveAsJson", "actionMergeToBin"})
        pFile->addAction(findChild<QAction*>(QString::fromLatin1(pszName)));
    pFile->addSeparator();
    pFile->addAction(findChild<QAction*>(QStringLiteral("actionExit")));
    m_pRecentFiles = new CRecentFiles(pFile, findChild<QAction*>(QStringLiteral("actionFilter")), this);
    connect(m_pRecentFiles, &CRecentFiles::OpenRequested, this,
            [this](const RecentFile& file) { OpenRecent(file); });

    QMenu* pEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    pEdit->setObjectName("menuEdit");
    m_pEditActions->FillMenu(pEdit);
    pEdit->addSeparator();
    for (const char* pszName : {"actionFind", "actionFindNext", "actionFindPrevious"})
        pEdit->addAction(findChild<QAction*>(QString::fromLatin1(pszName)));

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
    m_pBackupAction = AddAction("actionKeepBackups", QStringLiteral("Keep &Backups of Overwritten Files"));
    m_pBackupAction->setCheckable(true);
    m_pBackupAction->setChecked(QSettings().value(SETTINGS_BACKUPS, true).toBool());
    connect(m_pBackupAction, &QAction::toggled, this,
            [](bool bOn) { QSettings().setValue(SETTINGS_BACKUPS, bOn); });
    pView->addAction(m_pBackupAction);
    m_pEncodingMenu = new CEncodingMenu(pView, this);
    connect(m_pEncodingMenu, &CEncodingMenu::CodePageChanged, this, [this] {
        m_pTreeView->RefreshNames();
        m_pListView->RefreshNames();
    });

    QMenu* pTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    pTools->setObjectName("menuTools");
    pTools->addAction(findChild<QAction*>(QStringLiteral("actionCheckDb")));

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
    m_pFindEdit = new QLineEdit(pBar);
    m_pFindEdit->setObjectName("findEdit");
    m_pFindEdit->setPlaceholderText(QStringLiteral("Find (Ctrl+K)"));
    m_pFindEdit->setToolTip(
        QStringLiteral("Show only the rows whose name contains this text; Enter shows all "
                       "rows again and F3 / Shift+F3 go to the next / previous match"));
    m_pFindEdit->setClearButtonEnabled(true);
    m_pFindEdit->setMaximumWidth(240);
    m_pFindEdit->installEventFilter(this);
    connect(m_pFindEdit, &QLineEdit::textEdited, m_pListView, &CProgListView::SetFindText);
    connect(m_pFindEdit, &QLineEdit::returnPressed, this, &CMainFrame::OnFindEnter);
    pBar->addWidget(m_pFindEdit);
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

void CMainFrame::OnHistoryChanged()
{
    // Every change of the database, and a load (it gives the history a new database).
    m_pListView->InvalidateFind();
    RefreshCheck();
    if (m_pEditActions)
        m_pEditActions->UpdateActions();
    const bool bModified = IsModified();
    if (bModified == m_bModified)
        return;
    m_bModified = bModified;
    emit ModifiedChanged(bModified);
}

bool CMainFrame::IsKeepingBackups() const
{
    return m_pBackupAction->isChecked();
}

void CMainFrame::SetDocument(const QString& strPath, const QString& strFormat, const QString& strName)
{
    const FileFormat* pFormat = FindFormatByName(strFormat.toStdString());
    if (pFormat && pFormat->fnMakeOut && !strPath.isEmpty()) {
        m_strDocPath = strPath;
        m_strDocFormat = pFormat->strName;
    } else {
        m_strDocPath.clear();
        m_strDocFormat.clear();
    }
    m_strDocName = strName;
    UpdateTitle();
}

// "channels.db* - Ravelin Advanced": the document's name with the mark of unsaved changes.
void CMainFrame::UpdateTitle()
{
    if (m_strDocName.isEmpty())
        setWindowTitle(APP_TITLE);
    else
        setWindowTitle(m_strDocName + (IsModified() ? QStringLiteral("*") : QString()) +
                       QStringLiteral(" - ") + APP_TITLE);
}

void CMainFrame::UpdateFilterStatus()
{
    QStringList parts;
    for (const QString& strPart : {m_pListView->GetFilterStatus(), m_pListView->GetFindStatus()})
        if (!strPart.isEmpty())
            parts << strPart;
    m_pMessagePane->setText(parts.isEmpty() ? QStringLiteral("Ready") : parts.join(QStringLiteral("; ")));
}

void CMainFrame::OnFindChanged()
{
    if (m_pFindEdit->text() != m_pListView->GetFindText())
        m_pFindEdit->setText(m_pListView->GetFindText());
    const bool bArmed = m_pListView->IsFindArmed();
    findChild<QAction*>(QStringLiteral("actionFindNext"))->setEnabled(bArmed);
    findChild<QAction*>(QStringLiteral("actionFindPrevious"))->setEnabled(bArmed);
    UpdateFilterStatus();
}

void CMainFrame::OnFindEnter()
{
    if (m_pListView->IsFindArmed() && m_pListView->GetFindText() == m_pFindEdit->text()) {
        m_pListView->FindNext(false); // Enter again: the next match
        return;
    }
    m_pListView->SetFindText(m_pFindEdit->text());
    if (m_pListView->ArmFind())
        m_pListView->setFocus(Qt::OtherFocusReason);
}

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pFindEdit && pEvent->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(pEvent)->key() == Qt::Key_Escape) {
        if (m_pFindEdit->text().isEmpty()) {
            m_pListView->setFocus(Qt::OtherFocusReason);
        } else {
            m_pFindEdit->clear();
            m_pListView->ClearFind();
        }
        return true;
    }
    return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::OnCheckDb()
{
    if (!m_pCheckDlg) {
        m_pCheckDlg = new CCheckDlg(this);
        connect(m_pCheckDlg, &CCheckDlg::RecordActivated, this, &CMainFrame::SelectRecord);
        connect(m_pCheckDlg, &CCheckDlg::FixRequested, this, &CMainFrame::OnCheckFix);
        // A fix is undone where it was made: the dialog's window takes the keys of Undo and Redo.
        m_pCheckDlg->addAction(findChild<QAction*>(QStringLiteral("actionUndo")));
        m_pCheckDlg->addAction(findChild<QAction*>(QStringLiteral("actionRedo")));
    }
    m_pCheckDlg->show();
    RefreshCheck();
    m_pCheckDlg->raise();
    m_pCheckDlg->activateWindow();
}

void CMainFrame::RefreshCheck()
{
    if (m_pCheckDlg && m_pCheckDlg->isVisible())
        m_pCheckDlg->SetFindings(m_pDb ? CheckDb(*m_pDb) : std::vector<CCheckFinding>());
}

void CMainFrame::OnCheckFix()
{
    // Through the list pane, which refreshes its rows and the tree, and selects as after any
    // command; the history's change then refreshes the dialog.
    m_pListView->CommitEditing(); // the check saw the database before the cell was typed
    auto pFix = std::make_unique<CFixCommand>();
    const CFixCommand* pFixed = pFix.get();
    if (!m_pListView->RunCommand(std::move(pFix)))
        return;
    const int32_t nFixed = pFixed->GetFixed();
    statusBar()->showMessage(QStringLiteral("Fixed %1 %2")
                                 .arg(nFixed)
                                 .arg(nFixed == 1 ? QStringLiteral("problem") : QStringLiteral("problems")),
                             10000);
}

void CMainFrame::SelectRecord(int32_t nKind, int32_t nIndex, int32_t nId)
{
    m_pListView->CommitEditing();
    CRecordPlace place;
    if (!m_pDb || !FindRecordPlace(*m_pDb, static_cast<NodeType>(nKind), nIndex, nId, place)) {
        statusBar()->showMessage(QStringLiteral("The record is no longer in the database"), 10000);
        return;
    }
    // Selecting the node lists its records, also when it is the current node already. A record no
    // node lists (a transponder without its satellite) is listed without one.
    if (!place.bTreeNode || !m_pTreeView->SelectNode(place.nListKind, place.nParentId)) {
        {
            const QSignalBlocker blocker(m_pTreeView);
            m_pTreeView->setCurrentIndex(QModelIndex());
        }
        m_pListView->ShowRecords(place.nListKind, place.nParentId);
    }
    if (m_pListView->IsFindNarrowing())
        m_pListView->ClearFind();
    // The rows are the listing in database order now; the row is the record's, or the first with
    // its id when the row shows another id.
    int nRow = place.nRow;
    if (nRow < 0 || nRow >= m_pListView->GetRowCount() || m_pListView->GetRowId(nRow) != place.nRowId) {
        nRow = -1;
        for (int r = 0; r < m_pListView->GetRowCount() && nRow < 0; ++r)
            if (m_pListView->GetRowId(r) == place.nRowId)
                nRow = r;
    }
    if (nRow < 0)
        return;
    m_pListView->clearSelection();
    m_pListView->SelectRow(nRow);
    const QModelIndex index = m_pListView->model()->index(nRow, 0);
    m_pListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_pListView->scrollTo(index, QAbstractItemView::PositionAtCenter);
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

bool CMainFrame::ConfirmClose()
{
    m_pListView->CommitEditing(); // what is being typed counts as a change
    if (!IsModified())
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

void CMainFrame::DoLoad(CAccessIn& importer, const QString& strFilter)
{
    LoadWithDialog(importer, strFilter, QString());
}

void CMainFrame::LoadWithDialog(CAccessIn& importer, const QString& strFilter, const QString& strFormat)
{
    if (!ConfirmClose())
        return;
    const QString strPath = m_prompt.GetOpenFileName(strFilter);
    if (strPath.isEmpty())
        return;
    m_pAddrSource->Reset();
    LoadFile(importer, strPath, strFormat, 0);
}

bool CMainFrame::LoadPath(CAccessIn& importer, const QString& strPath)
{
    m_pAddrSource->Reset();
    return LoadFile(importer, strPath, QString(), 0);
}

bool CMainFrame::LoadFile(CAccessIn& importer, const QString& strPath, const QString& strFormat,
                          uint32_t nAddr)
{
    // A new database: the one shown is replaced only by a load that worked.
    auto pNew = std::make_unique<CProgDb>();
    CWaitCursor wait;
    const bool bOk = importer.LoadDb(strPath.toStdString(), pNew.get());
    wait.Restore();
    if (!bOk) {
        // A layout 2.5 image whose address question was cancelled: the user gave up the load.
        if (m_pAddrSource->WasCancelled())
            return false;
        ReportLastError("Load Error");
        if (!strFormat.isEmpty() && !QFileInfo::exists(strPath))
            m_pRecentFiles->Remove(strPath);
        return false;
    }

    const std::unique_ptr<CProgDb> pOld = std::move(m_pDb);
    m_pDb = std::move(pNew);
    m_history.SetDb(m_pDb.get()); // nothing to undo, and the loaded state is the saved one
    m_pTreeView->ShowDb(m_pDb.get());
    m_pListView->ShowDb(m_pDb.get());
    if (strPath.isEmpty()) {
        SetDocument(QString(), QString(), QStringLiteral("Sample"));
    } else {
        SetDocument(strPath, strFormat, QFileInfo(strPath).fileName());
        if (!strFormat.isEmpty()) {
            RecentFile recent;
            recent.strPath = strPath;
            recent.strFormat = strFormat;
            recent.nAddr = IsFirmwareFormat(strFormat) ? (nAddr ? nAddr : m_pAddrSource->GetAnswer()) : 0;
            m_pRecentFiles->Add(recent);
        }
    }
    if (m_pDb->IsEmpty()) {
        const std::string strNote = importer.DescribeEmptyResult();
        if (!strNote.empty())
            ShowInfo(QString::fromStdString(strNote), "Empty");
    }
    return true;
}

bool CMainFrame::OpenFile(const QString& strPath)
{
    const FileFormat* pFormat = FindFormatByPath(strPath.toStdString());
    if (!pFormat || !pFormat->fnMakeIn)
        pFormat = FindFormatByName("db");
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({*m_pAddrSource, m_prompt});
    m_pAddrSource->Reset();
    return LoadFile(*pImporter, strPath, QString::fromStdString(pFormat->strName), 0);
}

bool CMainFrame::OpenRecent(const RecentFile& file)
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

bool CMainFrame::OpenSample()
{
    CAccessDummyIn importer;
    m_pAddrSource->Reset();
    return LoadFile(importer, QString(), QString(), 0);
}

void CMainFrame::DoSave(CAccessOut& exporter, const QString& strExtension, const QString& strFilter)
{
    SaveWithDialog(exporter, strExtension, strFilter, QString());
}

bool CMainFrame::SaveWithDialog(CAccessOut& exporter, const QString& strExtension, const QString& strFilter,
                                const QString& strFormat)
{
    if (!m_pDb || m_pDb->IsEmpty()) {
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

bool CMainFrame::KeepBackup(const QString& strPath, const char* pszCaption)
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

bool CMainFrame::WriteDb(CAccessOut& exporter, const QString& strPath, const QString& strFormat)
{
    m_pListView->CommitEditing();
    if (!KeepBackup(strPath, "Save Error"))
        return false;
    CWaitCursor wait;
    const bool bOk = exporter.SaveDb(strPath.toStdString(), m_pDb.get());
    wait.Restore();
    if (!bOk) {
        ReportLastError("Save Error");
        return false;
    }
    m_history.SetClean();
    if (!strFormat.isEmpty()) {
        SetDocument(strPath, strFormat, QFileInfo(strPath).fileName());
        RecentFile recent;
        recent.strPath = strPath;
        recent.strFormat = strFormat;
        m_pRecentFiles->Add(recent);
    }
    return true;
}

void CMainFrame::LoadFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    const std::unique_ptr<CAccessIn> pImporter = pFormat->fnMakeIn({*m_pAddrSource, m_prompt});
    LoadWithDialog(*pImporter, QString::fromStdString(pFormat->strFilter), QString::fromLatin1(pszFormat));
}

bool CMainFrame::SaveFormat(const char* pszFormat)
{
    const FileFormat* pFormat = FindFormatByName(pszFormat);
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    return SaveWithDialog(*pExporter, QString::fromStdString(DefaultExtension(*pFormat)),
                          QString::fromStdString(pFormat->strFilter), QString::fromLatin1(pszFormat));
}

void CMainFrame::OnOpenDb()
{
    LoadFormat("db");
}

void CMainFrame::OnOpenExcel()
{
    LoadFormat("xls");
}

void CMainFrame::OnOpenJson()
{
    LoadFormat("json");
}

void CMainFrame::OnOpenBin20()
{
    LoadFormat("bin20");
}

void CMainFrame::OnOpenBin25()
{
    LoadFormat("bin25");
}

bool CMainFrame::OnSave()
{
    const FileFormat* pFormat = FindFormatByName(m_strDocFormat);
    if (m_strDocPath.isEmpty() || !pFormat || !pFormat->fnMakeOut)
        return SaveFormat("db");
    if (!m_pDb || m_pDb->IsEmpty()) {
        ShowError(QStringLiteral("No data to save!"), "Empty");
        return false;
    }
    const std::unique_ptr<CAccessOut> pExporter = pFormat->fnMakeOut();
    const QString strPath = m_strDocPath; // WriteDb sets the document anew
    if (!WriteDb(*pExporter, strPath, QString::fromStdString(pFormat->strName)))
        return false;
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(strPath)), 5000);
    return true;
}

void CMainFrame::OnSaveAsDb()
{
    SaveFormat("db");
}

void CMainFrame::OnSaveAsExcel()
{
    SaveFormat("xls");
}

void CMainFrame::OnSaveAsJson()
{
    SaveFormat("json");
}

void CMainFrame::OnMergeToBin()
{
    CAccessDftDbOut writer;
    DoMerge(writer);
}

// The image at P is merged in place; then the converter makes the USB upgrade image at P from it.
void CMainFrame::DoMerge(CAccessOut& writer)
{
    m_pListView->CommitEditing();
    if (!m_pDb || m_pDb->IsEmpty()) {
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

void CMainFrame::keyPressEvent(QKeyEvent* pEvent)
{
    if (m_pEditActions && m_pEditActions->ExplainKey(QKeySequence(pEvent->keyCombination()))) {
        pEvent->accept();
        return;
    }
    QMainWindow::keyPressEvent(pEvent);
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    if (!ConfirmClose()) {
        pEvent->ignore();
        return;
    }
    SaveLayout();
    pEvent->accept();
}
