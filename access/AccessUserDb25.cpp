#include "access/AccessUserDb25.h"

#include "platform/ByteOrder.h"

#include <unordered_set>

namespace {

constexpr size_t HEADER_SIZE = 28;
// Where the look-up tries next when a block of another type says more headers follow.
constexpr uint64_t FOLLOW_STEP = 224;

enum : uint32_t
{
    TYPE_SAT = 0,
    TYPE_TP = 1,
    TYPE_PROG = 2,
};

constexpr size_t SAT_SIZE = 28;
constexpr size_t TP_SIZE = 16;
constexpr size_t PROG_SIZE = 52;
constexpr size_t SAT_NAME_AT = 12;

uint64_t BlockBehind(uint64_t nPos, uint16_t wCount, uint8_t nStride)
{
    return nPos + 32 + 4 * ((uint64_t(wCount) * nStride) / 4);
}

} // namespace

CAccessUserDb25In::CAccessUserDb25In(IUserDbAddrSource& addr)
    : CAccessUserDbBase(
          addr,
          {"2.5", HEADER_SIZE, {TYPE_SAT, TYPE_TP, TYPE_PROG}, {SAT_SIZE, TP_SIZE, PROG_SIZE}, SAT_NAME_AT})
{}

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
    const uint32_t dwType = BlockType(nKind);
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

void CAccessUserDb25In::DecodeSatFields(const uint8_t* r, SatRecord& rec) const
{
    const uint32_t w1 = Word(r, 1), w2 = Word(r, 2);
    rec.Set(SatField::LocalFre1, LnbFieldIndex(GetBits(w1, 18, 14)));
    rec.Set(SatField::LocalFre2, LnbFieldIndex(GetBits(w1, 2, 14)));
    rec.Set(SatField::K22, GetBits(w1, 0, 2));
    rec.Set(SatField::DisEqCMotor, GetBits(w2, 28, 2));
    rec.Set(SatField::DiSEqC, GetBits(w2, 16, 3));
    rec.Set(SatField::DiSEqC12, GetBits(w2, 8, 8));
    rec.Set(SatField::LnbType, GetBits(w2, 1, 2));
    rec.Set(SatField::V12, GetBits(w2, 0, 1));
}

void CAccessUserDb25In::DecodeTpFields(const uint8_t* r, TpRecord& rec) const
{
    const uint32_t w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
    rec.Set(TpField::Polar, GetBits(w1, 0, 1));
    rec.Set(TpField::Frequency, GetBits(w2, 0, 14));
    rec.Set(TpField::SymbolRate, GetBits(w3, 0, 16));
}

void CAccessUserDb25In::DecodeProgFields(const uint8_t* r, ProgRecord& rec) const
{
    const uint32_t w2 = Word(r, 2), w4 = Word(r, 4), w5 = Word(r, 5), w6 = Word(r, 6);
    rec.Set(ProgField::Lock, GetBits(w2, 5, 1));
    rec.Set(ProgField::Scramble, GetBits(w2, 4, 1));
    rec.Set(ProgField::Skip, GetBits(w4, 31, 1));
    rec.Set(ProgField::Track, GetBits(w5, 3, 2));
    rec.Set(ProgField::AvType, GetBits(w6, 16, 16) == 2 ? 0 : 1);
}
