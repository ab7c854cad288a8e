#include "views/ProgListView.h"

#include "edit/RemoveCommand.h"
#include "views/ProgListModel.h"
#include "views/ViewCommand.h"

#include <QItemSelectionModel>
#include <QScrollBar>

// Deleting: the Delete key removes the records of the selected rows with everything below them,
// as one command of the edit history.

void CProgListView::DeleteSelected()
{
    RemoveSelected("Delete");
}

void CProgListView::CutSelected()
{
    RemoveSelected("Cut");
}

void CProgListView::RemoveSelected(const char* pszVerb)
{
    const std::vector<int> selected = GetSelectedRows();
    if (selected.empty() || !m_pModel->GetDb())
        return;
    const int32_t nKind = m_pModel->GetKind();
    std::vector<int32_t> ids;
    ids.reserve(selected.size());
    for (int nRow : selected)
        ids.push_back(GetRowId(nRow));
    auto pRemove = std::make_unique<CRemoveCommand>(static_cast<NodeType>(nKind), ids, pszVerb);
    const CRemoveCommand* pRemoved = pRemove.get();
    CViewCommand* pCommand = PushCommand(std::move(pRemove));

    // The rows of the removed records go; a selected row whose record was not there stays.
    std::vector<bool> removed(static_cast<size_t>(GetRowCount()), false);
    int nLowestRemoved = -1;
    if (pCommand) {
        for (size_t i : pRemoved->GetRemovedItems()) {
            removed[static_cast<size_t>(selected[i])] = true;
            if (nLowestRemoved < 0 || selected[i] < nLowestRemoved)
                nLowestRemoved = selected[i];
        }
    }
    const int nReselect = selected.size() == 1 ? selected.front() : nLowestRemoved;
    if (pCommand) {
        // The remaining rows in one go, the selected ones among them still selected.
        std::vector<int32_t> rows;
        std::vector<bool> stillSelected;
        rows.reserve(removed.size());
        stillSelected.reserve(removed.size());
        const std::vector<int32_t>& oldRows = m_pModel->GetIds();
        std::vector<bool> wasSelected(removed.size(), false);
        for (int nRow : selected)
            wasSelected[static_cast<size_t>(nRow)] = true;
        for (size_t r = 0; r < removed.size(); ++r) {
            if (removed[r])
                continue;
            rows.push_back(oldRows[r]);
            stillSelected.push_back(wasSelected[r]);
        }
        const int nScroll = verticalScrollBar()->value();
        m_pModel->SetRows(std::move(rows));
        updateGeometries();
        verticalScrollBar()->setValue(nScroll);
        SetRowSelection(stillSelected);
    }

    // Row 0 is never reselected: deleting from the top leaves the list without a selection. The
    // keyboard's current row is the reselected row, or none, so that the arrow keys go on from
    // what is highlighted.
    if (pCommand || nReselect >= 0) {
        int nCurrent = -1;
        if (nReselect > 0 && GetRowCount() > 0) {
            nCurrent = nReselect < GetRowCount() ? nReselect : 0;
            SelectRow(nCurrent);
        } else if (const std::vector<int> rows = GetSelectedRows(); !rows.empty()) {
            nCurrent = rows.front(); // rows whose records were gone stay selected
        }
        SetCurrentRow(nCurrent);
    }
    if (!pCommand)
        return;
    pCommand->SetAfter({nKind, CIdRuns(GetSelectedIds())});
    AnnounceChange(pCommand->GetTouched(), true);
}
