#include "edit/EditCommand.h"

#include "db/ProgDb.h"

unsigned TouchRows(int32_t nKind)
{
    return nKind == NODE_SAT ? TOUCH_SAT_ROWS : nKind == NODE_TP ? TOUCH_TP_ROWS : TOUCH_PROG_ROWS;
}

unsigned TouchValues(int32_t nKind)
{
    return nKind == NODE_SAT ? TOUCH_SAT_VALUES : nKind == NODE_TP ? TOUCH_TP_VALUES : TOUCH_PROG_VALUES;
}

CEditCommand::~CEditCommand() = default;

const std::vector<int32_t>* CEditCommand::GetAddedIds(NodeType&) const
{
    return nullptr;
}

CCompoundCommand::CCompoundCommand(std::string strText)
{
    SetText(std::move(strText));
}

void CCompoundCommand::Add(std::unique_ptr<CEditCommand> pCommand)
{
    if (pCommand && !m_bApplied)
        m_parts.push_back(std::move(pCommand));
}

bool CCompoundCommand::Apply(CProgDb& db)
{
    if (m_bApplied) {
        for (auto& pPart : m_parts)
            pPart->Apply(db);
        return true;
    }
    m_bApplied = true;
    std::vector<std::unique_ptr<CEditCommand>> applied;
    for (auto& pPart : m_parts)
        if (pPart->Apply(db))
            applied.push_back(std::move(pPart));
    m_parts = std::move(applied);
    return !m_parts.empty();
}

void CCompoundCommand::Revert(CProgDb& db)
{
    for (auto it = m_parts.rbegin(); it != m_parts.rend(); ++it)
        (*it)->Revert(db);
}

unsigned CCompoundCommand::GetTouched() const
{
    unsigned nTouched = TOUCH_NONE;
    for (const auto& pPart : m_parts)
        nTouched |= pPart->GetTouched();
    return nTouched;
}

std::string CountText(size_t nCount, int32_t nKind)
{
    const char* pszNoun = nKind == NODE_SAT ? "satellite" : nKind == NODE_TP ? "transponder" : "program";
    return std::to_string(nCount) + " " + pszNoun + (nCount == 1 ? "" : "s");
}
