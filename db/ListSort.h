#pragma once

#include "db/Node.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CProgDb;

// Sorting the rows of the list pane by a column, without any widget.

// The order of names in one sort, injected by the caller: the editor passes a locale-aware
// collation that ignores case, CFoldedCollation is the core's own.
class CNameCollation
{
public:
    virtual ~CNameCollation();

    // Takes the names (UTF-8) of one sort, before any Compare, and keeps what Compare needs:
    // compute sort keys here, once per name, since a sort of 40,000 rows compares about 600,000
    // times.
    virtual void Prepare(const std::vector<std::string>& names) = 0;
    // Negative, zero or positive as name nLeft sorts before, with or after name nRight; both are
    // indexes into the names of the last Prepare.
    virtual int Compare(size_t nLeft, size_t nRight) const = 0;

protected:
    CNameCollation() = default;
    CNameCollation(const CNameCollation&) = default;
    CNameCollation& operator=(const CNameCollation&) = default;
};

// Names compared by their case-folded text, character by character in code point order: no
// locale, the same order everywhere.
class CFoldedCollation : public CNameCollation
{
public:
    void Prepare(const std::vector<std::string>& names) override;
    int Compare(size_t nLeft, size_t nRight) const override;

private:
    std::vector<std::string> m_keys;
};

// Sorts the rows of the list pane by column nColumn of kind nKind (db/Columns.h), ascending or
// descending. rows are record ids, each row standing for the first record of the kind with its id,
// the one the row shows. Returns the new order as indexes into rows: row i of the sorted view is
// rows[order[i]]. Numbers (ids, parents, fields, LNB frequencies) sort as numbers; names by their
// text decoded from the ANSI code page, in the collation's order. The sort is stable in both
// directions: rows with equal values keep their order in rows (the database order, when rows are
// listed in it). Rows whose id names no record go last either way. A column outside the table
// leaves the order as it is.
std::vector<int32_t> SortRows(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                              int nColumn, bool bDescending, CNameCollation& collation);
