#include "app/EditActions.h"

#include "app/ClipboardManager.h"
#include "db/ProgDb.h"
#include "edit/EditHistory.h"
#include "edit/InsertCommand.h"
#include "edit/RecordSet.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"
#include "views/SetFieldDlg.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>

namespace {

constexpr int STATUS_TIMEOUT_MS = 10000;

// A message of the core after "Paste: ", as part of the sentence.
QString Continued(const std::string& strText)
{
    QString s = QString::fromStdString(strText);
    if (s.size() > 1 && s[0].isUpper() && s[1].isLower())
        s[0] = s[0].toLower();
    return s;
}

} // namespace

CEditActions::CEditActions(QMainWindow* pFrame, CProgBrowseView* pTree, CProgListView* pList,
                           CClipboardManager* pClipboard)
    : QObject(pFrame), m_pFrame(pFrame), m_pTree(pTree), m_pList(pList), m_pClipboard(pClipboard)
{
    using K = QKeySequence;
    m_pUndo = Add("actionUndo", QStringLiteral("&Undo"), QString(),
                  {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}, [this] { OnUndo(); });
    m_pRedo = Add("actionRedo", QStringLiteral("&Redo"), QString(),
                  {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, [this] { OnRedo(); });
    m_menu << nullptr;
    Add("actionCut", QStringLiteral("Cu&t"),
        QStringLiteral("Move the selected records, with everything under them, to the clipboard"),
        {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}, [this] { OnCut(); })
        ->setIcon(QIcon(QStringLiteral(":/icons/cut.png")));
    Add("actionCopy", QStringLiteral("&Copy"),
        QStringLiteral("Copy the selected records, with everything under them, to the clipboard"),
        {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}, [this] { OnCopy(); })
        ->setIcon(QIcon(QStringLiteral(":/icons/copy.png")));
    Add("actionPaste", QStringLiteral("&Paste"), QStringLiteral("Insert the records on the clipboard"),
        {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}, [this] { OnPaste(); })
        ->setIcon(QIcon(QStringLiteral(":/icons/paste.png")));
    Add(
        "actionDelete", QStringLiteral("&Delete"),
        QStringLiteral("Delete the selected records with everything under them"), {K(Qt::Key_Delete)},
        [this] { OnDelete(); }, true)
        ->setIcon(QIcon(QStringLiteral(":/icons/delete.png")));
    Add("actionDuplicate", QStringLiteral("D&uplicate"),
        QStringLiteral("Copy the selected records, with everything under them, right after them"),
        {K(Qt::CTRL | Qt::Key_D)}, [this] { OnDuplicate(); });
    m_menu << nullptr;
    Add("actionSelectAll", QStringLiteral("Select &All"), QStringLiteral("Select every row of the list"),
        {K(Qt::CTRL | Qt::Key_A)}, [this] { OnSelectAll(); });
    m_menu << nullptr;
    Add(
        "actionRename", QStringLiteral("Re&name"),
        QStringLiteral("Edit the name (a transponder's frequency) or the chosen cell of the current row"),
        {K(Qt::Key_F2)}, [this] { OnRename(); }, true);
    Add("actionSetField", QStringLiteral("Set &Field..."),
        QStringLiteral("Set one field to one value on every selected row"), {}, [this] { OnSetField(); });
    m_menu << nullptr;
    m_pNew[NODE_SAT] =
        Add("actionNewSatellite", QStringLiteral("New &Satellite"),
            QStringLiteral("Add a satellite at the end of the list"), {}, [this] { OnNewRecord(NODE_SAT); });
    m_pNew[NODE_TP] = Add("actionNewTransponder", QStringLiteral("New T&ransponder"),
                          QStringLiteral("Add a transponder to the chosen satellite"), {},
                          [this] { OnNewRecord(NODE_TP); });
    m_pNew[NODE_PROG] = Add("actionNewProgram", QStringLiteral("New Pr&ogram"),
                            QStringLiteral("Add a program to the chosen transponder"), {},
                            [this] { OnNewRecord(NODE_PROG); });
    m_pNew[NODE_SAT]->setIcon(QIcon(QStringLiteral(":/icons/satellite.png")));
    m_pNew[NODE_TP]->setIcon(QIcon(QStringLiteral(":/icons/transponder.png")));
    m_pUndo->setIcon(QIcon(QStringLiteral(":/icons/undo.png")));
    m_pRedo->setIcon(QIcon(QStringLiteral(":/icons/redo.png")));

    m_pContextMenu = new QMenu(m_pList);
    m_pContextMenu->setObjectName("listContextMenu");
    FillMenu(m_pContextMenu);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pt) {
        UpdateActions();
        m_pContextMenu->popup(m_pList->viewport()->mapToGlobal(pt));
    });

    // Whatever the commands depend on.
    const auto Update = [this] { UpdateActions(); };
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this, Update);
    connect(m_pList->selectionModel(), &QItemSelectionModel::currentChanged, this, Update);
    QAbstractItemModel* pModel = m_pList->model();
    connect(pModel, &QAbstractItemModel::modelReset, this, Update);
    connect(pModel, &QAbstractItemModel::rowsInserted, this, Update);
    connect(pModel, &QAbstractItemModel::rowsRemoved, this, Update);
    connect(pModel, &QAbstractItemModel::layoutChanged, this, Update);
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, Update);
    connect(m_pClipboard, &CClipboardManager::RecordsAvailable, this, Update);
    UpdateActions();
}

QAction* CEditActions::Add(const char* pszObjectName, const QString& strText, const QString& strTip,
                           QList<QKeySequence> keys, std::function<void()> fnHandler, bool bListOnly)
{
    auto* pAction = new QAction(strText, m_pFrame);
    pAction->setObjectName(QString::fromLatin1(pszObjectName));
    pAction->setShortcuts(keys);
    if (bListOnly) {
        // The Delete and F2 keys belong to the pane with the focus: in the list they act on rows.
        pAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_pList->addAction(pAction);
    } else {
        m_pFrame->addAction(pAction); // the keys work while the action is in no visible menu
    }
    // A cell being edited is set first, as its own step.
    connect(pAction, &QAction::triggered, this, [this, fnHandler = std::move(fnHandler)] {
        m_pList->CommitEditing();
        fnHandler();
    });
    QString strName = strText;
    strName.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    m_commands.append({pAction, strName, strTip, QString()});
    m_menu << pAction;
    return pAction;
}

void CEditActions::FillMenu(QMenu* pMenu)
{
    for (QAction* pAction : m_menu) {
        if (pAction)
            pMenu->addAction(pAction);
        else
            pMenu->addSeparator();
    }
    pMenu->installEventFilter(this);
}

bool CEditActions::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // A menu shows the status tip of the item under the mouse only while that item is enabled.
    if (pEvent->type() == QEvent::MouseMove) {
        if (auto* pMenu = qobject_cast<QMenu*>(pWatched)) {
            QAction* pAction = pMenu->actionAt(static_cast<QMouseEvent*>(pEvent)->position().toPoint());
            if (pAction && !pAction->isEnabled() && !pAction->statusTip().isEmpty())
                m_pFrame->statusBar()->showMessage(pAction->statusTip());
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

void CEditActions::SetState(QAction* pAction, const QString& strReason)
{
    for (Command& command : m_commands) {
        if (command.pAction != pAction)
            continue;
        command.strReason = strReason;
        pAction->setEnabled(strReason.isEmpty());
        pAction->setStatusTip(strReason.isEmpty() ? command.strTip
                                                  : command.strName + QStringLiteral(": ") + strReason);
        return;
    }
}

void CEditActions::ShowStatus(const QString& strText)
{
    m_pFrame->statusBar()->showMessage(strText, STATUS_TIMEOUT_MS);
}

bool CEditActions::HasDb() const
{
    return m_pList->GetModel()->GetDb() != nullptr;
}

int CEditActions::ChosenRow() const
{
    const QItemSelectionModel* pSelection = m_pList->selectionModel();
    const int nCurrent = m_pList->GetCurrentRow();
    if (nCurrent >= 0 && pSelection->isRowSelected(nCurrent, QModelIndex()))
        return nCurrent;
    int nFirst = -1;
    for (const QItemSelectionRange& range : pSelection->selection())
        if (nFirst < 0 || range.top() < nFirst)
            nFirst = range.top();
    return nFirst;
}

void CEditActions::UpdateActions()
{
    const bool bDb = HasDb();
    const bool bListed = bDb && m_pList->GetModel()->GetColumns() != CProgListModel::COLUMNS_NONE;
    const bool bSelected = bListed && m_pList->selectionModel()->hasSelection();
    const QString strNoDb = QStringLiteral("no channel list is open");
    const QString strNoRows = bDb ? QStringLiteral("no rows are selected") : strNoDb;

    const CEditHistory* pHistory = m_pList->GetEditHistory();
    const QString strUndo = QString::fromStdString(pHistory->GetUndoText());
    const QString strRedo = QString::fromStdString(pHistory->GetRedoText());
    m_pUndo->setText(strUndo.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + strUndo);
    m_pRedo->setText(strRedo.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + strRedo);
    for (Command& command : m_commands) {
        if (command.pAction == m_pUndo)
            command.strTip = QStringLiteral("Undo ") + strUndo;
        else if (command.pAction == m_pRedo)
            command.strTip = QStringLiteral("Redo ") + strRedo;
    }
    SetState(m_pUndo, pHistory->CanUndo() ? QString() : QStringLiteral("there is nothing to undo"));
    SetState(m_pRedo, pHistory->CanRedo() ? QString() : QStringLiteral("there is nothing to redo"));

    for (const char* pszName :
         {"actionCut", "actionCopy", "actionDelete", "actionDuplicate", "actionSetField"})
        SetState(m_pFrame->findChild<QAction*>(QString::fromLatin1(pszName)),
                 bSelected ? QString() : strNoRows);
    SetState(m_pFrame->findChild<QAction*>(QStringLiteral("actionPaste")),
             !bDb                          ? strNoDb
             : !m_pClipboard->HasRecords() ? QStringLiteral("the clipboard holds no channel records")
                                           : QString());
    SetState(m_pFrame->findChild<QAction*>(QStringLiteral("actionSelectAll")),
             !bDb                         ? strNoDb
             : m_pList->GetRowCount() > 0 ? QString()
                                          : QStringLiteral("the list has no rows"));
    int nRow = bListed ? m_pList->GetCurrentRow() : -1;
    if (nRow < 0 && bListed)
        nRow = ChosenRow();
    SetState(m_pFrame->findChild<QAction*>(QStringLiteral("actionRename")),
             !bDb                                                      ? strNoDb
             : m_pList->IsCellEditable(nRow, m_pList->GetNameColumn()) ? QString()
                                                                       : QStringLiteral("no row is chosen"));
    SetState(m_pNew[NODE_SAT], bDb ? QString() : strNoDb);
    SetState(m_pNew[NODE_TP], !bDb ? strNoDb
                              : ParentFor(NODE_TP) != INVALID_ID
                                  ? QString()
                                  : QStringLiteral("choose a satellite first"));
    SetState(m_pNew[NODE_PROG], !bDb ? strNoDb
                                : ParentFor(NODE_PROG) != INVALID_ID
                                    ? QString()
                                    : QStringLiteral("choose a transponder first"));

    // Insert adds a record of the kind the list shows.
    const int32_t nKind = bListed ? m_pList->GetKind() : -1;
    for (int k = NODE_SAT; k <= NODE_PROG; ++k) {
        const QKeySequence key = k == nKind ? QKeySequence(Qt::Key_Insert) : QKeySequence();
        if (m_pNew[k]->shortcut() != key)
            m_pNew[k]->setShortcut(key);
    }
}

bool CEditActions::ExplainKey(const QKeySequence& key)
{
    for (const Command& command : m_commands) {
        if (command.strReason.isEmpty())
            continue;
        for (const QKeySequence& k : command.pAction->shortcuts()) {
            if (k == key) {
                ShowStatus(command.strName + QStringLiteral(": ") + command.strReason);
                return true;
            }
        }
    }
    return false;
}

int32_t CEditActions::ParentFor(NodeType nKind, int32_t* pnBeforeId) const
{
    if (pnBeforeId)
        *pnBeforeId = INVALID_ID;
    const CProgDb* pDb = m_pList->GetModel()->GetDb();
    if (!pDb || nKind == NODE_SAT)
        return INVALID_ID;
    const auto nParentKind = static_cast<NodeType>(nKind == NODE_TP ? NODE_SAT : NODE_TP);
    const CNodeList& parents = pDb->GetList(nParentKind);
    const auto Exists = [&parents](int32_t nId) { return nId != INVALID_ID && parents.Find(nId) != nullptr; };

    if (m_pList->GetModel()->GetColumns() != CProgListModel::COLUMNS_NONE) {
        const int32_t nListKind = m_pList->GetKind();
        const int nRow = ChosenRow();
        const int32_t nRowId = nRow >= 0 ? m_pList->GetRowId(nRow) : INVALID_ID;
        if (nListKind == nParentKind && nRow >= 0 && Exists(nRowId))
            return nRowId;
        if (nListKind == nKind) {
            const CNode* pNode = nRow >= 0 ? pDb->GetList(nKind).Find(nRowId) : nullptr;
            if (pNode && Exists(pNode->GetParentId())) {
                if (pnBeforeId)
                    *pnBeforeId = nRowId;
                return pNode->GetParentId();
            }
            if (Exists(m_pList->GetParentId()))
                return m_pList->GetParentId();
        }
    }
    const QTreeWidgetItem* pItem = m_pTree->currentItem();
    if (!pItem)
        return INVALID_ID;
    const int nImage = pItem->data(0, CProgBrowseView::ROLE_IMAGE).toInt();
    const int32_t nId = pItem->data(0, CProgBrowseView::ROLE_ID).toInt();
    if (nParentKind == NODE_TP)
        return nImage == CProgBrowseView::IMAGE_TP && Exists(nId) ? nId : INVALID_ID;
    if (nImage == CProgBrowseView::IMAGE_TP && pItem->parent())
        return Exists(pItem->parent()->data(0, CProgBrowseView::ROLE_ID).toInt())
                   ? pItem->parent()->data(0, CProgBrowseView::ROLE_ID).toInt()
                   : INVALID_ID;
    return nImage == CProgBrowseView::IMAGE_SAT && Exists(nId) ? nId : INVALID_ID;
}

void CEditActions::ShowPlace(NodeType nKind, int32_t nParentId)
{
    if (m_pList->GetModel()->GetColumns() != CProgListModel::COLUMNS_NONE && m_pList->GetKind() == nKind &&
        (nKind == NODE_SAT || m_pList->GetParentId() == INVALID_ID || m_pList->GetParentId() == nParentId))
        return;
    const int32_t nListed = nKind == NODE_SAT ? INVALID_ID : nParentId;
    if (!m_pTree->SelectNode(nKind, nListed))
        m_pList->ShowRecords(nKind, nListed);
}

void CEditActions::OnUndo()
{
    m_pList->Undo();
}

void CEditActions::OnRedo()
{
    m_pList->Redo();
}

void CEditActions::OnCopy()
{
    const CProgDb* pDb = m_pList->GetModel()->GetDb();
    if (!pDb)
        return;
    const auto nKind = static_cast<NodeType>(m_pList->GetKind());
    const int nCopied = m_pClipboard->CopyRecords(*pDb, nKind, m_pList->GetSelectedIds());
    if (nCopied > 0)
        ShowStatus(QStringLiteral("Copied ") +
                   QString::fromStdString(CountText(static_cast<size_t>(nCopied), nKind)));
}

void CEditActions::OnCut()
{
    const CProgDb* pDb = m_pList->GetModel()->GetDb();
    if (!pDb)
        return;
    const auto nKind = static_cast<NodeType>(m_pList->GetKind());
    if (m_pClipboard->CopyRecords(*pDb, nKind, m_pList->GetSelectedIds()) > 0)
        m_pList->CutSelected();
}

void CEditActions::OnPaste()
{
    const CProgDb* pDb = m_pList->GetModel()->GetDb();
    if (!pDb)
        return;
    CRecordSet records;
    std::string strError;
    if (!m_pClipboard->GetRecords(records, strError)) {
        ShowStatus(QStringLiteral("Paste: ") + Continued(strError));
        return;
    }
    const NodeType nKind = records.nTopKind;
    int32_t nBeforeId = INVALID_ID;
    const int32_t nParentId = ParentFor(nKind, &nBeforeId);
    const int32_t nWhereKind = nKind == NODE_SAT         ? NODE_SAT
                               : nParentId == INVALID_ID ? -1
                                                         : (nKind == NODE_TP ? NODE_SAT : NODE_TP);
    std::unique_ptr<CInsertCommand> pPaste =
        CInsertCommand::Paste(*pDb, std::move(records), nWhereKind, nParentId, nBeforeId, strError);
    if (!pPaste) {
        ShowStatus(QStringLiteral("Paste: ") + Continued(strError));
        return;
    }
    ShowPlace(nKind, nParentId);
    m_pList->RunCommand(std::move(pPaste));
}

void CEditActions::OnDelete()
{
    m_pList->DeleteSelected();
}

void CEditActions::OnDuplicate()
{
    const auto nKind = static_cast<NodeType>(m_pList->GetKind());
    m_pList->RunCommand(CInsertCommand::Duplicate(nKind, m_pList->GetSelectedIds()));
}

void CEditActions::OnSelectAll()
{
    m_pList->selectAll();
}

void CEditActions::OnRename()
{
    int nRow = m_pList->GetCurrentRow();
    if (nRow < 0)
        nRow = ChosenRow();
    int nColumn = m_pList->currentIndex().column();
    if (!m_pList->IsCellEditable(nRow, nColumn))
        nColumn = m_pList->GetNameColumn();
    m_pList->setFocus();
    m_pList->EditCell(nRow, nColumn);
}

void CEditActions::OnSetField()
{
    const std::vector<int> rows = m_pList->GetSelectedRows();
    if (rows.empty())
        return;
    CSetFieldDlg dlg(m_pList->GetKind(), static_cast<int>(rows.size()), m_pFrame);
    dlg.SetColumn(m_pList->currentIndex().column());
    const int nResult = m_fnRunSetFieldDlg ? m_fnRunSetFieldDlg(dlg) : dlg.exec();
    if (nResult != QDialog::Accepted)
        return;
    QString strError;
    if (!m_pList->SetColumnOfSelected(dlg.GetColumn(), dlg.GetText(), strError))
        ShowStatus(strError);
}

void CEditActions::OnNewRecord(NodeType nKind)
{
    if (!HasDb())
        return;
    const int32_t nParentId = ParentFor(nKind);
    if (nKind != NODE_SAT && nParentId == INVALID_ID)
        return;
    ShowPlace(nKind, nParentId);
    if (!m_pList->RunCommand(CInsertCommand::NewRecord(nKind, nParentId)))
        return;
    m_pList->setFocus();
    m_pList->EditCell(m_pList->GetCurrentRow(), m_pList->GetNameColumn());
}
