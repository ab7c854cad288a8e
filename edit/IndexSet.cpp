#include "edit/IndexSet.h"

CIndexSet::CIndexSet(const std::vector<int32_t>& ascending)
{
    if (ascending.empty() || ascending.front() < 0)
        return;
    m_nFirst = ascending.front();
    m_nLast = ascending.back();
    m_bits.assign(static_cast<size_t>(m_nLast - m_nFirst) / 64 + 1, 0);
    for (int32_t nIndex : ascending) {
        if (nIndex < m_nFirst || nIndex > m_nLast)
            continue; // not ascending: not a position of this set
        const auto nBit = static_cast<size_t>(nIndex - m_nFirst);
        if (!Has(nIndex))
            ++m_nCount;
        m_bits[nBit / 64] |= uint64_t(1) << (nBit % 64);
    }
}

std::vector<int32_t> CIndexSet::ToVector() const
{
    std::vector<int32_t> indexes;
    indexes.reserve(m_nCount);
    for (int32_t nIndex = m_nFirst; m_nCount != 0 && nIndex <= m_nLast; ++nIndex)
        if (Has(nIndex))
            indexes.push_back(nIndex);
    return indexes;
}
