#pragma once

#include <cstdint>
#include <vector>

class CNodeList;

// Reordering by drag and drop, without any widget: the rows of the list pane are given as the
// record ids they show (in row order) with a selection flag each. DropRows moves the dragged
// records in the database list to the place right before the record of the drop row and
// rearranges the rows the same way; ids and parents never change.
//
// One selected row: the row where the drag began moves before the drop row (nothing happens when
// both are the same row). Several selected rows: they land as one block, in their former order,
// before the drop row's record (when the drop row is itself selected, before the first unselected
// row after it, or before the last remaining row). The moved rows are selected afterwards. When
// every row is selected there is nothing to drop before, and nothing changes.
struct CListRows
{
    std::vector<int32_t> ids;   // record id of each row, in row order
    std::vector<bool> selected; // same length as ids
};

// Returns true when the list or the rows changed. Negative indexes or no selection: no change.
bool DropRows(CNodeList& list, CListRows& rows, int nDragIndex, int nDropIndex);

// The keyboard's moves of the selected rows: Ctrl+Up and Ctrl+Down one place, Ctrl+Home and
// Ctrl+End to the top and the bottom.
enum RowMove
{
    ROW_MOVE_UP,
    ROW_MOVE_DOWN,
    ROW_MOVE_TOP,
    ROW_MOVE_BOTTOM,
};

// Moves the selected rows among the rows, ids and selection flags together, without touching any
// list. Up: each selected row changes places with the unselected row above it, so a block keeps its
// shape and moves one place; selected rows already at the top stay, and those below close up to
// them. Down the same way from the bottom. Top and bottom: the selected rows, in their order, go
// before or after all the others. Returns true when the order changed; false, changing nothing, for
// flags of another length.
bool MoveRows(CListRows& rows, RowMove nMove);
