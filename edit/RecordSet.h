#pragma once

#include "db/ProgDb.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Records copied out of a database with everything under them, held apart from any database: what
// Copy puts on the clipboard, and what Paste and Duplicate insert.
struct CRecordSet
{
    NodeType nTopKind = NODE_PROG;
    // By kind, from nTopKind down; kinds above it stay empty. The nodes carry no ids or parents.
    std::vector<std::unique_ptr<CNode>> records[3];
    // One per record: for nTopKind the parent id the record had where it was copied; below it the
    // position of its parent among the records of the kind above.
    std::vector<int32_t> links[3];

    bool IsEmpty() const { return records[nTopKind].empty(); }
    int32_t GetCount(NodeType nKind) const { return static_cast<int32_t>(records[nKind].size()); }
};

// The clipboard format's MIME type, the same in every window of the editor.
constexpr const char* RECORD_SET_MIME_TYPE = "application/x-ravelin-records";

// Copies the first record of kind nKind with each id (each record once, in list order) and, by
// parent id, everything under it: the transponders of a satellite, the programs of a transponder.
// With pPositions (an array of three), each copied record's position in its list, by kind.
CRecordSet CopyRecords(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids,
                       std::vector<int32_t>* pPositions = nullptr);

// A new node of the same kind with the same record (and a satellite's select), without id or parent.
std::unique_ptr<CNode> CloneRecord(const CNode& node);

// The clipboard bytes of a record set (all integers big-endian):
//
//   0   "RvRS"
//   4   u16 format version, 1
//   6   u16 kind of the top records (0 satellites, 1 transponders, 2 programs)
//   8   u32 numbers of satellite, transponder and program records
//   20  satellite records: u32 link, u32 select, the 28-byte record (name, words A, B, C)
//       transponder records: u32 link, the 4-byte record
//       program records: u32 link, the 40-byte record (words 0-3, name, 3 zero bytes)
//
// The records are those of the .db file; a link is the records[]/links[] entry above (signed).
std::vector<uint8_t> WriteRecordSet(const CRecordSet& records);
// Reads clipboard bytes back. False, with strError for the status bar and records untouched, when
// the bytes are not a record set of this editor, of a later format version, or damaged (lengths,
// links or values that cannot be).
bool ReadRecordSet(const uint8_t* pData, size_t nSize, CRecordSet& records, std::string& strError);

// The same records as CopyRecords, without what is under them, as tab-separated text: a line of
// the list's column headings, then one line per record with the cells as the list shows them
// (UTF-8; tabs and line breaks inside a name become spaces). Lines end with "\n".
std::string RecordsAsText(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids);
