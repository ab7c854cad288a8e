#include "app/ReferenceCommands.h"

#include "access/Access.h"
#include "app/FileCommands.h"
#include "app/OrderLikeDlg.h"
#include "app/Prompt.h"
#include "db/IdMap.h"
#include "db/ListDiff.h"
#include "db/ProgDb.h"
#include "edit/Document.h"
#include "edit/OrderLikeCommand.h"
#include "edit/TakeOverCommand.h"
#include "views/CompareMarks.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"
#include "views/ReferencePane.h"
#include "views/ShowRecord.h"

#include <QAction>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QSplitter>
#include <QStringList>

#include <algorithm>
#include <unordered_set>

namespace {

constexpr int STATUS_TIMEOUT_MS = 10000;

// The filters of the open dialog, in its order, with the format each one reads.
const struct
{
    const char* pszFormat;
    const char* pszFilter;
} REFERENCE_FILTERS[] = {
    {"db", "Program Db File(*.db)"},
    {"xls", "Excel File(*.xls)"},
    {"json", "JSON File(*.json)"},
    {"bin20", "Binary File, layout 2.0(*.bin)"},
    {"bin25", "Binary File, layout 2.5(*.bin)"},
};

QString Number(int n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// The position of the first record with each id of a list.
CIdMap FirstPositions(const CNodeList& list)
{
    CIdMap positions(int64_t(list.GetLastId()) + 1);
    int32_t nPosition = 0;
    for (const CNode* pNode : list) {
        int32_t& nAt = positions.At(pNode->GetId());
        if (nAt < 0)
            nAt = nPosition;
        ++nPosition;
    }
    return positions;
}

} // namespace

CReferenceCommands::CReferenceCommands(QMainWindow& frame, QSplitter& splitter, CDocument& doc,
                                       CProgBrowseView& tree, CProgListView& list, CFileCommands& files,
                                       IPrompt& prompt)
    : QObject(&frame), m_frame(frame), m_splitter(splitter), m_doc(doc), m_tree(tree), m_list(list),
      m_files(files), m_prompt(prompt)
{
    const auto Add = [&frame](const char* pszName, const QString& strText, const QString& strTip) {
        auto* pAction = new QAction(strText, &frame);
        pAction->setObjectName(QString::fromLatin1(pszName));
        pAction->setStatusTip(strTip);
        frame.addAction(pAction); // the keys work while the action is in no visible menu
        return pAction;
    };
    m_pOpen = Add(
        "actionOpenReference", QStringLiteral("Open &Reference List..."),
        QStringLiteral("Open a second channel list beside this one, to compare with and take records from"));
    m_pOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(m_pOpen, &QAction::triggered, this, &CReferenceCommands::OnOpenReference);
    m_pClose = Add("actionCloseReference", QStringLiteral("Close Reference &List"),
                   QStringLiteral("Close the reference list"));
    connect(m_pClose, &QAction::triggered, this, &CReferenceCommands::CloseReference);
    m_pCompare = Add("actionCompare", QStringLiteral("Compare &With Reference"),
                     QStringLiteral("Mark what differs between this list and the reference list"));
    m_pCompare->setCheckable(true);
    connect(m_pCompare, &QAction::toggled, this, &CReferenceCommands::SetComparing);
    m_pTakeOver = Add("actionTakeOver", QStringLiteral("Ta&ke Over"),
                      QStringLiteral("Copy the records selected in the reference list into this list"));
    connect(m_pTakeOver, &QAction::triggered, this, [this] {
        m_list.CommitEditing();
        TakeOver(-1);
    });
    m_pOrderLike = Add("actionOrderLike", QStringLiteral("&Order Like Reference..."),
                       QStringLiteral("Put this list into the order of the reference list"));
    connect(m_pOrderLike, &QAction::triggered, this, [this] {
        m_list.CommitEditing();
        OnOrderLike();
    });
    connect(m_list.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { FollowSelection(true); });
    UpdateActions();
}

CReferenceCommands::~CReferenceCommands()
{
    // The panes let go of the marks and the reference before they go.
    ClearMarks();
    if (m_pPane)
        m_pPane->ShowDocument(nullptr);
}

void CReferenceCommands::UpdateActions()
{
    const bool bRef = m_pRef != nullptr;
    const bool bDb = m_doc.GetDb() != nullptr;
    const QString strNoRef = QStringLiteral("no reference list is open (File > Open Reference List...)");
    const auto SetState = [](QAction* pAction, const QString& strName, const QString& strTip,
                             const QString& strWhy) {
        pAction->setEnabled(strWhy.isEmpty());
        pAction->setStatusTip(strWhy.isEmpty() ? strTip : strName + QStringLiteral(": ") + strWhy);
    };
    SetState(m_pClose, QStringLiteral("Close Reference List"), QStringLiteral("Close the reference list"),
             bRef ? QString() : strNoRef);
    const QString strNoDb = bRef ? (bDb ? QString() : QStringLiteral("no channel list is open")) : strNoRef;
    SetState(m_pCompare, QStringLiteral("Compare With Reference"),
             QStringLiteral("Mark what differs between this list and the reference list"), strNoDb);
    SetState(m_pOrderLike, QStringLiteral("Order Like Reference"),
             QStringLiteral("Put this list into the order of the reference list"), strNoDb);
    const bool bSelected = m_pPane && m_pPane->GetListView()->selectionModel()->hasSelection();
    SetState(m_pTakeOver, QStringLiteral("Take Over"),
             QStringLiteral("Copy the records selected in the reference list into this list"),
             !strNoDb.isEmpty() ? strNoDb
             : bSelected        ? QString()
                                : QStringLiteral("no rows of the reference list are selected"));
}

void CReferenceCommands::OnOpenReference()
{
    QStringList filters;
    for (const auto& f : REFERENCE_FILTERS)
        filters << QString::fromLatin1(f.pszFilter);
    filters << QStringLiteral("All Files (*.*)");
    int nFilter = -1;
    const QString strPath = m_prompt.GetOpenFileNameOf(filters.join(QStringLiteral(";;")), &nFilter);
    if (strPath.isEmpty())
        return;
    const char* pszFormat = nullptr;
    if (nFilter >= 0 && nFilter < static_cast<int>(std::size(REFERENCE_FILTERS))) {
        pszFormat = REFERENCE_FILTERS[nFilter].pszFormat;
    } else {
        const std::string strExt = QFileInfo(strPath).suffix().toLower().toStdString();
        pszFormat = strExt == "xls" ? "xls" : strExt == "json" ? "json" : strExt == "bin" ? "bin20" : "db";
    }
    OpenReference(strPath, pszFormat);
}

bool CReferenceCommands::OpenReference(const QString& strPath, const char* pszFormat)
{
    const std::unique_ptr<CAccessIn> pImporter = m_files.MakeImporter(pszFormat);
    if (!pImporter)
        return false;
    std::unique_ptr<CProgDb> pDb = m_files.ReadFile(*pImporter, strPath);
    if (!pDb)
        return false;
    auto pRef = std::make_unique<CDocument>();
    pRef->Replace(std::move(pDb));
    pRef->SetFile(strPath.toStdString(), pszFormat, QFileInfo(strPath).fileName().toStdString());

    const bool bComparing = IsComparing();
    ClearMarks();
    if (!m_pPane) {
        m_pPane = new CReferencePane(&m_splitter);
        m_splitter.addWidget(m_pPane);
        m_splitter.setStretchFactor(m_splitter.indexOf(m_pPane), 1);
        CProgListView* pRefList = m_pPane->GetListView();
        connect(pRefList->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this] { FollowSelection(false); });
        connect(pRefList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &CReferenceCommands::UpdateActions);
        connect(pRefList, &CProgListView::RowsDropped, this, &CReferenceCommands::OnRowsDropped);
        pRefList->setContextMenuPolicy(Qt::CustomContextMenu);
        auto* pMenu = new QMenu(pRefList);
        pMenu->setObjectName("referenceContextMenu");
        pMenu->addAction(m_pTakeOver);
        pMenu->addSeparator();
        pMenu->addAction(m_pClose);
        connect(pRefList, &QWidget::customContextMenuRequested, this,
                [this, pRefList, pMenu](const QPoint& pt) {
                    UpdateActions();
                    pMenu->popup(pRefList->viewport()->mapToGlobal(pt));
                });
        // The reference takes about as much room as the edited list.
        const QList<int> sizes = m_splitter.sizes();
        if (sizes.size() == 3 && sizes[1] > 0)
            m_splitter.setSizes({sizes[0], sizes[1] / 2, sizes[1] - sizes[1] / 2});
    }
    m_pPane->ShowDocument(pRef.get());
    m_pRef = std::move(pRef); // the old reference goes now that no pane shows it
    m_pPane->show();
    UpdateActions();
    if (bComparing)
        SetComparing(true);
    emit StatusMessage(QStringLiteral("Reference list: %1").arg(QString::fromStdString(m_pRef->GetName())),
                       STATUS_TIMEOUT_MS);
    return true;
}

void CReferenceCommands::CloseReference()
{
    if (!m_pRef)
        return;
    SetComparing(false);
    m_pPane->ShowDocument(nullptr);
    m_pPane->hide();
    m_pRef.reset();
    UpdateActions();
}

void CReferenceCommands::SetComparing(bool bOn)
{
    if (bOn && m_pRef && m_doc.GetDb()) {
        Compare();
    } else {
        const bool bWas = IsComparing();
        ClearMarks();
        if (bWas)
            emit CompareStatusChanged();
    }
    if (m_pCompare->isChecked() != IsComparing()) {
        const QSignalBlocker blocker(m_pCompare);
        m_pCompare->setChecked(IsComparing());
    }
}

void CReferenceCommands::Compare()
{
    auto pDiff = std::make_unique<CListDiff>(DiffLists(*m_doc.GetDb(), *m_pRef->GetDb()));
    auto pEdited = std::make_unique<CCompareMarks>(*m_doc.GetDb(), *m_pRef->GetDb(), *pDiff, true);
    auto pRef = std::make_unique<CCompareMarks>(*m_pRef->GetDb(), *m_doc.GetDb(), *pDiff, false);
    // The models take the new marks before the old ones go.
    m_list.GetModel()->SetMarks(pEdited.get());
    m_pPane->GetListView()->GetModel()->SetMarks(pRef.get());
    m_pMarksEdited = std::move(pEdited);
    m_pMarksRef = std::move(pRef);
    m_pDiff = std::move(pDiff);
    emit CompareStatusChanged();
}

void CReferenceCommands::ClearMarks()
{
    m_list.GetModel()->SetMarks(nullptr);
    if (m_pPane)
        m_pPane->GetListView()->GetModel()->SetMarks(nullptr);
    m_pMarksEdited.reset();
    m_pMarksRef.reset();
    m_pDiff.reset();
}

QString CReferenceCommands::GetCompareStatus() const
{
    if (!m_pDiff)
        return QString();
    return QStringLiteral("Compare: %1 only in this list, %2 only in the reference, %3 changed, %4 moved")
        .arg(Number(m_pDiff->nOnlyA), Number(m_pDiff->nOnlyB), Number(m_pDiff->nChanged),
             Number(m_pDiff->nMoved));
}

void CReferenceCommands::OnEditedChanged()
{
    if (IsComparing()) {
        if (m_doc.GetDb())
            Compare();
        else
            SetComparing(false);
    }
    UpdateActions();
}

void CReferenceCommands::FollowSelection(bool bFromEdited)
{
    if (!m_pDiff || m_bFollowing)
        return;
    CProgListView& from = bFromEdited ? m_list : *m_pPane->GetListView();
    const int nRow = from.GetCurrentRow();
    if (nRow < 0 || nRow >= from.GetRowCount() ||
        from.GetModel()->GetColumns() == CProgListModel::COLUMNS_NONE)
        return;
    const auto nKind = static_cast<NodeType>(from.GetKind());
    const CCompareMarks& marks = bFromEdited ? *m_pMarksEdited : *m_pMarksRef;
    const int32_t nMatch = marks.GetMatchPosition(nKind, marks.GetPosition(nKind, from.GetRowId(nRow)));
    const CNode* pMatch = marks.GetOtherNode(nKind, nMatch);
    if (!pMatch)
        return;
    m_bFollowing = true;
    if (bFromEdited)
        ShowRecordInPanes(*m_pPane->GetTreeView(), *m_pPane->GetListView(), *m_pRef->GetDb(), nKind, nMatch,
                          pMatch->GetId(), true);
    else
        ShowRecordInPanes(m_tree, m_list, *m_doc.GetDb(), nKind, nMatch, pMatch->GetId(), true);
    m_bFollowing = false;
}

bool CReferenceCommands::TakeOver(int nBeforeRow)
{
    if (!m_pRef || !m_doc.GetDb() || !m_pPane)
        return false;
    CProgListView& from = *m_pPane->GetListView();
    if (from.GetModel()->GetColumns() == CProgListModel::COLUMNS_NONE)
        return false;
    const auto nKind = static_cast<NodeType>(from.GetKind());
    const CIdMap refPositions = FirstPositions(m_pRef->GetDb()->GetList(nKind));
    std::vector<int32_t> positions;
    for (int32_t nId : from.GetSelectedIds())
        if (const int32_t nAt = refPositions.Get(nId); nAt >= 0)
            positions.push_back(nAt);
    if (positions.empty()) {
        emit StatusMessage(QStringLiteral("Take Over: no rows of the reference list are selected"),
                           STATUS_TIMEOUT_MS);
        return false;
    }
    int32_t nBefore = -1;
    if (nBeforeRow >= 0 && nBeforeRow < m_list.GetRowCount() && m_list.GetKind() == nKind &&
        m_list.GetModel()->GetColumns() != CProgListModel::COLUMNS_NONE)
        nBefore = FirstPositions(m_doc.GetDb()->GetList(nKind)).Get(m_list.GetRowId(nBeforeRow));

    std::unique_ptr<CTakeOverCommand> pTake = CTakeOverCommand::Make(
        *m_doc.GetDb(), *m_pRef->GetDb(), nKind, positions, nBefore, m_pDiff ? &m_pDiff->match : nullptr);
    const int32_t nSkipped = pTake->GetSkipped(nKind);
    const int32_t nAdded = pTake->GetAdded(nKind);
    const CTakeOverCommand* pTaken = pTake.get();
    if (!m_list.RunCommand(std::move(pTake))) {
        emit StatusMessage(QStringLiteral("Take Over: this list already has the %1")
                               .arg(QString::fromStdString(CountText(positions.size(), nKind))),
                           STATUS_TIMEOUT_MS);
        return false;
    }
    // The list shows the records taken over, selected: where it lists them all already, or else where
    // all of their kind are listed (transponders of one satellite under it).
    const std::vector<int32_t>& newIds = pTaken->GetNewIds(nKind);
    if (!newIds.empty()) {
        const std::vector<int32_t>& rows = m_list.GetModel()->GetIds();
        const std::unordered_set<int32_t> shown(rows.begin(), rows.end());
        const bool bAllShown =
            m_list.GetKind() == nKind && m_list.GetModel()->GetColumns() != CProgListModel::COLUMNS_NONE &&
            std::all_of(newIds.begin(), newIds.end(), [&shown](int32_t n) { return shown.count(n) != 0; });
        if (!bAllShown) {
            int32_t nParent = INVALID_ID;
            if (nKind == NODE_TP) {
                const CNodeList& tps = m_doc.GetDb()->GetTpList();
                nParent = tps.Find(newIds.front())->GetParentId();
                for (int32_t nId : newIds)
                    if (tps.Find(nId)->GetParentId() != nParent)
                        nParent = INVALID_ID;
            }
            if (!m_tree.SelectNode(nKind, nParent))
                m_list.ShowRecords(nKind, nParent);
            m_list.SelectRecords(newIds);
        }
    }
    QString strText =
        QStringLiteral("Took over %1").arg(QString::fromStdString(CountText(size_t(nAdded), nKind)));
    if (nSkipped > 0)
        strText += QStringLiteral("; skipped %1 this list already has")
                       .arg(QString::fromStdString(CountText(size_t(nSkipped), nKind)));
    emit StatusMessage(strText, STATUS_TIMEOUT_MS);
    return true;
}

void CReferenceCommands::OnRowsDropped(const QPoint& ptGlobal)
{
    QWidget* pViewport = m_list.viewport();
    const QPoint ptList = pViewport->mapFromGlobal(ptGlobal);
    if (pViewport->rect().contains(ptList)) {
        TakeOver(m_list.rowAt(ptList.y())); // below the last row: -1, the natural place
        return;
    }
    if (m_tree.viewport()->rect().contains(m_tree.viewport()->mapFromGlobal(ptGlobal)))
        TakeOver(-1);
}

void CReferenceCommands::OnOrderLike()
{
    if (!m_pRef || !m_doc.GetDb())
        return;
    const CListMatch match = m_pDiff ? m_pDiff->match : MatchLists(*m_doc.GetDb(), *m_pRef->GetDb());
    COrderLikeDlg dlg(*m_doc.GetDb(), *m_pRef->GetDb(), match, &m_frame);
    const int nResult = m_fnRunOrderDlg ? m_fnRunOrderDlg(dlg) : dlg.exec();
    if (nResult != QDialog::Accepted)
        return;
    std::unique_ptr<COrderLikeCommand> pOrder =
        COrderLikeCommand::Make(*m_doc.GetDb(), *m_pRef->GetDb(), dlg.GetOptions(), &match);
    const COrderPlan plan = pOrder->GetPlan();
    if (!m_list.RunCommand(std::move(pOrder))) {
        emit StatusMessage(QStringLiteral("Order Like Reference: the list is already like the reference"),
                           STATUS_TIMEOUT_MS);
        return;
    }
    emit StatusMessage(QStringLiteral("Ordered like the reference: %1 moved, %2 added")
                           .arg(Number(plan.nMoved), Number(plan.nAdded[NODE_SAT] + plan.nAdded[NODE_TP] +
                                                            plan.nAdded[NODE_PROG])),
                       STATUS_TIMEOUT_MS);
}
