#pragma once

#include "db/ProgDb.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Deleting records together with everything under them, and putting them back.

// Records taken out of a database by RemoveRecords, kept so that RestoreRecords can put every one
// back at its former position with its id and parent. Owns the records while they are out.
struct CRemoval
{
    std::vector<CRemovedNode> nodes[3]; // by NodeType, each in ascending nIndex
    std::vector<size_t> removedItems;   // which entries of the given ids removed a record (ascending)

    bool IsEmpty() const;
    int32_t GetCount(NodeType nKind) const;
};

// Removes, for each id in order, the first remaining record of kind nKind with that id, and with it
// everything under it (the transponders of a satellite and their programs; the programs of a
// transponder), as the list pane's Delete key does: ids that are not (or no longer) there are
// skipped. Children go by parent id, so a child goes whenever a removed record carries its parent's
// id, even if another record with that id stays. Any kind other than NODE_SAT and NODE_TP removes
// programs. One walk over each list concerned; ids and the id counters are untouched.
CRemoval RemoveRecords(CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids);

// Puts back everything a RemoveRecords took out of db; the database must be as that call left it.
// Afterwards removal holds no records (removedItems is kept).
void RestoreRecords(CProgDb& db, CRemoval& removal);
