#include "views/ProgListView.h"

#include "db/ProgDb.h"
#include "db/RowReorder.h"
#include "views/FilterDlg.h"
#include "views/ListFilter.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

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
    CancelDrag(); // its rows are going
    ResetPress();
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
    if (GetRowCount() == 0)
        return;
    CancelDrag();
    CListFilter filter(*m_pModel);
    CFilterDlg dlg(&filter, m_pSink, this);
    dlg.SetTitle(m_nKind == NODE_PROG ? QStringLiteral("Prog Filter")
                 : m_nKind == NODE_TP ? QStringLiteral("Tp Filter")
                                      : QStringLiteral("Sat Filter"));
    const int nResult = m_fnRunFilterDlg ? m_fnRunFilterDlg(dlg) : dlg.DoModal();
    if (nResult != QDialog::Accepted)
        return;

    std::vector<int32_t> ids;
    for (int nRow = filter.FindNextMatch(-1); nRow >= 0; nRow = filter.FindNextMatch(nRow))
        ids.push_back(GetRowId(nRow));

    // The survivors are listed again from the database, in one go; a record that is no longer
    // there gets no row.
    const CNodeList* pList = GetCurrentList();
    std::vector<int32_t> rows;
    rows.reserve(ids.size());
    for (int32_t nId : ids)
        if (pList && pList->Find(nId))
            rows.push_back(nId);
    clearSelection();
    ResetPress();
    m_pModel->SetRows(std::move(rows));
}

void CProgListView::BeginDrag(int nRow, const QPoint& ptStart)
{
    if (nRow < 0 || nRow >= GetRowCount() || m_pModel->columnCount() == 0)
        return;
    m_nDragIndex = nRow;

    // The image of the row as drawn: from its first to its last column, clipped to the viewport.
    const QRect rcFirst = visualRect(m_pModel->index(nRow, 0));
    const QRect rcLast = visualRect(m_pModel->index(nRow, m_pModel->columnCount() - 1));
    const QRect rcRow = rcFirst.united(rcLast).intersected(viewport()->rect());
    m_pDragImage = std::make_unique<QLabel>();
    m_pDragImage->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                 Qt::WindowTransparentForInput);
    m_pDragImage->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pDragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pDragImage->setObjectName("dragImage");
    if (!rcRow.isEmpty())
        m_pDragImage->setPixmap(viewport()->grab(rcRow));
    m_pDragImage->setWindowOpacity(0.7);
    m_pDragImage->adjustSize();
    m_pDragImage->move(viewport()->mapToGlobal(ptStart) + QPoint(DRAG_IMAGE_DX, DRAG_IMAGE_DY));
    m_pDragImage->show();

    m_bDragging = true;
    m_nDropIndex = -1;
    m_pModel->SetDropHilite(-1);
    // Moves without the button must reach the view too, to notice a release it never got.
    m_bHadMouseTracking = viewport()->hasMouseTracking();
    viewport()->setMouseTracking(true);
}

void CProgListView::DragMove(const QPoint& pt)
{
    if (!m_bDragging)
        return;
    if (m_pDragImage)
        m_pDragImage->move(viewport()->mapToGlobal(pt) + QPoint(DRAG_IMAGE_DX, DRAG_IMAGE_DY));
    if (!viewport()->rect().contains(pt))
        return; // outside the rows the last target stays
    viewport()->setCursor(Qt::ArrowCursor);
    const QModelIndex hit = indexAt(pt);
    if (!hit.isValid())
        return;
    m_nDropIndex = hit.row();
    m_pModel->SetDropHilite(m_nDropIndex);
}

void CProgListView::EndDrag()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    m_pDragImage.reset();
    viewport()->unsetCursor();
    viewport()->setMouseTracking(m_bHadMouseTracking);
    DropItems();
    // Whatever the drop did, no row stays marked as a target.
    m_pModel->SetDropHilite(-1);
}

void CProgListView::CancelDrag()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    m_pDragImage.reset();
    viewport()->unsetCursor();
    viewport()->setMouseTracking(m_bHadMouseTracking);
    m_pModel->SetDropHilite(-1);
    m_nDropIndex = -1;
    ResetPress();
}

void CProgListView::DropItems()
{
    if (m_nDragIndex < 0 || m_nDropIndex < 0)
        return;
    CNodeList* pList = GetCurrentList();
    if (!pList || m_nDragIndex >= GetRowCount() || m_nDropIndex >= GetRowCount())
        return;

    CListRows rows;
    rows.ids = m_pModel->GetIds();
    rows.selected.assign(rows.ids.size(), false);
    bool bAnySelected = false;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows.selected[static_cast<size_t>(r)] = true;
        bAnySelected = bAnySelected || range.isValid();
    }
    if (!bAnySelected)
        return;
    m_pModel->SetDropHilite(-1);

    if (!DropRows(*pList, rows, m_nDragIndex, m_nDropIndex))
        return;
    // The old selection goes first, so the layout change has no selected cells to carry along.
    selectionModel()->clearSelection();
    m_pModel->ReorderRows(std::move(rows.ids));
    SetRowSelection(rows.selected);
    emit DbModified();
}

void CProgListView::SetRowSelection(const std::vector<bool>& selected)
{
    const int nColumns = m_pModel->columnCount();
    const int nRows = std::min(GetRowCount(), static_cast<int>(selected.size()));
    if (nColumns == 0)
        return;
    QItemSelection selection;
    for (int r = 0; r < nRows;) {
        if (!selected[static_cast<size_t>(r)]) {
            ++r;
            continue;
        }
        const int nFirst = r;
        while (r < nRows && selected[static_cast<size_t>(r)])
            ++r;
        selection.select(m_pModel->index(nFirst, 0), m_pModel->index(r - 1, nColumns - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void CProgListView::ResetPress()
{
    m_nPressRow = -1;
    m_bClickPending = false;
}

void CProgListView::mousePressEvent(QMouseEvent* pEvent)
{
    if (m_bDragging)
        return; // other buttons are ignored until the drag ends
    ResetPress();
    const QModelIndex hit = indexAt(pEvent->position().toPoint());
    if (pEvent->button() != Qt::LeftButton || !hit.isValid()) {
        QTableView::mousePressEvent(pEvent);
        return;
    }
    m_nPressRow = hit.row();
    m_ptPress = pEvent->position().toPoint();
    if (pEvent->modifiers() == Qt::NoModifier && selectionModel()->isRowSelected(hit.row(), QModelIndex())) {
        // Keep the other selected rows until it is clear whether this is a drag or a click.
        m_bClickPending = true;
        selectionModel()->setCurrentIndex(hit, QItemSelectionModel::NoUpdate);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTableView::mousePressEvent(pEvent);
}

void CProgListView::mouseMoveEvent(QMouseEvent* pEvent)
{
    const QPoint pt = pEvent->position().toPoint();
    if (m_bDragging) {
        // A move without the button means its release went elsewhere (a window took the mouse
        // away): the drag is given up rather than dropped at a place the user never chose.
        if (pEvent->buttons() & Qt::LeftButton)
            DragMove(pt);
        else
            CancelDrag();
        return;
    }
    if (m_nPressRow >= 0 && (pEvent->buttons() & Qt::LeftButton)) {
        // A press on a row drags rows; it never sweeps a selection.
        if ((pt - m_ptPress).manhattanLength() >= QApplication::startDragDistance()) {
            m_bClickPending = false;
            BeginDrag(m_nPressRow, m_ptPress);
            DragMove(pt);
        }
        return;
    }
    QTableView::mouseMoveEvent(pEvent);
}

void CProgListView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (m_bDragging) {
        if (pEvent->button() == Qt::LeftButton) {
            ResetPress();
            setState(NoState);
            EndDrag();
        }
        return;
    }
    if (pEvent->button() != Qt::LeftButton) {
        QTableView::mouseReleaseEvent(pEvent);
        return;
    }
    if (m_bClickPending) {
        // No drag came of it: the press the base class did not see is handed on now, so that a
        // click on one of several selected rows selects just that row, as any click does.
        const QPoint ptPress = m_ptPress;
        ResetPress();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(ptPress),
                          viewport()->mapToGlobal(QPointF(ptPress)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QTableView::mousePressEvent(&press);
    }
    ResetPress();
    QTableView::mouseReleaseEvent(pEvent);
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
