#include "views/ProgListView.h"

#include "db/Columns.h"
#include "db/ListFind.h"
#include "db/ListSort.h"
#include "db/ProgDb.h"
#include "edit/Document.h"
#include "edit/EditHistory.h"
#include "views/CellDelegate.h"
#include "views/ListDragger.h"
#include "views/ListFinder.h"
#include "views/ListSorter.h"
#include "views/LocaleCollation.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QHelpEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

// Listing: the rows of a tree selection (CListing: listing, filter, sort, Find) shown, the row
// accessors and the keys. Deleting, editing, filtering and dropping are in ProgListViewDelete.cpp,
// ProgListViewEdit.cpp, ProgListViewFilter.cpp and ProgListViewDrag.cpp; sorting and Find forward to
// CListSorter and CListFinder (ProgListViewSort.cpp).

namespace {
constexpr int COLUMN_WIDTH = 80;
}

CProgListView::CProgListView(QWidget* pParent)
    : QTableView(pParent), m_pModel(new CProgListModel(this)),
      m_pCollation(std::make_unique<CLocaleCollation>()), m_listing(*m_pCollation),
      m_pDragger(std::make_unique<CListDragger>(*this)),
      m_pSorter(std::make_unique<CListSorter>(*this, m_listing)),
      m_pFinder(std::make_unique<CListFinder>(*this, m_listing))
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
    // A click on a heading goes through ascending, descending and database order; the view's own
    // sorting stays off, the pane sorts the rows itself.
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicatorClearable(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // Without the view's own sorting a press on a heading would select the column.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, &QTableView::selectColumn);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);

    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, &CProgListView::UpdateFilterAction);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CProgListView::UpdateFilterAction);
}

CProgListView::~CProgListView()
{
    // The tools are children of the pane too; they go first, while the pane is whole.
    m_pFinder.reset();
    m_pSorter.reset();
    m_pDragger.reset();
}

void CProgListView::ShowDocument(CDocument* pDoc)
{
    // Without a document the pane goes back to a history of its own, so that it never keeps the
    // history of a document that may go.
    SetEditHistory(pDoc ? &pDoc->GetHistory() : nullptr);
    ShowDb(pDoc ? pDoc->GetDb() : nullptr);
}

void CProgListView::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    setEditTriggers(bReadOnly ? QAbstractItemView::NoEditTriggers
                              : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
}

void CProgListView::ShowDb(CProgDb* pDb)
{
    m_listing.InvalidateFind(); // a load may fill the same database object anew
    m_pModel->SetDb(pDb);
    if (m_pHistory->GetDb() != pDb)
        m_pHistory->SetDb(pDb);
    ClearList();
}

void CProgListView::ClearList()
{
    CancelDrag(); // its rows are going
    m_pDragger->ResetPress();
    RememberColumnWidths();
    m_pModel->Clear();
    const bool bWasFiltered = m_listing.IsFiltered();
    const bool bWasSorted = m_listing.IsSorted();
    const bool bHadMatches = !m_listing.GetFindText().empty() && m_listing.GetFindMatchCount() != 0;
    m_listing.Clear();
    if (bWasFiltered)
        emit FilterChanged();
    m_pSorter->ShowSortIndicator();
    if (bWasSorted)
        emit SortChanged();
    if (bHadMatches)
        emit FindChanged();
}

void CProgListView::ShowRecords(int32_t nKind, int32_t nParentId)
{
    ClearList();
    const auto nShown = static_cast<NodeType>(nKind == NODE_PROG || nKind == NODE_TP ? nKind : NODE_SAT);
    m_listing.Show(nShown, nParentId);
    m_pModel->SetColumns(nShown);
    m_pModel->SetKind(nShown);
    ApplyColumnWidths();
    ShowRows(nullptr, CIdRuns());
    if (!m_listing.GetFindText().empty())
        emit FindChanged();
}

void CProgListView::ShowRows(const CIdRuns* pKeep, const CIdRuns& select)
{
    std::vector<int32_t> ids;
    if (const CProgDb* pDb = m_pModel->GetDb(); pDb && m_listing.IsListed()) {
        m_listing.Relist(*pDb, pKeep);
        ids = m_listing.Narrow(*pDb, &select);
    } else {
        m_listing.ClearRows();
    }
    const int nScroll = verticalScrollBar()->value();
    // The old selection goes first, so the layout change has no selected cells to carry along.
    selectionModel()->clearSelection();
    // The same rows in another order are one layout change; other rows replace the old ones.
    m_pModel->ReorderRows(std::move(ids));
    updateGeometries();
    verticalScrollBar()->setValue(nScroll);
    SelectIds(select);
}

void CProgListView::ShowNarrowed()
{
    // The selected records stay selected where they are still shown.
    const CIdRuns selected(GetSelectedIds());
    std::vector<int32_t> ids;
    if (const CProgDb* pDb = m_pModel->GetDb())
        ids = m_listing.Narrow(*pDb, nullptr);
    selectionModel()->clearSelection();
    m_pModel->ReorderRows(std::move(ids));
    SelectIds(selected);
}

void CProgListView::UpdateUnnarrowed()
{
    if (const CProgDb* pDb = m_pModel->GetDb(); pDb && m_listing.Follow(*pDb))
        emit FindChanged();
}

const char* CProgListView::KindNoun(int32_t nKind, int nCount)
{
    if (nKind == NODE_PROG)
        return nCount == 1 ? "program" : "programs";
    if (nKind == NODE_TP)
        return nCount == 1 ? "transponder" : "transponders";
    return nCount == 1 ? "satellite" : "satellites";
}

int CProgListView::GetListingCount() const
{
    const CProgDb* pDb = m_pModel->GetDb();
    return pDb && m_listing.IsListed() ? m_listing.CountListed(*pDb) : 0;
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
    const CColumn* pSorted = GetColumn(GetKind(), m_listing.GetSortColumn());
    if (IsFindNarrowing() || (pSorted && pSorted->nSource == CColumn::SRC_NAME)) {
        ShowRows(nullptr, CIdRuns(GetSelectedIds()));
        emit FindChanged();
    }
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
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
    const bool bPlain = modifiers == Qt::NoModifier;
    const bool bFind = !m_listing.GetFindText().empty();
    if (pEvent->key() == Qt::Key_Escape && bPlain && (IsDragging() || bFind || IsFiltered())) {
        // Escape gives up a drag; otherwise it ends Find, then a filter.
        if (IsDragging())
            CancelDrag();
        else if (bFind)
            ClearFind();
        else
            ClearFilter();
        pEvent->accept();
        return;
    }
    if (modifiers == Qt::ControlModifier) {
        const struct
        {
            int nKey;
            RowMove nMove;
        } moves[] = {{Qt::Key_Up, ROW_MOVE_UP},
                     {Qt::Key_Down, ROW_MOVE_DOWN},
                     {Qt::Key_Home, ROW_MOVE_TOP},
                     {Qt::Key_End, ROW_MOVE_BOTTOM}};
        for (const auto& move : moves) {
            // Without a selection the keys move the current row, as in any list.
            if (pEvent->key() == move.nKey && selectionModel()->hasSelection()) {
                MoveSelected(move.nMove);
                pEvent->accept();
                return;
            }
        }
    }
    if (pEvent->key() == Qt::Key_Delete && bPlain && !m_bReadOnly)
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
        // The whole text of a cell too narrow for it, and what a comparison marked there.
        QStringList lines;
        if (itemDelegateForIndex(index)->sizeHint(option, index).width() > rcCell.width())
            lines << m_pModel->data(index).toString();
        const QString strMark = m_pModel->MarkToolTip(index.row(), index.column());
        if (!strMark.isEmpty())
            lines << strMark;
        if (!lines.isEmpty()) {
            QToolTip::showText(pHelp->globalPos(), lines.join(QLatin1Char('\n')), viewport(), rcCell);
            return true;
        }
    }
    QToolTip::hideText();
    pEvent->ignore();
    return true;
}
