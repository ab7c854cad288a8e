#include "access/AccessUserDb.h"

#include "platform/ByteOrder.h"

#include <cstring>
#include <unordered_set>

namespace {

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

} // namespace

CAccessUserDbIn::CAccessUserDbIn(IUserDbAddrSource& addr) : CAccessUserDbBase(addr) {}

const char* CAccessUserDbIn::LayoutName() const
{
    return "2.0";
}

bool CAccessUserDbIn::TakesAddr(uint32_t /*nAddr*/) const
{
    return true;
}

bool CAccessUserDbIn::Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const
{
    for (uint64_t nStart = nAddr; nStart < image.Size(); nStart += SEARCH_STEP) {
        uint32_t dwMagic = 0;
        if (image.Be32(static_cast<size_t>(nStart), dwMagic) && dwMagic == BLOCK_MAGIC) {
            region.view = CByteView(image.Data() + nStart, image.Size() - static_cast<size_t>(nStart));
            region.nRegion = 0;
            return true;
        }
    }
    return false;
}

size_t CAccessUserDbIn::HeaderSize() const
{
    return HEADER_SIZE;
}

void CAccessUserDbIn::DecodeHeader(const uint8_t* p, CBlockHeader& h) const
{
    h.dwMagic = ReadBe32(p);
    h.dwNext = ReadBe32(p + 4);
    h.dwType = ReadBe32(p + 8);
    h.wState = ReadBe16(p + 12);
    h.wCount = ReadBe16(p + 14);
    h.wRecLen = ReadBe16(p + 18);
    h.nStride = 4;
}

// Walks the chain from the head's next offset to the first valid block of the wanted type that is
// in force.
CAccessUserDbIn::Lookup CAccessUserDbIn::FindBlock(const CRegion& region, NodeType nKind, uint64_t& nBlock,
                                                   CBlockHeader& h) const
{
    const uint32_t dwType = nKind == NODE_SAT ? TYPE_SAT : nKind == NODE_TP ? TYPE_TP : TYPE_PROG;
    const CByteView& view = region.view;
    CBlockHeader head;
    if (!ReadHeader(view, region.nRegion, head))
        return Lookup::Broken;
    // A head that is the last block has no chain behind it.
    if (head.dwType != TYPE_HEAD || head.dwNext == NO_NEXT)
        return Lookup::NotFound;

    std::unordered_set<uint64_t> visited{region.nRegion};
    uint64_t nPos = region.nRegion + head.dwNext;
    for (;;) {
        if (!visited.insert(nPos).second || !ReadHeader(view, nPos, h))
            return Lookup::Broken;
        const Lookup valid = CheckValid(view, nPos, h);
        if (valid != Lookup::Found)
            return valid;
        if (h.dwType == dwType && h.wState == STATE_IN_FORCE) {
            nBlock = nPos;
            return Lookup::Found;
        }
        if (h.dwNext == NO_NEXT)
            return Lookup::NotFound;
        nPos = region.nRegion + h.dwNext;
    }
}

size_t CAccessUserDbIn::RecordSize(NodeType nKind) const
{
    return nKind == NODE_SAT ? SAT_SIZE : nKind == NODE_TP ? TP_SIZE : PROG_SIZE;
}

std::unique_ptr<CNode> CAccessUserDbIn::DecodeRecord(NodeType nKind, const uint8_t* r,
                                                     int32_t& nRecordId) const
{
    if (nKind == NODE_SAT) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
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
        nRecordId = static_cast<int32_t>(GetBits(w0, 16, 16));
        return pSat;
    }
    if (nKind == NODE_TP) {
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
        TpRecord* pRec = pTp->GetRecord();
        const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2);
        pRec->Set(TpField::Frequency, GetBits(w1, 16, 16)); // keeps the low 14 bits
        pRec->Set(TpField::SymbolRate, GetBits(w1, 0, 16));
        pRec->Set(TpField::Polar, GetBits(w2, 3, 1));
        pRec->Set(TpField::Flag, GetBits(w2, 2, 1));
        pTp->SetParentId(static_cast<int32_t>(GetBits(w0, 16, 16)));
        nRecordId = static_cast<int32_t>(GetBits(w0, 0, 16));
        return pTp;
    }
    auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
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
    nRecordId = INVALID_ID; // programs keep the ids the list hands out
    return pProg;
}
