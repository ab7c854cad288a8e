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
// table order. The walk (the file, the address check, one look-up and read per kind, failure) is
// done here; a layout says where its database lies, how its headers read, how it looks a block up
// and how its records decode. Of a load nothing is kept but where the database was found.
//
// Satellite and transponder ids come from the records (the list's counter moves on as for Add);
// programs get the ids the list hands out. Parents come from the records.
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
    explicit CAccessUserDbBase(IUserDbAddrSource& addr);

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
    // "2.0" or "2.5".
    virtual const char* LayoutName() const = 0;
    // Where the database of image (the whole file) lies when read from nAddr, below the file's
    // length. False when the image holds none.
    virtual bool Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const = 0;
    // Size of a block header; the offset table follows it.
    virtual size_t HeaderSize() const = 0;
    // Fills h from the HeaderSize() bytes at p.
    virtual void DecodeHeader(const uint8_t* p, CBlockHeader& h) const = 0;
    // The block in force holding records of nKind: its position in region.view and its header.
    virtual Lookup FindBlock(const CRegion& region, NodeType nKind, uint64_t& nBlock,
                             CBlockHeader& h) const = 0;
    // Bytes of a record of nKind that the layout decodes (at most MAX_RECORD_SIZE).
    virtual size_t RecordSize(NodeType nKind) const = 0;
    // A new node of nKind made from the RecordSize(nKind) bytes at pRec. nRecordId receives the
    // record's own id, or INVALID_ID when it carries none (programs).
    virtual std::unique_ptr<CNode> DecodeRecord(NodeType nKind, const uint8_t* pRec,
                                                int32_t& nRecordId) const = 0;

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

    IUserDbAddrSource& m_addr;
    // Where the last load found the database in the image; only for DescribeEmptyResult.
    uint64_t m_nFoundAddr = 0;
};
