#include "edit/ReparentCommand.h"

#include "db/ProgDb.h"

#include <algorithm>
#include <unordered_set>

CReparentCommand::CReparentCommand(NodeType nKind, std::vector<int32_t> ids, int32_t nParentId,
                                   const std::string& strTarget)
    : m_nKind(nKind), m_ids(std::move(ids)), m_nParentId(nParentId), m_strTarget(strTarget)
{}

bool CReparentCommand::Apply(CProgDb& db)
{
    CNodeList& list = db.GetList(m_nKind);
    if (!m_bResolved)
        return FirstApply(list);
    Shift(list, m_from, m_to, std::vector<int32_t>(m_from.size(), m_nParentId));
    return true;
}

void CReparentCommand::Revert(CProgDb& db)
{
    Shift(db.GetList(m_nKind), m_to, m_from, m_oldParents);
}

bool CReparentCommand::FirstApply(CNodeList& list)
{
    if (m_nKind == NODE_SAT)
        return false; // satellites have no parent
    // The first record with each id, in list order, when it is not under the parent yet.
    std::unordered_set<int32_t> wanted(m_ids.begin(), m_ids.end());
    std::unordered_set<int32_t> seen;
    int32_t nIndex = 0;
    for (const CNode* pNode : list) {
        if (wanted.count(pNode->GetId()) != 0 && seen.insert(pNode->GetId()).second &&
            pNode->GetParentId() != m_nParentId) {
            m_from.push_back(nIndex);
            m_oldParents.push_back(pNode->GetParentId());
        }
        ++nIndex;
    }
    m_ids = std::vector<int32_t>();
    if (m_from.empty())
        return false;

    // Where they go: after the parent's last record among those that stay.
    const std::unordered_set<int32_t> moving(m_from.begin(), m_from.end());
    int32_t nAfter = -1; // position among the records that stay
    int32_t nStaying = 0;
    nIndex = 0;
    for (const CNode* pNode : list) {
        if (moving.count(nIndex++) != 0)
            continue;
        if (pNode->GetParentId() == m_nParentId)
            nAfter = nStaying;
        ++nStaying;
    }
    const int32_t nFirst = nAfter >= 0 ? nAfter + 1 : nStaying;
    for (size_t i = 0; i < m_from.size(); ++i)
        m_to.push_back(nFirst + static_cast<int32_t>(i));
    Shift(list, m_from, m_to, std::vector<int32_t>(m_from.size(), m_nParentId));
    SetText("Move " + CountText(m_from.size(), m_nKind) + " to " + m_strTarget);
    m_bResolved = true;
    return true;
}

void CReparentCommand::Shift(CNodeList& list, const std::vector<int32_t>& from,
                             const std::vector<int32_t>& to, const std::vector<int32_t>& parents)
{
    std::vector<CRemovedNode> taken = list.TakeAt(from);
    for (size_t i = 0; i < taken.size(); ++i) {
        taken[i].pNode->SetParentId(parents[i]);
        taken[i].nIndex = to[i];
    }
    list.PutBack(std::move(taken));
}
