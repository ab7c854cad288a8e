#pragma once

#include "db/ListMatch.h"
#include "db/Node.h"

#include <cstdint>
#include <string>
#include <vector>

class CProgDb;

// Ordering a list like a reference list: each of the three lists is put into the order of the
// reference records its records matched (MatchLists, the list as L), and the unmatched records
// follow in their own order. Ids and parents stay as they are. Options:
struct COrderOptions
{
    bool bNames = false;      // matched satellites and programs take the reference's name (its bytes)
    bool bFlags = false;      // matched programs take the reference's Lock, Skip, Hide and FavType
    bool bAddMissing = false; // the reference's unmatched records are added at their reference places,
                              // under the matches of their parents or under their added parents; a
                              // reference record whose parent is no record is left out
};

// What ordering like the reference does, computed without changing anything: for the editor's
// dialog before OK, the command line's summary and the edit command.
struct COrderPlan
{
    // Per kind, the list afterwards from first to last: an entry >= 0 is the position of a record of
    // the list now, an entry < 0 stands for the reference record at position -1 - entry, added.
    std::vector<int32_t> order[3];
    int32_t nLike[3] = {};  // records of the list in the order of their reference records
    int32_t nAfter[3] = {}; // records of the list without a match, after them
    int32_t nAdded[3] = {}; // reference records added (bAddMissing)
    int32_t nRenamed = 0;   // matched records whose name changes (bNames)
    int32_t nFlagged = 0;   // matched programs whose Lock, Skip, Hide or FavType change (bFlags)
    int32_t nMoved = 0;     // records of the list that stand elsewhere afterwards, over all kinds

    // True when the plan changes nothing: no record moves, none is added, no value changes.
    bool ChangesNothing() const;
};

// Plans ordering db like ref; match is MatchLists(db, ref) of the two as they are now (one that does
// not fit their lists is done again).
COrderPlan PlanOrderLike(const CProgDb& db, const CProgDb& ref, const CListMatch& match,
                         const COrderOptions& options);

// The summary lines of a plan (without line ends), as ravelin-cli reorder prints them:
//   satellites: 12 of 12 like the reference (12 by position, 0 by name), 0 after them
//   transponders: 72 of 72 like the reference (70 exact, 2 near), 0 after them
//   programs: 283 of 288 like the reference (280 by service, 3 by name), 5 after them
// and with bAddMissing a fourth, "added: S satellites, T transponders, P programs".
std::vector<std::string> OrderSummaryLines(const COrderPlan& plan, const CListMatch& match,
                                           const COrderOptions& options);
