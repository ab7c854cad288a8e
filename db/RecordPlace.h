#pragma once

#include "db/Node.h"

#include <cstdint>

class CProgDb;

// Where the editor shows a record: the records a tree node has the list pane list (its kind under a
// parent, as the node asks for them), and the record's row among them.
//
// A satellite is listed under "Sat"; a transponder under its satellite; a program under its
// transponder when that transponder is in the tree (its satellite exists), otherwise under "All
// Prog". A transponder whose satellite does not exist is in no node's list: its place is the
// listing of the transponders with its parent id (all transponders when it has none), which the
// list pane can show without a tree node.
struct CRecordPlace
{
    NodeType nListKind; // the kind of the records listed: the record's own
    int32_t nParentId;  // their parent; INVALID_ID for all of the kind
    bool bTreeNode;     // a tree node lists exactly these records
    int32_t nRow;       // the record's row in database order (before any sort or filter)
    int32_t nRowId;     // the record's id, the value of that row
};

// The place of a record named by its kind, its position in its list and its id, as a check finding
// names it. When the record at nIndex has another id (the database changed since), the first record
// of the kind with id nId is meant. False, leaving place as it was, when there is no such record.
bool FindRecordPlace(const CProgDb& db, NodeType nKind, int32_t nIndex, int32_t nId, CRecordPlace& place);
