#pragma once

#include "db/Node.h"

#include <cstdint>
#include <vector>

class CProgDb;

// For each record of the list of nKind, in list order, the position of its parent in the list of the
// kind above: the first record there with the parent id, the one Find gives. -1 for satellites and
// for records whose parent is no record. One walk over each of the two lists.
std::vector<int32_t> ParentPositions(const CProgDb& db, NodeType nKind);
