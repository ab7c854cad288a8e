#pragma once

#include "access/Access.h"
#include "db/Node.h"
#include "platform/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CNodeList;
class IUserDbAddrSource;

// What the two layouts of a firmware image's user database share. The database is a set of blocks,
// each a header, an offset table (one entry per record) and the end marker 0xDDCCBBAA; the block
// of each kind that is in force is looked up and its records are decoded into the database in
// table order. The walk (the file, the address check, one look-up and read per kind, failure) and
// what the records of both layouts hold alike are done here; a layout says where its database
// lies, how its headers read, how it looks a block up and where the rest of its record fields
// lie. Of a load nothing is kept but where the database was found.
//
// Both layouts open every record with the same word 0: a satellite's id (bits 16-31), longitude
// (bits 1-11) and direction (bit 0); a transponder's satellite (bits 16-31) and id (bits 0-15); a
// program's transponder (bits 0-15). A program also holds its service id (word 1, bits 16-31),
// VPID and PCR PID (word 2, bits 19-31 and 6-18), APID and PMT PID (word 3, the same bits) and
// its name (bytes 28-47) in the same places in both; a satellite's name is 15 bytes at a place
// of the layout's. Satellite and transponder ids come from the records (the list's counter moves
// on as for Add); programs get the ids the list hands out. Parents come from the records.
class CAccessUserDbBase : public CAccessIn
{
public:
    // Asks the address source, reads the whole file and walks it (LoadDbFromBuffer). False without a
    // message when the layout takes no such address or the file cannot be opened; "File size
    // error!" when the file shrinks while it is read.
    bool LoadDb(const std::string& strPath, CProgDb* pDb) override;
    // The walk over an image already in memory, with the address given. False without a message
    // when the layout takes no such address; "File size error!" when the image is not longer than
    // the address; "File format error!", with the database emptied again, when the image holds no
    // database or a header, table, record or step of a look-up would lie outside the image or a
    // chain of blocks comes back on itself. A kind whose block is not found leaves its list empty.
    bool LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb);
    // "No channel records were found at address 0x110000 (layout 2.5).": the address the last load
    // read from (for layout 2.0, where its search found the database).
    std::string DescribeEmptyResult() const override;

protected:
    // The numbers in which the layouts differ.
    struct CLayout
    {
        const char* pszName;     // "2.0" or "2.5", for DescribeEmptyResult
        size_t nHeaderSize;      // size of a block header; the offset table follows it
        uint32_t dwBlockType[3]; // the type field of the blocks of satellites, transponders, programs
        size_t nRecordSize[3];   // bytes of a record of each kind the layout decodes, at most MAX_RECORD_SIZE
        size_t nSatNameAt;       // where a satellite record holds its name
    };

    CAccessUserDbBase(IUserDbAddrSource& addr, const CLayout& layout);

    static constexpr uint32_t BLOCK_MAGIC = 0xAABBCCDD;
    static constexpr uint32_t END_MARKER = 0xDDCCBBAA;
    static constexpr uint32_t NO_NEXT = 0xFFFFFFFF;

    // The bytes one call walks: block positions, and record offsets, count from the start of view;
    // nRegion is where the first block header lies in it.
    struct CRegion
    {
        CByteView view;
        uint64_t nRegion;
    };

    // A block header as both layouts hold it; fields a layout does not have stay 0.
    struct CBlockHeader
    {
        uint32_t dwMagic = 0;
        uint32_t dwNext = 0;
        uint32_t dwType = 0;
        uint16_t wState = 0; // layout 2.0: 0xFFFF while the block is in force
        uint16_t wCount = 0;
        uint16_t wRecLen = 0;
        uint8_t nFollow = 0; // layout 2.5: 1 when another header follows right behind the block
        uint8_t nStride = 4; // bytes per offset table entry; the first 4 hold the record offset
    };

    enum class Lookup
    {
        Found,
        NotFound,
        Broken, // the walk would leave the image or go round for ever
    };

    // The layout's answer for an address: false reads nothing and says nothing.
    virtual bool TakesAddr(uint32_t nAddr) const = 0;
    // Where the database of image (the whole file) lies when read from nAddr, below the file's
    // length. False when the image holds none.
    virtual bool Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const = 0;
    // Fills h from the HeaderSize() bytes at p.
    virtual void DecodeHeader(const uint8_t* p, CBlockHeader& h) const = 0;
    // The block in force holding records of nKind: its position in region.view and its header.
    virtual Lookup FindBlock(const CRegion& region, NodeType nKind, uint64_t& nBlock,
                             CBlockHeader& h) const = 0;
    // The fields the layout keeps in places of its own, from the record bytes at pRec (as many as
    // the layout's record size of the kind); the shared ones are already set.
    virtual void DecodeSatFields(const uint8_t* pRec, SatRecord& rec) const = 0;
    virtual void DecodeTpFields(const uint8_t* pRec, TpRecord& rec) const = 0;
    virtual void DecodeProgFields(const uint8_t* pRec, ProgRecord& rec) const = 0;

    size_t HeaderSize() const { return m_layout.nHeaderSize; }
    uint32_t BlockType(NodeType nKind) const { return m_layout.dwBlockType[nKind]; }
    // Reads the header at nPos of view; false when it would reach past the end.
    bool ReadHeader(const CByteView& view, uint64_t nPos, CBlockHeader& h) const;
    // Valid: the magic, and either records or the end marker right behind the (empty) header.
    // Broken when that end marker would lie past the end of view.
    Lookup CheckValid(const CByteView& view, uint64_t nPos, const CBlockHeader& h) const;

    // The widest record either layout decodes (programs, 52 bytes).
    static constexpr size_t MAX_RECORD_SIZE = 52;

    // Word nIndex (big-endian) of a record.
    static uint32_t Word(const uint8_t* pRec, size_t nIndex) { return ReadBe32(pRec + 4 * nIndex); }
    // An LNB frequency in MHz as its 4-bit LocalFre index; 15 when the table has no such frequency.
    static uint32_t LnbFieldIndex(uint32_t nFreq);

private:
    bool Fail(CProgDb* pDb);
    // Adds the records of the block at nBlock to list, in table order. False when a table entry or
    // a record lies outside view.
    bool ReadRecords(const CByteView& view, uint64_t nBlock, const CBlockHeader& h, NodeType nKind,
                     CNodeList& list) const;
    // A new node of nKind made from the record bytes at pRec. nRecordId receives the record's own
    // id, or INVALID_ID when it carries none (programs).
    std::unique_ptr<CNode> DecodeRecord(NodeType nKind, const uint8_t* pRec, int32_t& nRecordId) const;

    IUserDbAddrSource& m_addr;
    const CLayout m_layout;
    // Where the last load found the database in the image; only for DescribeEmptyResult.
    uint64_t m_nFoundAddr = 0;
};
