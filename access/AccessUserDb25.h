#pragma once

#include "access/AccessUserDbBase.h"

#include <cstdint>

class IUserDbAddrSource;

// The user database inside a receiver firmware image, layout 2.5 ("Open Bin 2.5").
//
// The image is taken from the chosen address to its end; record offsets count from that address.
// The region start is the first 4-byte step of it holding a valid block header (the start of the
// image when there is none); next offsets count from the region start. Block header (big-endian):
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
// satellites 28 bytes, transponders 16, programs 52. This layout has no automatic search: the
// address 0 ("Auto" or a cancelled dialog) reads nothing and fails without a message.
class CAccessUserDb25In : public CAccessUserDbBase
{
public:
    explicit CAccessUserDb25In(IUserDbAddrSource& addr);

protected:
    bool TakesAddr(uint32_t nAddr) const override;
    bool Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const override;
    void DecodeHeader(const uint8_t* p, CBlockHeader& h) const override;
    Lookup FindBlock(const CRegion& region, NodeType nKind, uint64_t& nBlock, CBlockHeader& h) const override;
    void DecodeSatFields(const uint8_t* pRec, SatRecord& rec) const override;
    void DecodeTpFields(const uint8_t* pRec, TpRecord& rec) const override;
    void DecodeProgFields(const uint8_t* pRec, ProgRecord& rec) const override;
};
