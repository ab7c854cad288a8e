#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>

#include <algorithm>
#include <set>

namespace {
constexpr int COLUMN_WIDTH = 80;
}

CProgListView::CProgListView(QWidget* pParent) : QTableView(pParent), m_pModel(new CProgListModel(this))
{
    setObjectName("progListView");
    setModel(m_pModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Fixed row heights keep scrolling through tens of thousands of rows cheap.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultSectionSize(COLUMN_WIDTH);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);

    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CProgListView::UpdateFilterAction);
}

CProgListView::~CProgListView() = default;

void CProgListView::SetFilterAction(QAction* pAction)
{
    m_pFilterAction = pAction;
    if (m_pFilterAction)
        connect(m_pFilterAction, &QAction::triggered, this, &CProgListView::OnFilter);
    UpdateFilterAction();
}

void CProgListView::UpdateFilterAction()
{
    if (m_pFilterAction)
        m_pFilterAction->setEnabled(GetRowCount() > 1);
}

void CProgListView::ShowDb(CProgDb* pDb)
{
    m_pDb = pDb;
    m_pModel->SetDb(pDb);
    ClearList();
}

void CProgListView::ClearList()
{
    m_pModel->Clear();
}

void CProgListView::InsertSatColumns()
{
    m_pModel->SetColumns(CProgListModel::COLUMNS_SAT);
}

void CProgListView::InsertTpColumns()
{
    m_pModel->SetColumns(CProgListModel::COLUMNS_TP);
}

void CProgListView::InsertProgColumns()
{
    m_pModel->SetColumns(CProgListModel::COLUMNS_PROG);
}

void CProgListView::AddSatRow(int nRow, const CSatNode* pNode)
{
    if (pNode)
        m_pModel->InsertRow(nRow, pNode->GetId());
}

void CProgListView::AddTpRow(int nRow, const CTpNode* pNode)
{
    if (pNode)
        m_pModel->InsertRow(nRow, pNode->GetId());
}

void CProgListView::AddProgRow(int nRow, const CProgNode* pNode)
{
    if (pNode)
        m_pModel->InsertRow(nRow, pNode->GetId());
}

void CProgListView::ShowRecords(int32_t nKind, int32_t nParentId)
{
    ClearList();
    std::vector<int32_t> ids;
    if (nKind == NODE_PROG) {
        InsertProgColumns();
        if (m_pDb)
            for (const CNode* pNode : m_pDb->GetProgList())
                if (nParentId == INVALID_ID || pNode->GetParentId() == nParentId)
                    ids.push_back(pNode->GetId());
    } else if (nKind == NODE_TP) {
        InsertTpColumns();
        if (m_pDb)
            for (const CNode* pNode : m_pDb->GetTpList())
                if (nParentId == INVALID_ID || pNode->GetParentId() == nParentId)
                    ids.push_back(pNode->GetId());
    } else {
        InsertSatColumns();
        if (m_pDb)
            for (const CNode* pNode : m_pDb->GetSatList())
                ids.push_back(pNode->GetId());
    }
    m_pModel->SetRows(std::move(ids));
    m_nKind = nKind;
}

CNodeList* CProgListView::GetCurrentList() const
{
    if (!m_pDb)
        return nullptr;
    switch (m_nKind) {
    case NODE_SAT:
        return &m_pDb->GetSatList();
    case NODE_TP:
        return &m_pDb->GetTpList();
    default:
        return &m_pDb->GetProgList();
    }
}

int CProgListView::GetRowCount() const
{
    return m_pModel->GetRowCount();
}

int32_t CProgListView::GetRowId(int nRow) const
{
    return m_pModel->GetId(nRow);
}

std::vector<int> CProgListView::GetSelectedRows() const
{
    std::set<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.insert(index.row());
    return std::vector<int>(rows.begin(), rows.end());
}

void CProgListView::SelectRow(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->columnCount() == 0)
        return;
    selectionModel()->select(m_pModel->index(nRow, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CProgListView::DeleteSelected()
{
    const std::vector<int> selected = GetSelectedRows();
    if (selected.empty())
        return;
    CNodeList* pList = GetCurrentList();
    if (!pList)
        return;

    int nReselect = -1;
    bool bRemovedAny = false;
    if (selected.size() == 1) {
        const int nRow = selected.front();
        const int32_t nId = GetRowId(nRow);
        if (pList->Remove(nId)) {
            bRemovedAny = true;
            RemoveChildren(nId);
            m_pModel->RemoveRowAt(nRow);
        }
        nReselect = nRow;
    } else {
        std::vector<int> removedRows;
        for (int nRow : selected) {
            const int32_t nId = GetRowId(nRow);
            if (pList->Remove(nId)) {
                RemoveChildren(nId);
                removedRows.push_back(nRow);
            }
        }
        // Rows go from the bottom up so that the remembered indexes stay right.
        for (auto it = removedRows.rbegin(); it != removedRows.rend(); ++it)
            m_pModel->RemoveRowAt(*it);
        if (!removedRows.empty()) {
            bRemovedAny = true;
            nReselect = removedRows.front();
        }
    }

    // Row 0 is never reselected: deleting from the top leaves the list without a selection.
    if (nReselect > 0 && GetRowCount() > 0)
        SelectRow(nReselect < GetRowCount() ? nReselect : 0);
    if (bRemovedAny)
        emit DbModified();
}

void CProgListView::RemoveChildren(int32_t nId)
{
    if (!m_pDb)
        return;
    if (m_nKind == NODE_SAT) {
        CNodeList& progs = m_pDb->GetProgList();
        for (const CNode* pTp : m_pDb->GetTpList())
            if (pTp->GetParentId() == nId)
                progs.RemoveByParent(pTp->GetId());
        m_pDb->GetTpList().RemoveByParent(nId);
        if (m_pTreeView)
            m_pTreeView->RefreshTree();
    } else if (m_nKind == NODE_TP) {
        m_pDb->GetProgList().RemoveByParent(nId);
        if (m_pTreeView)
            m_pTreeView->RefreshTree();
    }
}

void CProgListView::OnFilter()
{
    if (GetRowCount() <= 1)
        return;
    // The condition dialog and the row rebuild come with the filter feature.
}

void CProgListView::RefreshNames()
{
    m_pModel->RefreshTexts();
}

void CProgListView::keyPressEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Delete && (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
        DeleteSelected();
    QTableView::keyPressEvent(pEvent);
}
