#pragma once

#include "db/Node.h"

#include <cstdint>

class CProgBrowseView;
class CProgDb;
class CProgListView;

// Shows a record in a pair of tree and list panes: the record of kind nKind at position nIndex of its
// list, or the first with id nId when the record there has another id (the database changed since it
// was named). Its row is selected alone, made current and scrolled to the middle.
//
// With bKeepListing, a list that lists records of the kind and has a row for the record keeps its
// listing (a sort or a filter included); otherwise, and when it has none, the tree node that lists
// the record is selected (or the listing is shown without a node for a record no node lists), in
// database order: a Find that hides the row is cleared. False when the record is not there.
bool ShowRecordInPanes(CProgBrowseView& tree, CProgListView& list, const CProgDb& db, NodeType nKind,
                       int32_t nIndex, int32_t nId, bool bKeepListing);
