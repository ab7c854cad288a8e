#pragma once

#include "db/ProgDb.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Positions in one list, kept as a bitmap from the first position to the last: one bit for every
// position in between, so any selection over 40,000 records takes at most 5 KB in a command.
class CIndexSet
{
public:
    CIndexSet() = default;
    // From positions in ascending order (repeats are kept once).
    explicit CIndexSet(const std::vector<int32_t>& ascending);

    size_t GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    std::vector<int32_t> ToVector() const;

    // Calls fn(CNode&) for the nodes of list at the positions of the set, in list order; positions
    // past the end of the list are skipped. One walk up to the last position.
    template <class TFn> void ForEachNode(const CNodeList& list, TFn fn) const;

private:
    bool Has(int32_t nIndex) const
    {
        const auto nBit = static_cast<size_t>(nIndex - m_nFirst);
        return (m_bits[nBit / 64] >> (nBit % 64)) & 1u;
    }

    int32_t m_nFirst = 0;
    int32_t m_nLast = -1;
    size_t m_nCount = 0;
    std::vector<uint64_t> m_bits;
};

template <class TFn> void CIndexSet::ForEachNode(const CNodeList& list, TFn fn) const
{
    if (m_nCount == 0)
        return;
    int32_t nIndex = 0;
    for (auto it = list.begin(); it != list.end() && nIndex <= m_nLast; ++it, ++nIndex)
        if (nIndex >= m_nFirst && Has(nIndex))
            fn(**it);
}
