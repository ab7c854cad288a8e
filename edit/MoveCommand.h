#pragma once

#include "db/RowReorder.h"
#include "edit/EditCommand.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// Reorders records of one kind in their list; ids and parents never change.
//
// The command keeps, for the records it moved (and any others with the same ids, which may have
// been moved in their place), the position each had before and has after: the other records keep
// their order, so taking these out and putting them back at the other positions goes either way.
class CMoveCommand : public CEditCommand
{
public:
    // The list pane's drop: rows as the list shows them, moved by DropRows on the first Apply.
    static std::unique_ptr<CMoveCommand> Drop(NodeType nKind, CListRows rows, int nDragIndex, int nDropIndex);
    // "Move to": the first records with the ids, as one block in their list order, before the
    // first record with nBeforeId, or at the end of the list for INVALID_ID. When that record is one
    // of the moved ones the block goes before the next record that is not. Nothing moves when
    // nBeforeId names no record.
    static std::unique_ptr<CMoveCommand> MoveTo(NodeType nKind, std::vector<int32_t> ids, int32_t nBeforeId);

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return TouchRows(m_nKind); }

    // After the first Apply of a drop: the rows as DropRows rearranged them (the moved rows selected),
    // handed over once; the command does not keep them.
    CListRows TakeRows() { return std::move(m_rows); }

private:
    enum Mode
    {
        MODE_DROP,
        MODE_MOVE_TO,
    };

    CMoveCommand(Mode nMode, NodeType nKind);
    bool FirstDrop(CNodeList& list);
    bool FirstMoveTo(CNodeList& list);
    // Takes the records at the first positions of the pairs out and puts them back at the second.
    static void Transfer(CNodeList& list, std::vector<std::pair<int32_t, int32_t>> moves);

    Mode m_nMode;
    NodeType m_nKind;
    bool m_bResolved = false;
    // The request, until the first Apply.
    CListRows m_rows;
    int m_nDragIndex = -1;
    int m_nDropIndex = -1;
    std::vector<int32_t> m_ids;
    int32_t m_nBeforeId = INVALID_ID;
    // Position before and after the move of each record concerned, by position before.
    std::vector<std::pair<int32_t, int32_t>> m_moves;
};
