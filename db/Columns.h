#pragma once

#include "db/Node.h"

#include <cstdint>
#include <string>

// The columns of the record list, one table per record kind: what the list pane shows, what the
// clipboard text carries, and which cells can be edited and how a typed value is read.

struct CColumn
{
    enum Source
    {
        SRC_ID,       // the node's own id
        SRC_PARENT,   // the node's parent id
        SRC_NAME,     // the record's name: bytes in the ANSI code page
        SRC_FIELD,    // a packed field, an unsigned decimal number
        SRC_LNB_FREQ, // a LocalFre index, shown as its frequency in MHz
    };

    const char* pszHeading;
    Source nSource;
    const FieldDesc* pField; // SRC_FIELD and SRC_LNB_FREQ; null otherwise
    bool bReadOnly;          // ids, parents and the link fields are never typed in
};

// Number of columns of a record kind: 13 satellite, 5 transponder, 16 program columns; 0 for any
// other number.
int GetColumnCount(int32_t nKind);
// Column nColumn of a kind, or null outside the table.
const CColumn* GetColumn(int32_t nKind, int nColumn);
// The column of a kind with this heading (compared exactly), or -1.
int FindColumn(int32_t nKind, const std::string& strHeading);

// The number a cell of the record's own kind shows (id, parent, field value, LNB frequency in MHz),
// for sorting; false for names and outside the table.
bool GetCellNumber(const CNode& node, int nColumn, int64_t& nValue);
// The name of a satellite or program as stored: bytes in the ANSI code page. Empty for transponders.
std::string GetNodeName(const CNode& node);

// Text of a cell of the record's own kind as the list shows it: numbers in decimal, names converted
// from the ANSI code page to UTF-8. Empty outside the table.
std::string GetCellText(const CNode& node, int nColumn);

// A value for a cell, as it is stored: the field's value (for LocalFre1/LocalFre2 the table index,
// for Polar 0 or 1) or the name's bytes in the ANSI code page.
struct CCellValue
{
    uint32_t nValue = 0;
    std::string strName;
};

// Reads text typed into a cell (UTF-8) as a value of the column: a decimal or 0x-hexadecimal number
// that fits the field; one of the ten LNB frequencies for LocalFre1/LocalFre2; H, V, 0 or 1 for
// Polar; a name whose characters all have a byte in the current ANSI code page and which fits its
// field (16 bytes for a satellite, 21 for a program). Spaces around a number are ignored, a name is
// taken as typed. False with strError set to a sentence saying why (for numbers with the allowed
// range) when the column is read only, outside the table, or the text is no value of it.
bool ParseCellText(int32_t nKind, int nColumn, const std::string& strText, CCellValue& value,
                   std::string& strError);
