#include "access/AccessUserDb25.h"

#include "access/AccessUserDb.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"

#include <cstring>
#include <unordered_set>

namespace {

using namespace UserDb;

constexpr size_t HEADER_SIZE = 28;
// Where the look-up tries next when a block of another type says more headers follow.
constexpr uint64_t FOLLOW_STEP = 224;

enum BlockType : uint32_t
{
    TYPE_SAT = 0,
    TYPE_TP = 1,
    TYPE_PROG = 2,
};

constexpr size_t SAT_SIZE = 28;
constexpr size_t TP_SIZE = 16;
constexpr size_t PROG_SIZE = 52;

struct BlockHeader
{
    uint32_t dwMagic;
    uint32_t dwNext;
    uint32_t dwType;
    uint16_t wCount;
    uint16_t wRecLen;
    uint8_t nFollow;
    uint8_t nStride;
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
    h.wCount = ReadBe16(p + 16);
    h.wRecLen = ReadBe16(p + 22);
    h.nFollow = p[24];
    h.nStride = p[25];
    return true;
}

// Valid: the magic, and either records or the end marker right behind the (empty) table. Broken
// when that end marker would lie past the end of the image.
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

uint64_t BlockBehind(uint64_t nOffset, const BlockHeader& h)
{
    return nOffset + 32 + 4 * ((uint64_t(h.wCount) * h.nStride) / 4);
}

// The first 4-byte step holding a valid header, or 0 when there is none.
uint64_t FindRegionStart(const CByteView& image)
{
    for (uint64_t p = 0; p + 4 <= image.Size(); p += 4) {
        if (ReadBe32(image.Data() + p) != BLOCK_MAGIC)
            continue;
        BlockHeader h;
        if (ReadHeader(image, p, h) && CheckValid(image, p, h) == Lookup::Found)
            return p;
    }
    return 0;
}

// Finds the block in force of the wanted type. Blocks written one behind the other are scanned
// while their follow flag is set; a superseded block leads through its next offset to its
// successor.
Lookup FindBlock(const CByteView& image, uint64_t nRegion, uint32_t dwType, uint64_t& nFound, BlockHeader& h)
{
    uint64_t p = nRegion;
    for (;;) {
        if (!ReadHeader(image, p, h))
            return Lookup::Broken;
        if (h.dwMagic != BLOCK_MAGIC || h.nFollow != 1 || h.dwType == dwType)
            break;
        p = BlockBehind(p, h);
    }

    // Every state of the walk below depends only on the position it is at: settling at p, stepping
    // on to p, following the chain at p. Reaching the same state twice means the walk would never
    // end, so each position is taken once per state, which also keeps the walk linear in the image.
    std::unordered_set<uint64_t> settled, stepped, chained;
    for (;;) {
        if (!settled.insert(p).second || !ReadHeader(image, p, h))
            return Lookup::Broken;
        const Lookup valid = CheckValid(image, p, h);
        if (valid != Lookup::Found)
            return valid;
        if (h.dwType == dwType && h.dwNext == NO_NEXT) {
            nFound = p;
            return Lookup::Found;
        }
        bool bMoved = false;
        while (h.dwType != dwType && h.nFollow == 1) {
            p += FOLLOW_STEP;
            if (!stepped.insert(p).second || !ReadHeader(image, p, h))
                return Lookup::Broken;
            bMoved = true;
        }
        while (h.dwNext != NO_NEXT) {
            if (!chained.insert(p).second)
                return Lookup::Broken;
            p = nRegion + h.dwNext;
            if (!ReadHeader(image, p, h))
                return Lookup::Broken;
            bMoved = true;
        }
        if (!bMoved)
            return Lookup::NotFound; // another type, in force, and nothing follows it
    }
}

CNode* MakeSat(const uint8_t* r)
{
    CSatNode* pSat = new CSatNode(0, INVALID_ID, INVALID_ID);
    SatRecord* pRec = pSat->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2);
    pRec->Set(SatField::Longitude, GetBits(w0, 1, 11));
    pRec->Set(SatField::Direction, GetBits(w0, 0, 1));
    pRec->Set(SatField::LocalFre1, LnbFieldIndex(GetBits(w1, 18, 14)));
    pRec->Set(SatField::LocalFre2, LnbFieldIndex(GetBits(w1, 2, 14)));
    pRec->Set(SatField::K22, GetBits(w1, 0, 2));
    pRec->Set(SatField::DisEqCMotor, GetBits(w2, 28, 2));
    pRec->Set(SatField::DiSEqC, GetBits(w2, 16, 3));
    pRec->Set(SatField::DiSEqC12, GetBits(w2, 8, 8));
    pRec->Set(SatField::LnbType, GetBits(w2, 1, 2));
    pRec->Set(SatField::V12, GetBits(w2, 0, 1));
    std::memcpy(pRec->Name, r + 12, SAT_NAME_LEN - 1);
    pRec->Name[SAT_NAME_LEN - 1] = 0;
    pSat->SetId(static_cast<int32_t>(GetBits(w0, 16, 16)));
    return pSat;
}

CNode* MakeTp(const uint8_t* r)
{
    CTpNode* pTp = new CTpNode(INVALID_ID, INVALID_ID);
    TpRecord* pRec = pTp->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
    pRec->Set(TpField::Polar, GetBits(w1, 0, 1));
    pRec->Set(TpField::Frequency, GetBits(w2, 0, 14));
    pRec->Set(TpField::SymbolRate, GetBits(w3, 0, 16));
    pTp->SetId(static_cast<int32_t>(GetBits(w0, 0, 16)));
    pTp->SetParentId(static_cast<int32_t>(GetBits(w0, 16, 16)));
    return pTp;
}

CNode* MakeProg(const uint8_t* r)
{
    CProgNode* pProg = new CProgNode(INVALID_ID, INVALID_ID);
    ProgRecord* pRec = pProg->GetRecord();
    const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3), w4 = Word(r, 4),
                   w5 = Word(r, 5), w6 = Word(r, 6);
    pRec->Set(ProgField::ServiceId, GetBits(w1, 16, 16));
    pRec->Set(ProgField::VPID, GetBits(w2, 19, 13));
    pRec->Set(ProgField::PCRPID, GetBits(w2, 6, 13));
    pRec->Set(ProgField::Lock, GetBits(w2, 5, 1));
    pRec->Set(ProgField::Scramble, GetBits(w2, 4, 1));
    pRec->Set(ProgField::APID, GetBits(w3, 19, 13));
    pRec->Set(ProgField::PmtPid, GetBits(w3, 6, 13));
    pRec->Set(ProgField::Skip, GetBits(w4, 31, 1));
    pRec->Set(ProgField::Track, GetBits(w5, 3, 2));
    pRec->Set(ProgField::AvType, GetBits(w6, 16, 16) == 2 ? 0 : 1);
    std::memcpy(pRec->ProgName, r + 28, PROG_NAME_LEN - 1);
    pRec->ProgName[PROG_NAME_LEN - 1] = 0;
    pProg->SetParentId(static_cast<int32_t>(GetBits(w0, 0, 16)));
    return pProg;
}

// Reads the records of the block at nBlock into list; record offsets count from the start of the
// image. False when a table entry or a record lies outside the image.
bool ReadRecords(const CByteView& image, uint64_t nBlock, const BlockHeader& h, CNodeList& list,
                 size_t nLayoutSize, CNode* (*make)(const uint8_t*))
{
    uint8_t buffer[MAX_RECORD_SIZE];
    for (uint32_t i = 0; i < h.wCount; ++i) {
        const uint64_t nEntry = nBlock + HEADER_SIZE + 4 * ((uint64_t(i) * h.nStride) / 4);
        uint32_t dwOffset = 0;
        if (!image.Be32(static_cast<size_t>(nEntry), dwOffset))
            return false;
        if (!CopyRecord(image, dwOffset, h.wRecLen, buffer, nLayoutSize))
            return false;
        AddRecordNode(list, make(buffer));
    }
    return true;
}

} // namespace

CAccessUserDb25In::CAccessUserDb25In(IUserDbAddrSource& addr) : m_addr(addr) {}

bool CAccessUserDb25In::Fail(CProgDb* pDb)
{
    SetLastErrorMsg("File format error!");
    pDb->Clear();
    return false;
}

bool CAccessUserDb25In::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    const uint32_t nAddr = m_addr.AskUserDbAddr();
    if (nAddr == 0)
        return false;
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

bool CAccessUserDb25In::LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb)
{
    if (nAddr == 0)
        return false;
    if (nSize <= nAddr) {
        SetLastErrorMsg("File size error!");
        return false;
    }
    const CByteView image(pData + nAddr, nSize - nAddr);
    const uint64_t nRegion = FindRegionStart(image);

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
        switch (FindBlock(image, nRegion, k.dwType, nBlock, h)) {
        case Lookup::Broken:
            return Fail(pDb);
        case Lookup::NotFound:
            continue;
        case Lookup::Found:
            if (!ReadRecords(image, nBlock, h, *k.pList, k.nLayoutSize, k.make))
                return Fail(pDb);
            break;
        }
    }
    return true;
}
