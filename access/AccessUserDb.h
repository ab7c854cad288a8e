#pragma once

#include "access/Access.h"
#include "platform/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CNode;
class CNodeList;
class IUserDbAddrSource;

// The user database inside a receiver firmware image, layout 2.0 ("Open Bin 2.0").
//
// The database runs from its region start, the first 64 KiB step from the chosen address that holds
// the bytes AA BB CC DD, to the end of the image. It is a chain of blocks; every offset in it is
// counted from the region start. Block header (big-endian):
//
//   0   u32  magic 0xAABBCCDD
//   4   u32  next block, 0xFFFFFFFF on the last one
//   8   u32  type: 0 region head, 1 satellites, 2 transponders, 3 programs
//   12  u16  state: only a block whose state is 0xFFFF is in force
//   14  u16  n, number of records
//   16  u16  (unused)
//   18  u16  record length in bytes
//   20  u32  offset table, n entries, then the end marker 0xDDCCBBAA
//
// The block at the region start is the head (type 0); its next offset leads to the first block of
// the chain. Records: satellites 32 bytes, transponders 12, programs 52.
//
// The reader only reads. Satellite and transponder ids, and the parents of transponders and
// programs, come from the records.
class CAccessUserDbIn : public CAccessIn
{
public:
    explicit CAccessUserDbIn(IUserDbAddrSource& addr);

    // Asks the address source first (0 = search from the start of the image), then reads the file.
    // False without a message when the file cannot be opened; "File size error!" when the image is
    // not longer than the address; "File format error!" with the database emptied again when no
    // region start is found or a block, table or record would lie outside the image, or a chain of
    // blocks comes back on itself. A block type that is not found leaves its list empty.
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
    // The same for an image already in memory, with the address given.
    bool LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb);

private:
    bool Fail(CProgDb* pDb);

    IUserDbAddrSource& m_addr;
};

namespace UserDb {

constexpr uint32_t BLOCK_MAGIC = 0xAABBCCDD;
constexpr uint32_t END_MARKER = 0xDDCCBBAA;
constexpr uint32_t NO_NEXT = 0xFFFFFFFF;

// The widest record either layout decodes (programs, 52 bytes).
constexpr size_t MAX_RECORD_SIZE = 52;

// Copies the record at nOffset of view into a zeroed buffer of nLayoutSize bytes: the stated
// record length rounded down to whole words, at most nLayoutSize bytes of it. Bytes the record
// does not cover stay zero. False when the stated record would reach past the end of the view.
bool CopyRecord(const CByteView& view, uint64_t nOffset, uint32_t nRecLen, uint8_t* pBuffer,
                size_t nLayoutSize);

// An LNB frequency in MHz as its 4-bit LocalFre index; 15 when the table has no such frequency.
uint32_t LnbFieldIndex(uint32_t nFreq);

// Word nIndex (big-endian) of a record buffer.
inline uint32_t Word(const uint8_t* pRec, size_t nIndex)
{
    return ReadBe32(pRec + 4 * nIndex);
}

// Adds a node made from a record to its list. The maker leaves the record's own id in the node
// (programs have none): Add hands out the list's next id, the record's id then replaces it, and
// the list's counter stays where Add left it.
void AddRecordNode(CNodeList& list, CNode* pNode);

} // namespace UserDb
