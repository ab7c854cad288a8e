#include "db/Listing.h"

#include "db/Columns.h"
#include "db/ListSort.h"
#include "db/ProgDb.h"

#include <unordered_map>

CListing::CListing(CNameCollation& collation) : m_collation(collation) {}

CListing::~CListing() = default;

void CListing::Show(NodeType nKind, int32_t nParentId)
{
    Clear();
    m_nKind = nKind;
    m_nParentId = nParentId;
    m_bListed = true;
}

void CListing::Clear()
{
    m_bListed = false;
    m_unnarrowed.clear();
    m_filterIds.reset();
    m_bFiltered = false;
    m_nSortColumn = -1;
    m_bSortDescending = false;
    m_nFindMatches = 0;
}

bool CListing::Lists(const CNode& node) const
{
    return m_nKind == NODE_SAT || m_nParentId == INVALID_ID || node.GetParentId() == m_nParentId;
}

int CListing::CountListed(const CProgDb& db) const
{
    int nTotal = 0;
    for (const CNode* pNode : db.GetList(m_nKind))
        if (Lists(*pNode))
            ++nTotal;
    return nTotal;
}

const std::vector<int32_t>& CListing::Relist(const CProgDb& db, const CIdRuns* pKeep)
{
    m_unnarrowed.clear();
    if (!m_bListed)
        return m_unnarrowed;
    const CNodeList& list = db.GetList(m_nKind);
    const bool bKeep = pKeep && !pKeep->IsEmpty();
    std::vector<int32_t> ids;
    ids.reserve(static_cast<size_t>(list.GetCount()));
    for (const CNode* pNode : list) {
        if (!Lists(*pNode))
            continue;
        if (m_bFiltered && m_filterIds && !m_filterIds->Has(pNode->GetId()) &&
            !(bKeep && pKeep->Has(pNode->GetId())))
            continue;
        ids.push_back(pNode->GetId());
    }
    // Kept records join the filter's survivors: they stay when the rows are listed again.
    if (m_bFiltered && bKeep)
        m_filterIds = CIdRuns(ids);
    if (!IsSorted()) {
        m_unnarrowed = std::move(ids);
        return m_unnarrowed;
    }
    const std::vector<int32_t> order =
        SortRows(db, m_nKind, ids, m_nSortColumn, m_bSortDescending, m_collation);
    m_unnarrowed.reserve(ids.size());
    for (int32_t nIndex : order)
        m_unnarrowed.push_back(ids[static_cast<size_t>(nIndex)]);
    return m_unnarrowed;
}

bool CListing::Follow(const CProgDb& db)
{
    if (!IsSorted()) {
        Relist(db, nullptr); // in database order, as the rows without Find
    } else {
        // Only a removal changes the rows of a sorted listing this way: the rows of the records that
        // went go, the others keep their order. With an id on several records, as many rows keep it
        // as records are left.
        std::unordered_map<int32_t, int> left;
        for (const CNode* pNode : db.GetList(m_nKind))
            if (Lists(*pNode))
                ++left[pNode->GetId()];
        std::vector<int32_t> kept;
        kept.reserve(m_unnarrowed.size());
        for (int32_t nId : m_unnarrowed) {
            auto it = left.find(nId);
            if (it != left.end() && it->second > 0) {
                --it->second;
                kept.push_back(nId);
            }
        }
        m_unnarrowed = std::move(kept);
    }
    if (m_strFind.empty())
        return false;
    const int nMatches = m_nFindMatches;
    Narrow(db, nullptr); // counts the matches again
    return m_nFindMatches != nMatches;
}

std::vector<int32_t> CListing::Narrow(const CProgDb& db, const CIdRuns* pKeep)
{
    if (m_strFind.empty() || !m_bListed) {
        m_nFindMatches = 0;
        return m_unnarrowed;
    }
    const std::vector<int32_t> matches = m_matcher.Match(db, m_nKind, m_unnarrowed, m_strFind);
    m_nFindMatches = static_cast<int>(matches.size());
    if (m_bFindArmed)
        return m_unnarrowed;
    const bool bKeep = pKeep && !pKeep->IsEmpty();
    std::vector<int32_t> narrowed;
    narrowed.reserve(bKeep ? m_unnarrowed.size() : matches.size());
    size_t nNext = 0; // in matches
    for (size_t i = 0; i < m_unnarrowed.size(); ++i) {
        const bool bMatch = nNext < matches.size() && static_cast<size_t>(matches[nNext]) == i;
        if (bMatch)
            ++nNext;
        if (bMatch || (bKeep && pKeep->Has(m_unnarrowed[i])))
            narrowed.push_back(m_unnarrowed[i]);
    }
    return narrowed;
}

void CListing::SetFilter(std::vector<int32_t> ids)
{
    m_filterIds = CIdRuns(std::move(ids));
    m_bFiltered = true;
}

void CListing::EndFilter()
{
    m_bFiltered = false;
    m_filterIds.reset();
}

bool CListing::IsSortedBy(int nColumn, bool bDescending) const
{
    if (!m_bListed || !GetColumn(m_nKind, nColumn)) {
        nColumn = -1;
        bDescending = false;
    }
    return nColumn == m_nSortColumn && bDescending == m_bSortDescending;
}

bool CListing::SetSort(int nColumn, bool bDescending)
{
    if (IsSortedBy(nColumn, bDescending))
        return false;
    if (!m_bListed || !GetColumn(m_nKind, nColumn)) {
        nColumn = -1;
        bDescending = false;
    }
    m_nSortColumn = nColumn;
    m_bSortDescending = bDescending;
    return true;
}

void CListing::SetFindText(std::string strText)
{
    m_strFind = std::move(strText);
    m_bFindArmed = false;
    if (m_strFind.empty() || !m_bListed)
        m_nFindMatches = 0;
}

int CListing::FindNext(const CProgDb& db, const std::vector<int32_t>& rows, int nFrom, bool bBackward)
{
    return m_matcher.FindNext(db, m_nKind, rows, m_strFind, nFrom, bBackward);
}

void CListing::PrepareFind(const CProgDb& db)
{
    if (m_bListed)
        m_matcher.Match(db, m_nKind, {}, std::string());
}
