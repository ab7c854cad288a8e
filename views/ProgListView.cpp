#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "edit/EditHistory.h"
#include "views/CellDelegate.h"
#include "views/ProgListModel.h"

#include <QHelpEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

// Listing: the rows of a tree selection, the row accessors and the keys. Deleting, editing,
// filtering and dragging are in ProgListViewDelete.cpp, ProgListViewEdit.cpp,
// ProgListViewFilter.cpp and ProgListViewDrag.cpp.

namespace {
constexpr int COLUMN_WIDTH = 80;
}

CProgListView::CProgListView(QWidget* pParent) : QTableView(pParent), m_pModel(new CProgListModel(this))
{
    setObjectName("progListView");
    setModel(m_pModel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F2 is the frame's Rename, which calls EditCell.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* pDelegate = new CCellDelegate(m_pModel, this);
    pDelegate->SetCommit(
        [this](const QModelIndex& index, const QString& strText) { OnCommitCell(index, strText); });
    setItemDelegate(pDelegate);
    SetEditHistory(nullptr);
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

    m_pAutoScroll = new QTimer(this);
    m_pAutoScroll->setInterval(50);
    connect(m_pAutoScroll, &QTimer::timeout, this, &CProgListView::OnAutoScroll);

    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CProgListView::UpdateFilterAction);
}

CProgListView::~CProgListView() = default;

void CProgListView::ShowDb(CProgDb* pDb)
{
    m_pModel->SetDb(pDb);
    if (m_pHistory->GetDb() != pDb)
        m_pHistory->SetDb(pDb);
    ClearList();
}

void CProgListView::ClearList()
{
    CancelDrag(); // its rows are going
    ResetPress();
    RememberColumnWidths();
    m_pModel->Clear();
    SetFiltered(false);
}

void CProgListView::ShowRecords(int32_t nKind, int32_t nParentId)
{
    ClearList();
    m_nParentId = nParentId;
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
    ApplyColumnWidths();
    m_pModel->SetRows(std::move(ids));
    m_pModel->SetKind(nKind);
}

void CProgListView::RememberColumnWidths()
{
    const int nColumns = m_pModel->GetColumns();
    if (nColumns < 0 || nColumns > NODE_PROG || m_pModel->columnCount() == 0)
        return;
    QList<int>& widths = m_columnWidths[nColumns];
    widths.clear();
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        widths.append(horizontalHeader()->sectionSize(c));
}

void CProgListView::ApplyColumnWidths()
{
    const int nColumns = m_pModel->GetColumns();
    if (nColumns < 0 || nColumns > NODE_PROG)
        return;
    const QList<int>& widths = m_columnWidths[nColumns];
    if (widths.size() != m_pModel->columnCount())
        return;
    for (int c = 0; c < widths.size(); ++c)
        if (widths[c] > 0)
            horizontalHeader()->resizeSection(c, widths[c]);
}

QList<int> CProgListView::GetColumnWidths(int nKind) const
{
    if (nKind < NODE_SAT || nKind > NODE_PROG)
        return QList<int>();
    if (m_pModel->GetColumns() != nKind || m_pModel->columnCount() == 0)
        return m_columnWidths[nKind];
    QList<int> widths;
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        widths.append(horizontalHeader()->sectionSize(c));
    return widths;
}

void CProgListView::SetColumnWidths(int nKind, const QList<int>& widths)
{
    if (nKind < NODE_SAT || nKind > NODE_PROG || widths.size() != CProgListModel::ColumnCount(nKind))
        return;
    m_columnWidths[nKind] = widths;
    if (m_pModel->GetColumns() == nKind)
        ApplyColumnWidths();
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
    // By ranges: all 40,000 rows selected are one range, not 640,000 selected cells.
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CProgListView::SelectRow(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->columnCount() == 0)
        return;
    selectionModel()->select(m_pModel->index(nRow, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CProgListView::SetCurrentRow(int nRow)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->columnCount() == 0) {
        selectionModel()->clearCurrentIndex();
        return;
    }
    // The column of the old current cell stays, so that left and right keep their place.
    const int nColumn = std::max(currentIndex().column(), 0);
    selectionModel()->setCurrentIndex(m_pModel->index(nRow, nColumn), QItemSelectionModel::NoUpdate);
}

void CProgListView::RefreshNames()
{
    m_pModel->RefreshTexts();
}

void CProgListView::keyPressEvent(QKeyEvent* pEvent)
{
    // The clipboard and the history are the frame's: such a key reaches the pane only while its
    // command is disabled, and goes on to the frame, which says why.
    for (QKeySequence::StandardKey key : {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
                                          QKeySequence::Undo, QKeySequence::Redo}) {
        if (pEvent->matches(key)) {
            pEvent->ignore();
            return;
        }
    }
    const bool bPlain = (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (pEvent->key() == Qt::Key_Escape && bPlain && (m_bDragging || m_bFiltered)) {
        // Escape gives up a drag; otherwise it ends a filter.
        if (m_bDragging)
            CancelDrag();
        else
            ClearFilter();
        pEvent->accept();
        return;
    }
    if (pEvent->key() == Qt::Key_Delete && bPlain)
        DeleteSelected();
    QTableView::keyPressEvent(pEvent);
}

bool CProgListView::viewportEvent(QEvent* pEvent)
{
    if (pEvent->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(pEvent);
    const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
    const QModelIndex index = indexAt(pHelp->pos());
    if (index.isValid()) {
        const QRect rcCell = visualRect(index);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = rcCell;
        if (itemDelegateForIndex(index)->sizeHint(option, index).width() > rcCell.width()) {
            QToolTip::showText(pHelp->globalPos(), m_pModel->data(index).toString(), viewport(), rcCell);
            return true;
        }
    }
    QToolTip::hideText();
    pEvent->ignore();
    return true;
}
