#pragma once

#include "access/AccessUserDbBase.h"

#include <cstdint>

class IUserDbAddrSource;

// The user database inside a receiver firmware image, layout 2.0 ("Open Bin 2.0").
//
// The database runs from its region start, the first 64 KiB step from the chosen address that holds
// the bytes AA BB CC DD, to the end of the image; the address 0 ("Auto") searches from the start of
// the image. It is a chain of blocks; every offset in it is counted from the region start. Block
// header (big-endian):
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
// the chain. Records: satellites 32 bytes, transponders 12, programs 52. No region start below the
// end of the image is a format error.
class CAccessUserDbIn : public CAccessUserDbBase
{
public:
    explicit CAccessUserDbIn(IUserDbAddrSource& addr);

protected:
    bool TakesAddr(uint32_t nAddr) const override;
    bool Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const override;
    void DecodeHeader(const uint8_t* p, CBlockHeader& h) const override;
    Lookup FindBlock(const CRegion& region, NodeType nKind, uint64_t& nBlock, CBlockHeader& h) const override;
    void DecodeSatFields(const uint8_t* pRec, SatRecord& rec) const override;
    void DecodeTpFields(const uint8_t* pRec, TpRecord& rec) const override;
    void DecodeProgFields(const uint8_t* pRec, ProgRecord& rec) const override;
};
