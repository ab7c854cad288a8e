#pragma once

#include "db/ListMatch.h"
#include "db/Node.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CProgDb;

// The differences between two channel lists A and B, on the matching of A (as L) against B (as R):
//
// - only in A, only in B: a record without a match;
// - changed: a matched pair whose record fields differ (the name as its bytes, every packed field
//   but the link fields TpCount, FirstTpIndex, TpIndex and SatIndex; ids are no record fields), or
//   whose parents differ: the parent of A's record does not match the parent of B's;
// - moved: per kind, among the matched records, the fewest whose moving turns A's order into B's
//   (those outside one longest increasing run of B positions taken in A order).
//
// A record may be changed and moved at once; the counts count it in both.

enum DiffMark : uint8_t
{
    DIFF_ONLY = 1u << 0,    // no match in the other list
    DIFF_CHANGED = 1u << 1, // matched; fields or parent differ
    DIFF_MOVED = 1u << 2,   // matched; one of the records moved
};

// Bits of CKindDiff::whatA: bit i for field i of the kind's record (DiffFields), and these two.
constexpr uint32_t DIFF_WHAT_NAME = 1u << 30;
constexpr uint32_t DIFF_WHAT_PARENT = 1u << 31;

struct CKindDiff
{
    std::vector<uint8_t> markA;     // per position in A: DiffMark bits
    std::vector<uint8_t> markB;     // per position in B: the same marks as its match, or DIFF_ONLY
    std::vector<uint32_t> whatA;    // per position in A: what differs from its match, 0 when unmatched
    std::vector<uint32_t> columnsA; // per position in A: bit c for column c of db/Columns.h that differs
    int32_t nOnlyA = 0;
    int32_t nOnlyB = 0;
    int32_t nChanged = 0;
    int32_t nMoved = 0;
};

struct CListDiff
{
    CListMatch match;   // A as L, B as R
    CKindDiff kinds[3]; // by NodeType
    int32_t nOnlyA = 0; // the counts over all three kinds
    int32_t nOnlyB = 0;
    int32_t nChanged = 0;
    int32_t nMoved = 0;

    const CKindDiff& Of(NodeType nKind) const { return kinds[ListKind(nKind)]; }
    bool IsSame() const { return nOnlyA == 0 && nOnlyB == 0 && nChanged == 0 && nMoved == 0; }
};

// Matches a against b (MatchLists) and compares them. Neither database is changed. Never fails.
CListDiff DiffLists(const CProgDb& a, const CProgDb& b);
// The same on a matching of a against b that the caller already has.
CListDiff DiffLists(const CProgDb& a, const CProgDb& b, CListMatch match);

// The packed fields of a kind's record, in the order of the bits of whatA (the order of g_satFields,
// g_tpFields, g_progFields); any kind other than satellites and transponders gives the programs'.
struct CFieldTable
{
    const FieldDesc* const* pFields;
    size_t nCount;
};
CFieldTable DiffFields(NodeType nKind);
// The value of a packed field of the node's own kind.
uint32_t GetFieldValue(const CNode& node, const FieldDesc& field);

// The columns of kind nKind (db/Columns.h) that show what differs: a field's column, the name's, and
// the parent id's for DIFF_WHAT_PARENT; bit c for column c. Fields without a column (the
// transponder flag, reserved bits) have no bit.
uint32_t DiffColumns(NodeType nKind, uint32_t nWhat);
