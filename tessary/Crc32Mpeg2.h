#pragma once

// CRC-32/MPEG-2: polynomial 0x04C11DB7, initial value 0xFFFFFFFF, most significant bit first,
// no reflection, no final exclusive-or. Check value for "123456789": 0x0376E6E7.

#include <cstddef>
#include <cstdint>

namespace tessary {

class Crc32Mpeg2
{
public:
    Crc32Mpeg2()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i << 24;
            for (int k = 0; k < 8; ++k)
                c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
            m_table[i] = c;
        }
    }

    uint32_t Compute(const uint8_t* pData, size_t nSize, uint32_t crc = 0xFFFFFFFFu) const
    {
        for (size_t i = 0; i < nSize; ++i)
            crc = (crc << 8) ^ m_table[((crc >> 24) ^ pData[i]) & 0xFFu];
        return crc;
    }

private:
    uint32_t m_table[256];
};

} // namespace tessary
