#include "views/ShowRecord.h"

#include "db/ProgDb.h"
#include "db/RecordPlace.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

namespace {

int RowOfId(const CProgListView& list, int32_t nId)
{
    for (int r = 0; r < list.GetRowCount(); ++r)
        if (list.GetRowId(r) == nId)
            return r;
    return -1;
}

void SelectOnly(CProgListView& list, int nRow)
{
    list.clearSelection();
    list.SelectRow(nRow);
    const QModelIndex index = list.model()->index(nRow, 0);
    list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list.scrollTo(index, QAbstractItemView::PositionAtCenter);
}

} // namespace

bool ShowRecordInPanes(CProgBrowseView& tree, CProgListView& list, const CProgDb& db, NodeType nKind,
                       int32_t nIndex, int32_t nId, bool bKeepListing)
{
    CRecordPlace place;
    if (!FindRecordPlace(db, nKind, nIndex, nId, place))
        return false;
    if (bKeepListing && list.GetModel()->GetColumns() == nKind) {
        const int nRow = RowOfId(list, place.nRowId);
        if (nRow >= 0) {
            SelectOnly(list, nRow);
            return true;
        }
    }
    // Selecting the node lists its records, also when it is the current node already. A record no
    // node lists (a transponder without its satellite) is listed without one.
    if (!place.bTreeNode || !tree.SelectNode(place.nListKind, place.nParentId)) {
        {
            const QSignalBlocker blocker(&tree);
            tree.setCurrentIndex(QModelIndex());
        }
        list.ShowRecords(place.nListKind, place.nParentId);
    }
    if (list.IsFindNarrowing())
        list.ClearFind();
    // The rows are the listing in database order now; the row is the record's, or the first with its
    // id when the row shows another id.
    int nRow = place.nRow;
    if (nRow < 0 || nRow >= list.GetRowCount() || list.GetRowId(nRow) != place.nRowId)
        nRow = RowOfId(list, place.nRowId);
    if (nRow >= 0)
        SelectOnly(list, nRow);
    return true;
}
