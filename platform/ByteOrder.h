#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Big-endian integers in byte buffers. Every binary format of the system stores its words
// most significant byte first; these are the only conversions used, never struct casts.

inline uint32_t ReadBe32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline uint16_t ReadBe16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline void WriteBe32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline void AppendBe32(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t b[4];
    WriteBe32(b, v);
    out.insert(out.end(), b, b + 4);
}

// A read-only view of bytes whose reads are checked against its size.
class CByteView
{
public:
    CByteView(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    const uint8_t* Data() const { return m_pData; }
    size_t Size() const { return m_nSize; }
    // True when nLen bytes from nOffset lie inside the view (no overflow).
    bool Has(size_t nOffset, size_t nLen) const { return nOffset <= m_nSize && nLen <= m_nSize - nOffset; }

    bool Be32(size_t nOffset, uint32_t& v) const
    {
        if (!Has(nOffset, 4))
            return false;
        v = ReadBe32(m_pData + nOffset);
        return true;
    }
    bool Be16(size_t nOffset, uint16_t& v) const
    {
        if (!Has(nOffset, 2))
            return false;
        v = ReadBe16(m_pData + nOffset);
        return true;
    }
    bool Byte(size_t nOffset, uint8_t& v) const
    {
        if (!Has(nOffset, 1))
            return false;
        v = m_pData[nOffset];
        return true;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
};
