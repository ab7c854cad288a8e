#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// Record ids as runs of consecutive ids: the rows of thousands of selected records usually make a
// handful of runs, so a selection or a filter's survivors are kept in a few bytes and tested in
// O(log runs).
class CIdRuns
{
public:
    CIdRuns() = default;
    explicit CIdRuns(std::vector<int32_t> ids);

    bool Has(int32_t nId) const;
    bool IsEmpty() const { return m_runs.empty(); }

private:
    std::vector<std::pair<int32_t, int32_t>> m_runs; // first and last id, ascending
};
