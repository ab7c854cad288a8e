#include "db/IdRuns.h"

#include <algorithm>
#include <iterator>

CIdRuns::CIdRuns(std::vector<int32_t> ids)
{
    std::sort(ids.begin(), ids.end());
    for (int32_t nId : ids) {
        if (!m_runs.empty() && (nId == m_runs.back().second || nId - 1 == m_runs.back().second))
            m_runs.back().second = nId;
        else
            m_runs.emplace_back(nId, nId);
    }
    m_runs.shrink_to_fit();
}

bool CIdRuns::Has(int32_t nId) const
{
    // The last run starting at or before nId.
    auto it =
        std::upper_bound(m_runs.begin(), m_runs.end(), nId,
                         [](int32_t n, const std::pair<int32_t, int32_t>& run) { return n < run.first; });
    return it != m_runs.begin() && nId <= std::prev(it)->second;
}
