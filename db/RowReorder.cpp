#include "db/RowReorder.h"

#include "db/ProgDb.h"

#include <algorithm>

bool DropRows(CNodeList& list, CListRows& rows, int nDragIndex, int nDropIndex)
{
    const int nRows = static_cast<int>(rows.ids.size());
    if (nDragIndex < 0 || nDropIndex < 0 || nDragIndex >= nRows || nDropIndex >= nRows)
        return false;
    std::vector<int> selected;
    for (int i = 0; i < nRows; ++i)
        if (rows.selected[i])
            selected.push_back(i);
    if (selected.empty())
        return false;

    int target = nDropIndex;
    if (selected.size() == 1) {
        if (nDragIndex == target)
            return false;
        const int32_t nId = rows.ids[nDragIndex];
        if (!list.Move(nId, rows.ids[target]))
            return false;
        rows.ids.erase(rows.ids.begin() + nDragIndex);
        rows.selected.erase(rows.selected.begin() + nDragIndex);
        if (nDragIndex < target)
            --target;
        rows.ids.insert(rows.ids.begin() + target, nId);
        rows.selected.insert(rows.selected.begin() + target, true);
        return true;
    }

    if (static_cast<int>(selected.size()) == nRows)
        return false; // no row would be left to drop before

    // The dragged records, in row order; the remaining rows, with the drop row mapped onto them.
    std::vector<int32_t> dragged;
    std::vector<int32_t> restIds;
    std::vector<bool> restSel;
    dragged.reserve(selected.size());
    restIds.reserve(nRows - selected.size());
    for (int i = 0; i < nRows; ++i) {
        if (rows.selected[i]) {
            dragged.push_back(rows.ids[i]);
            if (i < nDropIndex)
                --target;
        } else {
            restIds.push_back(rows.ids[i]);
            restSel.push_back(false);
        }
    }

    // Insert the block before the row at target, clamped into the remaining rows. Every move
    // lands before the same record, so the block keeps its order in the database list too.
    const int nRest = static_cast<int>(restIds.size());
    target = std::max(0, std::min(target, nRest - 1));
    const int32_t nTargetId = restIds[target];
    std::vector<int32_t> moved;
    moved.reserve(dragged.size());
    for (int32_t nId : dragged)
        if (list.Move(nId, nTargetId))
            moved.push_back(nId);

    rows.ids.clear();
    rows.selected.clear();
    rows.ids.reserve(nRest + moved.size());
    rows.ids.insert(rows.ids.end(), restIds.begin(), restIds.begin() + target);
    rows.ids.insert(rows.ids.end(), moved.begin(), moved.end());
    rows.ids.insert(rows.ids.end(), restIds.begin() + target, restIds.end());
    rows.selected.assign(rows.ids.size(), false);
    std::fill(rows.selected.begin() + target, rows.selected.begin() + target + moved.size(), true);
    return true;
}

bool MoveRows(CListRows& rows, RowMove nMove)
{
    const size_t nRows = rows.ids.size();
    if (rows.selected.size() != nRows)
        return false;
    std::vector<size_t> order(nRows);
    for (size_t i = 0; i < nRows; ++i)
        order[i] = i;
    bool bChanged = false;
    auto isSelected = [&rows](size_t nRow) { return static_cast<bool>(rows.selected[nRow]); };
    switch (nMove) {
    case ROW_MOVE_UP:
        for (size_t i = 1; i < nRows; ++i) {
            if (isSelected(order[i]) && !isSelected(order[i - 1])) {
                std::swap(order[i], order[i - 1]);
                bChanged = true;
            }
        }
        break;
    case ROW_MOVE_DOWN:
        for (size_t i = nRows; i-- > 1;) {
            if (isSelected(order[i - 1]) && !isSelected(order[i])) {
                std::swap(order[i], order[i - 1]);
                bChanged = true;
            }
        }
        break;
    case ROW_MOVE_TOP:
    case ROW_MOVE_BOTTOM: {
        const bool bTop = nMove == ROW_MOVE_TOP;
        std::stable_partition(order.begin(), order.end(),
                              [&](size_t nRow) { return isSelected(nRow) == bTop; });
        for (size_t i = 0; i < nRows && !bChanged; ++i)
            bChanged = order[i] != i;
        break;
    }
    }
    if (!bChanged)
        return false;
    CListRows moved;
    moved.ids.reserve(nRows);
    moved.selected.reserve(nRows);
    for (size_t nRow : order) {
        moved.ids.push_back(rows.ids[nRow]);
        moved.selected.push_back(rows.selected[nRow]);
    }
    rows = std::move(moved);
    return true;
}
