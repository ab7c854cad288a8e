#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

// A map from record ids to numbers (positions, indexes), for work over a whole list: the ids a list
// hands out, 0 .. GetLastId(), are looked up in a plain vector; any other id (a firmware record's
// own) in a hash map beside it. A missing id reads as -1.
class CIdMap
{
public:
    // Room for the ids 0 .. nDense - 1 in the vector (at most 16 M of them).
    explicit CIdMap(int64_t nDense)
        : m_dense(static_cast<size_t>(nDense < 0                    ? 0
                                      : nDense > (int64_t(1) << 24) ? int64_t(1) << 24
                                                                    : nDense),
                  -1)
    {}

    int32_t Get(int32_t nId) const
    {
        if (nId >= 0 && static_cast<size_t>(nId) < m_dense.size())
            return m_dense[static_cast<size_t>(nId)];
        auto it = m_sparse.find(nId);
        return it == m_sparse.end() ? -1 : it->second;
    }
    // The value of nId, -1 when it was not set yet, for writing.
    int32_t& At(int32_t nId)
    {
        if (nId >= 0 && static_cast<size_t>(nId) < m_dense.size())
            return m_dense[static_cast<size_t>(nId)];
        return m_sparse.emplace(nId, -1).first->second;
    }

private:
    std::vector<int32_t> m_dense;
    std::unordered_map<int32_t, int32_t> m_sparse;
};
