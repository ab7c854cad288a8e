#include "access/AccessUserDb25.h"

#include "platform/ByteOrder.h"

#include <cstring>
#include <unordered_set>

namespace {

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

uint64_t BlockBehind(uint64_t nPos, uint16_t wCount, uint8_t nStride)
{
    return nPos + 32 + 4 * ((uint64_t(wCount) * nStride) / 4);
}

} // namespace

CAccessUserDb25In::CAccessUserDb25In(IUserDbAddrSource& addr) : CAccessUserDbBase(addr) {}

const char* CAccessUserDb25In::LayoutName() const
{
    return "2.5";
}

bool CAccessUserDb25In::TakesAddr(uint32_t nAddr) const
{
    return nAddr != 0;
}

// The image from the address on; the region start is its first 4-byte step holding a valid header,
// or its start when there is none.
bool CAccessUserDb25In::Locate(const CByteView& image, uint32_t nAddr, CRegion& region) const
{
    region.view = CByteView(image.Data() + nAddr, image.Size() - nAddr);
    region.nRegion = 0;
    const CByteView& view = region.view;
    for (uint64_t p = 0; p + 4 <= view.Size(); p += 4) {
        if (ReadBe32(view.Data() + p) != BLOCK_MAGIC)
            continue;
        CBlockHeader h;
        if (ReadHeader(view, p, h) && CheckValid(view, p, h) == Lookup::Found) {
            region.nRegion = p;
            break;
        }
    }
    return true;
}

size_t CAccessUserDb25In::HeaderSize() const
{
    return HEADER_SIZE;
}

void CAccessUserDb25In::DecodeHeader(const uint8_t* p, CBlockHeader& h) const
{
    h.dwMagic = ReadBe32(p);
    h.dwNext = ReadBe32(p + 4);
    h.dwType = ReadBe32(p + 8);
    h.wCount = ReadBe16(p + 16);
    h.wRecLen = ReadBe16(p + 22);
    h.nFollow = p[24];
    h.nStride = p[25];
}

// Finds the block in force of the wanted type. Blocks written one behind the other are scanned
// while their follow flag is set; a superseded block leads through its next offset to its
// successor.
CAccessUserDb25In::Lookup CAccessUserDb25In::FindBlock(const CRegion& region, NodeType nKind,
                                                       uint64_t& nBlock, CBlockHeader& h) const
{
    const uint32_t dwType = nKind == NODE_SAT ? TYPE_SAT : nKind == NODE_TP ? TYPE_TP : TYPE_PROG;
    const CByteView& view = region.view;
    uint64_t p = region.nRegion;
    for (;;) {
        if (!ReadHeader(view, p, h))
            return Lookup::Broken;
        if (h.dwMagic != BLOCK_MAGIC || h.nFollow != 1 || h.dwType == dwType)
            break;
        p = BlockBehind(p, h.wCount, h.nStride);
    }

    // Every state of the walk below depends only on the position it is at: settling at p, stepping
    // on to p, following the chain at p. Reaching the same state twice means the walk would never
    // end, so each position is taken once per state, which also keeps the walk linear in the image.
    std::unordered_set<uint64_t> settled, stepped, chained;
    for (;;) {
        if (!settled.insert(p).second || !ReadHeader(view, p, h))
            return Lookup::Broken;
        const Lookup valid = CheckValid(view, p, h);
        if (valid != Lookup::Found)
            return valid;
        if (h.dwType == dwType && h.dwNext == NO_NEXT) {
            nBlock = p;
            return Lookup::Found;
        }
        bool bMoved = false;
        while (h.dwType != dwType && h.nFollow == 1) {
            p += FOLLOW_STEP;
            if (!stepped.insert(p).second || !ReadHeader(view, p, h))
                return Lookup::Broken;
            bMoved = true;
        }
        while (h.dwNext != NO_NEXT) {
            if (!chained.insert(p).second)
                return Lookup::Broken;
            p = region.nRegion + h.dwNext;
            if (!ReadHeader(view, p, h))
                return Lookup::Broken;
            bMoved = true;
        }
        if (!bMoved)
            return Lookup::NotFound; // another type, in force, and nothing follows it
    }
}

size_t CAccessUserDb25In::RecordSize(NodeType nKind) const
{
    return nKind == NODE_SAT ? SAT_SIZE : nKind == NODE_TP ? TP_SIZE : PROG_SIZE;
}

std::unique_ptr<CNode> CAccessUserDb25In::DecodeRecord(NodeType nKind, const uint8_t* r,
                                                       int32_t& nRecordId) const
{
    if (nKind == NODE_SAT) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
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
        nRecordId = static_cast<int32_t>(GetBits(w0, 16, 16));
        return pSat;
    }
    if (nKind == NODE_TP) {
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
        TpRecord* pRec = pTp->GetRecord();
        const uint32_t w0 = Word(r, 0), w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
        pRec->Set(TpField::Polar, GetBits(w1, 0, 1));
        pRec->Set(TpField::Frequency, GetBits(w2, 0, 14));
        pRec->Set(TpField::SymbolRate, GetBits(w3, 0, 16));
        pTp->SetParentId(static_cast<int32_t>(GetBits(w0, 16, 16)));
        nRecordId = static_cast<int32_t>(GetBits(w0, 0, 16));
        return pTp;
    }
    auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
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
    nRecordId = INVALID_ID; // programs keep the ids the list hands out
    return pProg;
}
