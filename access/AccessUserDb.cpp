#include "access/AccessUserDb.h"

#include "platform/ByteOrder.h"

#include <unordered_set>

namespace {

constexpr size_t HEADER_SIZE = 20;
constexpr uint64_t SEARCH_STEP = 0x10000;
constexpr uint16_t STATE_IN_FORCE = 0xFFFF;

enum : uint32_t
{
    TYPE_HEAD = 0,
    TYPE_SAT = 1,
    TYPE_TP = 2,
    TYPE_PROG = 3,
};

constexpr size_t SAT_SIZE = 32;
constexpr size_t TP_SIZE = 12;
constexpr size_t PROG_SIZE = 52;
constexpr size_t SAT_NAME_AT = 16;

} // namespace

CAccessUserDbIn::CAccessUserDbIn(IUserDbAddrSource& addr)
    : CAccessUserDbBase(
          addr,
          {"2.0", HEADER_SIZE, {TYPE_SAT, TYPE_TP, TYPE_PROG}, {SAT_SIZE, TP_SIZE, PROG_SIZE}, SAT_NAME_AT})
{}

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
    const uint32_t dwType = BlockType(nKind);
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

void CAccessUserDbIn::DecodeSatFields(const uint8_t* r, SatRecord& rec) const
{
    const uint32_t w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
    rec.Set(SatField::LocalFre1, LnbFieldIndex(GetBits(w1, 16, 16)));
    rec.Set(SatField::LocalFre2, LnbFieldIndex(GetBits(w1, 0, 16)));
    rec.Set(SatField::DisEqCMotor, GetBits(w2, 30, 2));
    rec.Set(SatField::DiSEqC12, GetBits(w2, 16, 8));
    rec.Set(SatField::DiSEqC, GetBits(w2, 5, 3));
    rec.Set(SatField::K22, GetBits(w2, 3, 2));
    rec.Set(SatField::V12, GetBits(w2, 0, 1));
    rec.Set(SatField::LnbType, GetBits(w3, 27, 2));
}

void CAccessUserDbIn::DecodeTpFields(const uint8_t* r, TpRecord& rec) const
{
    const uint32_t w1 = Word(r, 1), w2 = Word(r, 2);
    rec.Set(TpField::Frequency, GetBits(w1, 16, 16)); // keeps the low 14 bits
    rec.Set(TpField::SymbolRate, GetBits(w1, 0, 16));
    rec.Set(TpField::Polar, GetBits(w2, 3, 1));
    rec.Set(TpField::Flag, GetBits(w2, 2, 1));
}

void CAccessUserDbIn::DecodeProgFields(const uint8_t* r, ProgRecord& rec) const
{
    const uint32_t w2 = Word(r, 2), w4 = Word(r, 4), w5 = Word(r, 5);
    rec.Set(ProgField::Track, GetBits(w2, 0, 2));
    rec.Set(ProgField::Lock, GetBits(w4, 20, 1));
    rec.Set(ProgField::Skip, GetBits(w4, 19, 1));
    rec.Set(ProgField::Scramble, GetBits(w4, 18, 1));
    rec.Set(ProgField::AvType, GetBits(w4, 15, 1));
    rec.Set(ProgField::FavType, GetBits(w5, 0, 4));
}
