#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "views/ProgListModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>

#include <set>

// Listing: the rows of a tree selection, the row accessors and the keys. Deleting, filtering and
// dragging are in ProgListViewDelete.cpp, ProgListViewFilter.cpp and ProgListViewDrag.cpp.

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

void CProgListView::ShowDb(CProgDb* pDb)
{
    m_pModel->SetDb(pDb);
    ClearList();
}

void CProgListView::ClearList()
{
    CancelDrag(); // its rows are going
    ResetPress();
    m_pModel->Clear();
}

void CProgListView::ShowRecords(int32_t nKind, int32_t nParentId)
{
    ClearList();
    const CProgDb* pDb = m_pModel->GetDb();
    std::vector<int32_t> ids;
    if (nKind == NODE_PROG) {
        m_pModel->SetColumns(CProgListModel::COLUMNS_PROG);
        if (pDb)
            for (const CNode* pNode : pDb->GetProgList())
                if (nParentId == INVALID_ID || pNode->GetParentId() == nParentId)
                    ids.push_back(pNode->GetId());
    } else if (nKind == NODE_TP) {
        m_pModel->SetColumns(CProgListModel::COLUMNS_TP);
        if (pDb)
            for (const CNode* pNode : pDb->GetTpList())
                if (nParentId == INVALID_ID || pNode->GetParentId() == nParentId)
                    ids.push_back(pNode->GetId());
    } else {
        m_pModel->SetColumns(CProgListModel::COLUMNS_SAT);
        if (pDb)
            for (const CNode* pNode : pDb->GetSatList())
                ids.push_back(pNode->GetId());
    }
    m_pModel->SetRows(std::move(ids));
    m_pModel->SetKind(nKind);
}

CNodeList* CProgListView::GetCurrentList() const
{
    return m_pModel->GetCurrentList();
}

int32_t CProgListView::GetKind() const
{
    return m_pModel->GetKind();
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
