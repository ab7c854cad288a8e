#include "access/AccessUserDb.h"

#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"

#include <cstring>
#include <unordered_set>

namespace UserDb {

bool CopyRecord(const CByteView& view, uint64_t nOffset, uint32_t nRecLen, uint8_t* pBuffer,
                size_t nLayoutSize)
{
    std::memset(pBuffer, 0, nLayoutSize);
    const size_t nBytes = (nRecLen / 4) * 4;
    if (nOffset > view.Size() || !view.Has(static_cast<size_t>(nOffset), nBytes))
        return false;
    std::memcpy(pBuffer, view.Data() + nOffset, nBytes < nLayoutSize ? nBytes : nLayoutSize);
    return true;
}

uint32_t LnbFieldIndex(uint32_t nFreq)
{
    const int nIndex = LnbFreqToIndex(nFreq);
    return nIndex < 0 ? 15u : static_cast<uint32_t>(nIndex);
}

void AddRecordNode(CNodeList& list, CNode* pNode)
{
    const int32_t nRecordId = pNode->GetId();
    list.Add(pNode);
    if (pNode->GetType() != NODE_PROG)
        pNode->SetId(nRecordId);
}

} // namespace UserDb

namespace {

using namespace UserDb;

constexpr size_t HEADER_SIZE = 20;
constexpr uint64_t SEARCH_STEP = 0x10000;
constexpr uint16_t STATE_IN_FORCE = 0xFFFF;

enum BlockType : uint32_t
{
    TYPE_HEAD = 0,
    TYPE_SAT = 1,
    TYPE_TP = 2,
    TYPE_PROG = 3,
};

constexpr size_t SAT_SIZE = 32;
constexpr size_t TP_SIZE = 12;
constexpr size_t PROG_SIZE = 52;

struct BlockHeader
{
    uint32_t dwMagic;
    uint32_t dwNext;
    uint32_t dwType;
    uint16_t wState;
    uint16_t wCount;
    uint16_t wRecLen;
};

enum class Lookup
{
    Found,
    NotFound,
    Broken, // the walk would leave the image or go round for ever
};

bool ReadHeader(const CByteView& view, uint64_t nOffset, BlockHeader& h)
{
    if (nOffset > view.Size() || !view.Has(static_cast<size_t>(nOffset), HEADER_SIZE))
        return false;
    const uint8_t* p = view.Data() + nOffset;
    h.dwMagic = ReadBe32(p);
    h.dwNext = ReadBe32(p + 4);
    h.dwType = ReadBe32(p + 8);
    h.wState = ReadBe16(p + 12);
    h.wCount = ReadBe16(p + 14);
    h.wRecLen = ReadBe16(p + 18);
    return true;
}

// Valid: the magic, and either records or the end marker right behind the header. Broken when an
// empty block's end marker would lie past the end of the image.
Lookup CheckValid(const CByteView& view, uint64_t nOffset, const BlockHeader& h)
{
    if (h.dwMagic != BLOCK_MAGIC)
        return Lookup::NotFound;
    if (h.wCount != 0)
        return Lookup::Found;
    uint32_t dwEnd = 0;
    if (!view.Be32(static_cast<size_t>(nOffset + HEADER_SIZE), dwEnd))
        return Lookup::Broken;
    return dwEnd == END_MARKER ? Lookup::Found : Lookup::NotFound;
}

// Walks the chain from the head's next offset to the first valid block of the wanted type that is
// in force.
Lookup FindBlock(const CByteView& region, uint32_t dwType, uint64_t& nFound, BlockHeader& h)
{
    BlockHeader head;
    if (!ReadHeader(region, 0, head))
        return Lookup::Broken;
    // A head that is the last block has no chain behind it.
    if (head.dwType != TYPE_HEAD || head.dwNext == NO_NEXT)
        return Lookup::NotFound;

    std::unordered_set<uint64_t> visited{0};
    uint64_t nPos = head.dwNext;
    for (;;) {
        if (!visited.insert(nPos).second || !ReadHeader(region, nPos, h))
            return Lookup::Broken;
        const Lookup valid = CheckValid(region, nPos, h);
        if (valid != Lookup::Found)
            return valid;
        if (h.dwType == dwType && h.wState == STATE_IN_FORCE) {
            nFound = nPos;
            return Lookup::Found;
        }
        if (h.dwNext == NO_NEXT)
            return Lookup::NotFound;
        nPos = h.dwNext;
    }
}

CNode* MakeSat(const uint8_t* r)
{
    CSatNode* pSat = new CSatNode(0, INVALID_ID, INVALID_ID);
    SatRecord* pRec = pSat->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
    pRec->Set(SatField::Longitude, GetBits(w0, 1, 11));
    pRec->Set(SatField::Direction, GetBits(w0, 0, 1));
    pRec->Set(SatField::LocalFre1, LnbFieldIndex(GetBits(w1, 16, 16)));
    pRec->Set(SatField::LocalFre2, LnbFieldIndex(GetBits(w1, 0, 16)));
    pRec->Set(SatField::DisEqCMotor, GetBits(w2, 30, 2));
    pRec->Set(SatField::DiSEqC12, GetBits(w2, 16, 8));
    pRec->Set(SatField::DiSEqC, GetBits(w2, 5, 3));
    pRec->Set(SatField::K22, GetBits(w2, 3, 2));
    pRec->Set(SatField::V12, GetBits(w2, 0, 1));
    pRec->Set(SatField::LnbType, GetBits(w3, 27, 2));
    // 15 name bytes as they stand; the 16th byte of the name field terminates it.
    std::memcpy(pRec->Name, r + 16, SAT_NAME_LEN - 1);
    pRec->Name[SAT_NAME_LEN - 1] = 0;
    pSat->SetId(static_cast<int32_t>(GetBits(w0, 16, 16)));
    return pSat;
}

CNode* MakeTp(const uint8_t* r)
{
    CTpNode* pTp = new CTpNode(INVALID_ID, INVALID_ID);
    TpRecord* pRec = pTp->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2);
    pRec->Set(TpField::Frequency, GetBits(w1, 16, 16)); // keeps the low 14 bits
    pRec->Set(TpField::SymbolRate, GetBits(w1, 0, 16));
    pRec->Set(TpField::Polar, GetBits(w2, 3, 1));
    pRec->Set(TpField::Flag, GetBits(w2, 2, 1));
    pTp->SetId(static_cast<int32_t>(GetBits(w0, 0, 16)));
    pTp->SetParentId(static_cast<int32_t>(GetBits(w0, 16, 16)));
    return pTp;
}

CNode* MakeProg(const uint8_t* r)
{
    CProgNode* pProg = new CProgNode(INVALID_ID, INVALID_ID);
    ProgRecord* pRec = pProg->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3), w4 = Word(r, 4),
                   w5 = Word(r, 5);
    pRec->Set(ProgField::ServiceId, GetBits(w1, 16, 16));
    pRec->Set(ProgField::VPID, GetBits(w2, 19, 13));
    pRec->Set(ProgField::PCRPID, GetBits(w2, 6, 13));
    pRec->Set(ProgField::Track, GetBits(w2, 0, 2));
    pRec->Set(ProgField::APID, GetBits(w3, 19, 13));
    pRec->Set(ProgField::PmtPid, GetBits(w3, 6, 13));
    pRec->Set(ProgField::Lock, GetBits(w4, 20, 1));
    pRec->Set(ProgField::Skip, GetBits(w4, 19, 1));
    pRec->Set(ProgField::Scramble, GetBits(w4, 18, 1));
    pRec->Set(ProgField::AvType, GetBits(w4, 15, 1));
    pRec->Set(ProgField::FavType, GetBits(w5, 0, 4));
    std::memcpy(pRec->ProgName, r + 28, PROG_NAME_LEN - 1);
    pRec->ProgName[PROG_NAME_LEN - 1] = 0;
    pProg->SetParentId(static_cast<int32_t>(GetBits(w0, 0, 16)));
    return pProg;
}

// Reads the records of the block at nBlock into list. False when its offset table or a record
// lies outside the region.
bool ReadRecords(const CByteView& region, uint64_t nBlock, const BlockHeader& h, CNodeList& list,
                 size_t nLayoutSize, CNode* (*make)(const uint8_t*))
{
    const uint64_t nTable = nBlock + HEADER_SIZE;
    if (!region.Has(static_cast<size_t>(nTable), size_t(4) * h.wCount))
        return false;
    uint8_t buffer[MAX_RECORD_SIZE];
    for (uint32_t i = 0; i < h.wCount; ++i) {
        const uint32_t dwOffset = ReadBe32(region.Data() + nTable + 4 * i);
        if (!CopyRecord(region, dwOffset, h.wRecLen, buffer, nLayoutSize))
            return false;
        AddRecordNode(list, make(buffer));
    }
    return true;
}

} // namespace

CAccessUserDbIn::CAccessUserDbIn(IUserDbAddrSource& addr) : m_addr(addr) {}

bool CAccessUserDbIn::Fail(CProgDb* pDb)
{
    SetLastErrorMsg("File format error!");
    pDb->Clear();
    return false;
}

bool CAccessUserDbIn::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    const uint32_t nAddr = m_addr.AskUserDbAddr();
    std::vector<uint8_t> data;
    switch (ReadWholeFile(strPath, data)) {
    case ReadResult::OpenFailed:
        return false;
    case ReadResult::ShortRead:
        SetLastErrorMsg("File size error!");
        return false;
    case ReadResult::Ok:
        break;
    }
    return LoadDbFromBuffer(data.data(), data.size(), nAddr, pDb);
}

bool CAccessUserDbIn::LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb)
{
    if (nSize <= nAddr) {
        SetLastErrorMsg("File size error!");
        return false;
    }
    const CByteView image(pData, nSize);
    uint64_t nStart = nAddr;
    for (;; nStart += SEARCH_STEP) {
        uint32_t dwMagic = 0;
        if (nStart >= nSize)
            return Fail(pDb);
        if (image.Be32(static_cast<size_t>(nStart), dwMagic) && dwMagic == BLOCK_MAGIC)
            break;
    }
    const CByteView region(pData + nStart, nSize - static_cast<size_t>(nStart));

    struct Kind
    {
        uint32_t dwType;
        CNodeList* pList;
        size_t nLayoutSize;
        CNode* (*make)(const uint8_t*);
    };
    const Kind kinds[] = {
        {TYPE_SAT, &pDb->GetSatList(), SAT_SIZE, MakeSat},
        {TYPE_TP, &pDb->GetTpList(), TP_SIZE, MakeTp},
        {TYPE_PROG, &pDb->GetProgList(), PROG_SIZE, MakeProg},
    };
    for (const Kind& k : kinds) {
        uint64_t nBlock = 0;
        BlockHeader h{};
        switch (FindBlock(region, k.dwType, nBlock, h)) {
        case Lookup::Broken:
            return Fail(pDb);
        case Lookup::NotFound:
            continue;
        case Lookup::Found:
            if (!ReadRecords(region, nBlock, h, *k.pList, k.nLayoutSize, k.make))
                return Fail(pDb);
            break;
        }
    }
    return true;
}
