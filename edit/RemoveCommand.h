#pragma once

#include "db/Cascade.h"
#include "edit/EditCommand.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Removes records of one kind with everything under them, as the Delete key does (RemoveRecords:
// for each id the first remaining record with it, the transponders of a satellite and the programs
// of a transponder by parent id). The removed records live in the command until a revert puts each
// back at its former position with its id and parent; a redo takes the same records again.
class CRemoveCommand : public CEditCommand
{
public:
    // strVerb starts the text: "Delete 3 programs", "Cut 1 satellite" (records of nKind removed).
    CRemoveCommand(NodeType nKind, std::vector<int32_t> ids, std::string strVerb = "Delete");

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override { return m_nTouched; }

    // Which entries of the ids removed a record, ascending (the rows the list pane deletes);
    // known after the first Apply.
    const std::vector<size_t>& GetRemovedItems() const { return m_removal.removedItems; }
    // Records of a kind the command removes (the children included); known after the first Apply.
    int32_t GetCount(NodeType nKind) const { return static_cast<int32_t>(m_indexes[nKind].size()); }

private:
    NodeType m_nKind;
    std::vector<int32_t> m_ids; // the request, until the first Apply
    std::string m_strVerb;
    bool m_bResolved = false;
    unsigned m_nTouched = TOUCH_NONE;
    CRemoval m_removal;                // the records while they are out of the database
    std::vector<int32_t> m_indexes[3]; // their positions, by kind, ascending
};
