#pragma once

#include "access/Access.h"

#include <cstddef>
#include <cstdint>
#include <string>

class IUserDbAddrSource;

// The user database inside a receiver firmware image, layout 2.5 ("Open Bin 2.5").
//
// The image is taken from the chosen address to its end; record offsets count from that address.
// The region start is the first 4-byte step of it holding a valid block header; next offsets count
// from the region start. Block header (big-endian):
//
//   0   u32  magic 0xAABBCCDD
//   4   u32  next: the block that supersedes this one, 0xFFFFFFFF while this one is in force
//   8   u32  type: 0 satellites, 1 transponders, 2 programs
//   12  u32  (unused)
//   16  u16  n, number of records
//   18  u16  (unused)
//   20  u16  (unused)
//   22  u16  record length in bytes
//   24  u8   follow flag: 1 when another block header follows directly behind this block
//   25  u8   stride: bytes per offset table entry (its first 4 bytes hold the record offset)
//   26  u16  (unused)
//   28       offset table, n entries, then the end marker 0xDDCCBBAA
//
// The block directly behind one starts 32 + 4 * floor(n * stride / 4) bytes after it. Records:
// satellites 28 bytes, transponders 16, programs 52.
class CAccessUserDb25In : public CAccessIn
{
public:
    explicit CAccessUserDb25In(IUserDbAddrSource& addr);

    // Asks the address source first. This layout has no automatic search: the address 0 ("Auto" or
    // a cancelled dialog) reads nothing and returns false without a message, as does a file that
    // cannot be opened. "File size error!" when the image is not longer than the address; "File
    // format error!", with the database emptied again, when a header, table, record or step of the
    // walk would lie outside the image or a chain of blocks comes back on itself.
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
    // The same for an image already in memory, with the address given.
    bool LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb);

private:
    bool Fail(CProgDb* pDb);

    IUserDbAddrSource& m_addr;
};
