#pragma once

// Builds firmware images holding a user database, byte by byte: block headers and records of both
// layouts at chosen positions, and whole databases laid out the way a receiver writes them. Used by
// the reader tests, the firmware benchmark and the fuzz seed generator; standard library only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace TestImage {

constexpr uint32_t MAGIC = 0xAABBCCDD;
constexpr uint32_t END = 0xDDCCBBAA;
constexpr uint32_t LAST = 0xFFFFFFFF;

// A byte image that grows (zero filled, or with the chosen filler) as bytes are put into it.
class CImage
{
public:
    explicit CImage(size_t nSize = 0, uint8_t nFill = 0) : m_data(nSize, nFill), m_nFill(nFill) {}

    CImage& Be32(size_t nAt, uint32_t v)
    {
        Reserve(nAt + 4);
        for (int i = 0; i < 4; ++i)
            m_data[nAt + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
        return *this;
    }
    CImage& Be16(size_t nAt, uint16_t v)
    {
        Reserve(nAt + 2);
        m_data[nAt] = static_cast<uint8_t>(v >> 8);
        m_data[nAt + 1] = static_cast<uint8_t>(v);
        return *this;
    }
    CImage& U8(size_t nAt, uint8_t v)
    {
        Reserve(nAt + 1);
        m_data[nAt] = v;
        return *this;
    }
    CImage& Bytes(size_t nAt, const std::vector<uint8_t>& bytes)
    {
        Reserve(nAt + bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i)
            m_data[nAt + i] = bytes[i];
        return *this;
    }
    CImage& Resize(size_t nSize)
    {
        m_data.resize(nSize, m_nFill);
        return *this;
    }
    size_t Size() const { return m_data.size(); }
    std::vector<uint8_t>& Data() { return m_data; }
    const std::vector<uint8_t>& Data() const { return m_data; }

private:
    void Reserve(size_t nEnd)
    {
        if (m_data.size() < nEnd)
            m_data.resize(nEnd, m_nFill);
    }
    std::vector<uint8_t> m_data;
    uint8_t m_nFill;
};

// Record contents common to both layouts; each encoder places them its own way.
struct Sat
{
    uint16_t nId = 0;
    uint32_t nLongitude = 0, nDirection = 0;
    uint32_t nLnbFreq1 = 9750, nLnbFreq2 = 10600; // MHz
    uint32_t nMotor = 0, nDiSEqC12 = 0, nDiSEqC = 0, n22K = 0, n12V = 0, nLnbType = 0;
    std::string strName; // at most 15 bytes are stored
};

struct Tp
{
    uint16_t nId = 0, nSatId = 0;
    uint32_t nFrequency = 0, nSymbolRate = 0, nPolar = 0;
    uint32_t nFlag = 0; // layout 2.0 only
};

struct Prog
{
    uint16_t nTpId = 0;
    uint32_t nServiceId = 0, nVpid = 0, nPcrPid = 0, nApid = 0, nPmtPid = 0;
    uint32_t nTrack = 0, nLock = 0, nSkip = 0, nScramble = 0;
    uint32_t nAvType = 0;  // layout 2.0: the bit; layout 2.5: the upper half of word 6 (2 means AvType 0)
    uint32_t nFavType = 0; // layout 2.0 only
    std::string strName;   // at most 20 bytes are stored
};

inline void PutWord(std::vector<uint8_t>& r, size_t nWord, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        r[4 * nWord + i] |= static_cast<uint8_t>(v >> (24 - 8 * i));
}

inline void PutName(std::vector<uint8_t>& r, size_t nAt, const std::string& s, size_t nMax)
{
    for (size_t i = 0; i < s.size() && i < nMax; ++i)
        r[nAt + i] = static_cast<uint8_t>(s[i]);
}

inline std::vector<uint8_t> Sat20(const Sat& s)
{
    std::vector<uint8_t> r(32, 0);
    PutWord(r, 0, (uint32_t(s.nId) << 16) | ((s.nLongitude & 0x7FF) << 1) | (s.nDirection & 1));
    PutWord(r, 1, ((s.nLnbFreq1 & 0xFFFF) << 16) | (s.nLnbFreq2 & 0xFFFF));
    PutWord(r, 2,
            ((s.nMotor & 3) << 30) | ((s.nDiSEqC12 & 0xFF) << 16) | ((s.nDiSEqC & 7) << 5) |
                ((s.n22K & 3) << 3) | (s.n12V & 1));
    PutWord(r, 3, (s.nLnbType & 3) << 27);
    PutName(r, 16, s.strName, 15);
    return r;
}

inline std::vector<uint8_t> Tp20(const Tp& t)
{
    std::vector<uint8_t> r(12, 0);
    PutWord(r, 0, (uint32_t(t.nSatId) << 16) | t.nId);
    PutWord(r, 1, ((t.nFrequency & 0xFFFF) << 16) | (t.nSymbolRate & 0xFFFF));
    PutWord(r, 2, ((t.nPolar & 1) << 3) | ((t.nFlag & 1) << 2));
    return r;
}

inline std::vector<uint8_t> Prog20(const Prog& p)
{
    std::vector<uint8_t> r(52, 0);
    PutWord(r, 0, p.nTpId);
    PutWord(r, 1, (p.nServiceId & 0xFFFF) << 16);
    PutWord(r, 2, ((p.nVpid & 0x1FFF) << 19) | ((p.nPcrPid & 0x1FFF) << 6) | (p.nTrack & 3));
    PutWord(r, 3, ((p.nApid & 0x1FFF) << 19) | ((p.nPmtPid & 0x1FFF) << 6));
    PutWord(r, 4,
            ((p.nLock & 1) << 20) | ((p.nSkip & 1) << 19) | ((p.nScramble & 1) << 18) |
                ((p.nAvType & 1) << 15));
    PutWord(r, 5, p.nFavType & 0xF);
    PutName(r, 28, p.strName, 20);
    return r;
}

inline std::vector<uint8_t> Sat25(const Sat& s)
{
    std::vector<uint8_t> r(28, 0);
    PutWord(r, 0, (uint32_t(s.nId) << 16) | ((s.nLongitude & 0x7FF) << 1) | (s.nDirection & 1));
    PutWord(r, 1, ((s.nLnbFreq1 & 0x3FFF) << 18) | ((s.nLnbFreq2 & 0x3FFF) << 2) | (s.n22K & 3));
    PutWord(r, 2,
            ((s.nMotor & 3) << 28) | ((s.nDiSEqC & 7) << 16) | ((s.nDiSEqC12 & 0xFF) << 8) |
                ((s.nLnbType & 3) << 1) | (s.n12V & 1));
    PutName(r, 12, s.strName, 15);
    return r;
}

inline std::vector<uint8_t> Tp25(const Tp& t)
{
    std::vector<uint8_t> r(16, 0);
    PutWord(r, 0, (uint32_t(t.nSatId) << 16) | t.nId);
    PutWord(r, 1, t.nPolar & 1);
    PutWord(r, 2, t.nFrequency & 0x3FFF);
    PutWord(r, 3, t.nSymbolRate & 0xFFFF);
    return r;
}

inline std::vector<uint8_t> Prog25(const Prog& p)
{
    std::vector<uint8_t> r(52, 0);
    PutWord(r, 0, p.nTpId);
    PutWord(r, 1, (p.nServiceId & 0xFFFF) << 16);
    PutWord(r, 2,
            ((p.nVpid & 0x1FFF) << 19) | ((p.nPcrPid & 0x1FFF) << 6) | ((p.nLock & 1) << 5) |
                ((p.nScramble & 1) << 4));
    PutWord(r, 3, ((p.nApid & 0x1FFF) << 19) | ((p.nPmtPid & 0x1FFF) << 6));
    PutWord(r, 4, (p.nSkip & 1) << 31);
    PutWord(r, 5, (p.nTrack & 3) << 3);
    PutWord(r, 6, (p.nAvType & 0xFFFF) << 16);
    PutName(r, 28, p.strName, 20);
    return r;
}

// A layout 2.0 block header at nAt, its offset table and (unless bEndMarker is false) the end marker.
inline void Block20(CImage& img, size_t nAt, uint32_t dwNext, uint32_t dwType, uint16_t wState,
                    uint16_t wRecLen, const std::vector<uint32_t>& offsets, bool bEndMarker = true)
{
    img.Be32(nAt, MAGIC).Be32(nAt + 4, dwNext).Be32(nAt + 8, dwType);
    img.Be16(nAt + 12, wState).Be16(nAt + 14, static_cast<uint16_t>(offsets.size())).Be16(nAt + 16, 0);
    img.Be16(nAt + 18, wRecLen);
    for (size_t i = 0; i < offsets.size(); ++i)
        img.Be32(nAt + 20 + 4 * i, offsets[i]);
    if (bEndMarker)
        img.Be32(nAt + 20 + 4 * offsets.size(), END);
}

// A layout 2.5 block header at nAt with its offset table (entries nStride bytes apart; the first 4
// bytes of each entry hold the offset, the rest 0xEE) and the end marker.
inline void Block25(CImage& img, size_t nAt, uint32_t dwNext, uint32_t dwType, uint16_t wRecLen,
                    uint8_t nFollow, uint8_t nStride, const std::vector<uint32_t>& offsets,
                    bool bEndMarker = true)
{
    img.Be32(nAt, MAGIC).Be32(nAt + 4, dwNext).Be32(nAt + 8, dwType).Be32(nAt + 12, 0);
    img.Be16(nAt + 16, static_cast<uint16_t>(offsets.size())).Be16(nAt + 18, 0).Be16(nAt + 20, 0);
    img.Be16(nAt + 22, wRecLen).U8(nAt + 24, nFollow).U8(nAt + 25, nStride).Be16(nAt + 26, 0);
    for (size_t i = 0; i < offsets.size(); ++i) {
        for (size_t k = 4; k < nStride; ++k)
            img.U8(nAt + 28 + nStride * i + k, 0xEE);
        img.Be32(nAt + 28 + nStride * i, offsets[i]);
    }
    if (bEndMarker)
        img.Be32(nAt + 28 + nStride * offsets.size(), END);
}

// Size in bytes of a layout 2.5 block: where the block directly behind it starts.
inline size_t Block25Size(size_t nCount, uint8_t nStride)
{
    return 32 + 4 * ((nCount * nStride) / 4);
}

struct Db
{
    std::vector<Sat> sats;
    std::vector<Tp> tps;
    std::vector<Prog> progs;
};

// A whole layout 2.0 database with its region start at nRegion: the head, then the satellite,
// transponder and program blocks chained in this order, each followed by its records.
inline void UserDb20(CImage& img, size_t nRegion, const Db& db)
{
    size_t nPos = 24; // head: header and end marker
    const size_t nSatBlock = nPos;
    nPos += 24 + 4 * db.sats.size() + 32 * db.sats.size();
    const size_t nTpBlock = nPos;
    nPos += 24 + 4 * db.tps.size() + 12 * db.tps.size();
    const size_t nProgBlock = nPos;

    Block20(img, nRegion, static_cast<uint32_t>(nSatBlock), 0, 0xFFFF, 0, {});
    auto put = [&](size_t nBlock, uint32_t dwNext, uint32_t dwType, size_t nRecLen, size_t nCount,
                   auto encode) {
        std::vector<uint32_t> offsets;
        const size_t nRecords = nBlock + 24 + 4 * nCount;
        for (size_t i = 0; i < nCount; ++i) {
            offsets.push_back(static_cast<uint32_t>(nRecords + nRecLen * i));
            img.Bytes(nRegion + nRecords + nRecLen * i, encode(i));
        }
        Block20(img, nRegion + nBlock, dwNext, dwType, 0xFFFF, static_cast<uint16_t>(nRecLen), offsets);
    };
    put(nSatBlock, static_cast<uint32_t>(nTpBlock), 1, 32, db.sats.size(),
        [&](size_t i) { return Sat20(db.sats[i]); });
    put(nTpBlock, static_cast<uint32_t>(nProgBlock), 2, 12, db.tps.size(),
        [&](size_t i) { return Tp20(db.tps[i]); });
    put(nProgBlock, LAST, 3, 52, db.progs.size(), [&](size_t i) { return Prog20(db.progs[i]); });
}

// A whole layout 2.5 database at nAddr: the satellite, transponder and program blocks one behind
// the other (follow flags set on the first two), all in force, then the records.
inline void UserDb25(CImage& img, size_t nAddr, const Db& db, uint8_t nStride = 4)
{
    const size_t nSatBlock = 0;
    const size_t nTpBlock = nSatBlock + Block25Size(db.sats.size(), nStride);
    const size_t nProgBlock = nTpBlock + Block25Size(db.tps.size(), nStride);
    size_t nRecords = nProgBlock + Block25Size(db.progs.size(), nStride);

    auto put = [&](size_t nBlock, uint32_t dwType, uint8_t nFollow, size_t nRecLen, size_t nCount,
                   auto encode) {
        std::vector<uint32_t> offsets;
        for (size_t i = 0; i < nCount; ++i) {
            offsets.push_back(static_cast<uint32_t>(nRecords));
            img.Bytes(nAddr + nRecords, encode(i));
            nRecords += nRecLen;
        }
        Block25(img, nAddr + nBlock, LAST, dwType, static_cast<uint16_t>(nRecLen), nFollow, nStride, offsets);
    };
    put(nSatBlock, 0, 1, 28, db.sats.size(), [&](size_t i) { return Sat25(db.sats[i]); });
    put(nTpBlock, 1, 1, 16, db.tps.size(), [&](size_t i) { return Tp25(db.tps[i]); });
    put(nProgBlock, 2, 0, 52, db.progs.size(), [&](size_t i) { return Prog25(db.progs[i]); });
}

// A database of nSats satellites with nTpsPerSat transponders each and nProgsPerTp programs on
// each transponder; ids count from 1 so that they differ from the ids a list would hand out.
inline Db MakeDb(size_t nSats, size_t nTpsPerSat, size_t nProgsPerTp)
{
    Db db;
    uint16_t nTpId = 1;
    for (size_t s = 0; s < nSats; ++s) {
        Sat sat;
        sat.nId = static_cast<uint16_t>(s + 1);
        sat.nLongitude = static_cast<uint32_t>((s * 7) % 2048);
        sat.strName = "Sat " + std::to_string(s + 1);
        db.sats.push_back(sat);
        for (size_t t = 0; t < nTpsPerSat; ++t, ++nTpId) {
            Tp tp;
            tp.nId = nTpId;
            tp.nSatId = sat.nId;
            tp.nFrequency = static_cast<uint32_t>(10700 + t * 10) & 0x3FFF;
            tp.nSymbolRate = 27500;
            tp.nPolar = t & 1;
            db.tps.push_back(tp);
            for (size_t p = 0; p < nProgsPerTp; ++p) {
                Prog prog;
                prog.nTpId = tp.nId;
                prog.nServiceId = static_cast<uint32_t>(p + 1);
                prog.nVpid = 0x100 + static_cast<uint32_t>(p);
                prog.nApid = 0x200 + static_cast<uint32_t>(p);
                prog.strName = "Prog " + std::to_string(tp.nId) + "/" + std::to_string(p);
                db.progs.push_back(prog);
            }
        }
    }
    return db;
}

} // namespace TestImage
