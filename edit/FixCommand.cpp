#include "edit/FixCommand.h"

#include "db/ProgDb.h"

#include <string>

bool CFixCommand::Apply(CProgDb& db)
{
    if (m_bResolved) {
        // The database is as the first Apply found it, so the same positions name the same
        // records; the moved programs are counted in the list the removal leaves.
        for (NodeType nKind : {NODE_TP, NODE_PROG})
            if (!m_indexes[nKind].empty())
                m_fix.removal.nodes[nKind] = db.GetList(nKind).TakeAt(m_indexes[nKind]);
        auto it = m_reparented.cbegin();
        int32_t nIndex = 0;
        for (CNode* pNode : db.GetProgList()) {
            if (it == m_reparented.cend())
                break;
            if (it->nIndex == nIndex++) {
                pNode->SetParentId(it->nNewParentId);
                ++it;
            }
        }
        m_fix.reparented = m_reparented;
        return true;
    }

    m_fix = FixDb(db);
    if (m_fix.removal.IsEmpty() && m_fix.reparented.empty())
        return false;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        m_indexes[nKind].reserve(m_fix.removal.nodes[nKind].size());
        for (const CRemovedNode& removed : m_fix.removal.nodes[nKind])
            m_indexes[nKind].push_back(removed.nIndex);
        if (!m_indexes[nKind].empty())
            m_nTouched |= TouchRows(nKind);
    }
    if (!m_fix.reparented.empty())
        m_nTouched |= TOUCH_PROG_VALUES;
    m_reparented = m_fix.reparented;
    SetText("Fix " + std::to_string(m_fix.nFixed) + (m_fix.nFixed == 1 ? " problem" : " problems"));
    m_bResolved = true;
    return true;
}

void CFixCommand::Revert(CProgDb& db)
{
    RevertFix(db, m_fix);
}
