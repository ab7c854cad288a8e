#include "edit/RemoveCommand.h"

#include "db/ProgDb.h"

CRemoveCommand::CRemoveCommand(NodeType nKind, std::vector<int32_t> ids, std::string strVerb)
    : m_nKind(ListKind(nKind)), m_ids(std::move(ids)), m_strVerb(std::move(strVerb))
{}

bool CRemoveCommand::Apply(CProgDb& db)
{
    if (m_bResolved) {
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
            m_removal.nodes[nKind] = db.GetList(nKind).TakeAt(m_indexes[nKind]);
        return true;
    }
    m_removal = RemoveRecords(db, m_nKind, m_ids);
    if (m_removal.IsEmpty())
        return false;
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        m_indexes[nKind].reserve(m_removal.nodes[nKind].size());
        for (const CRemovedNode& removed : m_removal.nodes[nKind])
            m_indexes[nKind].push_back(removed.nIndex);
        if (!m_indexes[nKind].empty())
            m_nTouched |= TouchRows(nKind);
    }
    SetText(m_strVerb + " " + CountText(m_indexes[m_nKind].size(), m_nKind));
    m_bResolved = true;
    m_ids = std::vector<int32_t>();
    m_strVerb = std::string();
    return true;
}

void CRemoveCommand::Revert(CProgDb& db)
{
    RestoreRecords(db, m_removal);
}
