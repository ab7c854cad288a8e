#include "views/ProgListView.h"

#include "db/Cascade.h"
#include "db/ProgDb.h"
#include "views/ProgListModel.h"

// Deleting: the Delete key removes the records of the selected rows with everything below them.

void CProgListView::DeleteSelected()
{
    const std::vector<int> selected = GetSelectedRows();
    if (selected.empty())
        return;
    CProgDb* pDb = m_pModel->GetDb();
    if (!pDb)
        return;
    const int32_t nKind = m_pModel->GetKind();
    std::vector<int32_t> ids;
    ids.reserve(selected.size());
    for (int nRow : selected)
        ids.push_back(GetRowId(nRow));
    const CRemoval removal = RemoveRecords(*pDb, static_cast<NodeType>(nKind), ids);
    std::vector<bool> removed(ids.size(), false);
    for (size_t i : removal.removedItems)
        removed[i] = true;

    int nReselect = -1;
    bool bRemovedAny = false;
    if (selected.size() == 1) {
        const int nRow = selected.front();
        if (removed.front()) {
            bRemovedAny = true;
            m_pModel->RemoveRowAt(nRow);
        }
        nReselect = nRow;
    } else {
        std::vector<int> removedRows;
        for (size_t i = 0; i < selected.size(); ++i)
            if (removed[i])
                removedRows.push_back(selected[i]);
        // Rows go from the bottom up so that the remembered indexes stay right.
        for (auto it = removedRows.rbegin(); it != removedRows.rend(); ++it)
            m_pModel->RemoveRowAt(*it);
        if (!removedRows.empty()) {
            bRemovedAny = true;
            nReselect = removedRows.front();
        }
    }

    // Row 0 is never reselected: deleting from the top leaves the list without a selection. The
    // keyboard's current row is the reselected row, or none, so that the arrow keys go on from
    // what is highlighted.
    if (bRemovedAny || nReselect >= 0) {
        int nCurrent = -1;
        if (nReselect > 0 && GetRowCount() > 0) {
            nCurrent = nReselect < GetRowCount() ? nReselect : 0;
            SelectRow(nCurrent);
        } else if (const std::vector<int> rows = GetSelectedRows(); !rows.empty()) {
            nCurrent = rows.front(); // rows whose records were gone stay selected
        }
        SetCurrentRow(nCurrent);
    }
    if (bRemovedAny && (nKind == NODE_SAT || nKind == NODE_TP))
        emit TreeRecordsChanged();
    if (bRemovedAny && m_bFiltered)
        emit FilterChanged();
    if (bRemovedAny)
        emit DbModified();
}
