#pragma once

#include "db/RowReorder.h"
#include "edit/EditCommand.h"
#include "edit/IndexSet.h"

#include <cstdint>
#include <memory>
#include <vector>

// Puts the records the list pane lists into a new order while keeping the places they hold: the
// positions of the listed records in their database list stay the same set, the records are put
// into them in the new order, and every other record keeps its place. Under "All Prog", "Sat" or a
// satellite with all its transponders that means the records of the whole listing take its
// positions in the new order; under a transponder its programs keep the places their block held in
// the whole program list.
//
// The listing is a record kind and a parent, as the tree selects them: the records of the kind
// whose parent is nParentId, or all of the kind for INVALID_ID (satellites are always all listed).
// The new order is given as ids, as the list rows hold them: the k-th id of a value stands for the
// k-th listed record with that id in database order, so that with duplicate ids every record still
// moves once, and Revert gives back the very order of the nodes. Listed records the order does not
// name (rows narrowed by Filter or Find) keep their places; ids beyond the listed records are
// ignored. Ids and parents never change.
class CReorderCommand : public CEditCommand
{
public:
    // "Apply Sort Order": the listed records named by ids take the order of ids. Its text is
    // "Sort 3 programs"; it changes nothing when the records already stand in that order.
    static std::unique_ptr<CReorderCommand> ApplyOrder(NodeType nKind, int32_t nParentId,
                                                       std::vector<int32_t> ids);
    // Ctrl+Up, Ctrl+Down, Ctrl+Home and Ctrl+End: MoveRows (db/RowReorder.h) rearranges rows, which
    // hold the listed rows in database order, and the records follow the rows. Its text is
    // "Move 3 programs" (the selected rows); it changes nothing when the rows do not move.
    static std::unique_ptr<CReorderCommand> KeyMove(NodeType nKind, int32_t nParentId, CListRows rows,
                                                    RowMove nMove);

    // A new order of a whole list by positions: the record at position order[i] goes to position i.
    // order must be a permutation of the positions of the list as it is when the command is first
    // applied; otherwise (or when nothing moves) the command changes nothing. "Sort 3 programs".
    static std::unique_ptr<CReorderCommand> ByPositions(NodeType nKind, std::vector<int32_t> order);

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return TouchRows(m_nKind); }

    // After the first Apply of a key move: the rows as MoveRows rearranged them, the moved rows still
    // selected; handed over once, the command does not keep them.
    CListRows TakeRows() { return std::move(m_rows); }

private:
    CReorderCommand(NodeType nKind, int32_t nParentId);
    // Finds the records of m_ids and puts them in order; false when that changes nothing.
    bool FirstApply(CNodeList& list);
    // Puts the records in the order of positions m_ids; false when that is no permutation of the
    // list's positions or changes nothing.
    bool FirstApplyByPositions(CNodeList& list);

    NodeType m_nKind;
    int32_t m_nParentId;
    bool m_bResolved = false;
    // The request, until the first Apply.
    std::vector<int32_t> m_ids;
    CListRows m_rows;
    bool m_bKeyMove = false;
    bool m_bByPositions = false;
    RowMove m_nMove = ROW_MOVE_UP;
    // The positions whose record changes, and for the i-th of them which of them holds the record
    // that stands there after Apply (as CNodeList::Permute takes it).
    CIndexSet m_slots;
    std::vector<int32_t> m_from;
};
