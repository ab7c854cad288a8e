#include "edit/EditHistory.h"

#include "db/ProgDb.h"

CEditHistory::CEditHistory(CProgDb* pDb) : m_pDb(pDb) {}

CEditHistory::~CEditHistory() = default;

void CEditHistory::SetDb(CProgDb* pDb)
{
    m_pDb = pDb;
    Clear();
}

CEditCommand* CEditHistory::Push(std::unique_ptr<CEditCommand> pCommand)
{
    if (!m_pDb || !pCommand || !pCommand->Apply(*m_pDb))
        return nullptr;
    if (m_nCleanIndex > static_cast<long>(m_undo.size()))
        m_nCleanIndex = -1; // the saved state was among the dropped redo steps
    m_redo.clear();
    m_undo.push_back(std::move(pCommand));
    Changed();
    return m_undo.back().get();
}

const CEditCommand* CEditHistory::Undo()
{
    if (!m_pDb || m_undo.empty())
        return nullptr;
    m_undo.back()->Revert(*m_pDb);
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    Changed();
    return m_redo.back().get();
}

const CEditCommand* CEditHistory::Redo()
{
    if (!m_pDb || m_redo.empty())
        return nullptr;
    m_redo.back()->Apply(*m_pDb);
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    Changed();
    return m_undo.back().get();
}

std::string CEditHistory::GetUndoText() const
{
    return m_undo.empty() ? std::string() : m_undo.back()->GetText();
}

std::string CEditHistory::GetRedoText() const
{
    return m_redo.empty() ? std::string() : m_redo.back()->GetText();
}

void CEditHistory::SetClean()
{
    m_nCleanIndex = static_cast<long>(m_undo.size());
    Changed();
}

void CEditHistory::SetUnsaved()
{
    m_nCleanIndex = -1;
    Changed();
}

bool CEditHistory::IsClean() const
{
    return m_nCleanIndex == static_cast<long>(m_undo.size());
}

void CEditHistory::Clear()
{
    m_redo.clear();
    m_undo.clear();
    m_nCleanIndex = 0;
    Changed();
}

void CEditHistory::Changed()
{
    if (m_fnChanged)
        m_fnChanged();
}
