#include "edit/Document.h"

#include "db/ProgDb.h"

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    // The commands may hold records of the database; they go first.
    m_history.SetDb(nullptr);
}

std::unique_ptr<CProgDb> CDocument::Replace(std::unique_ptr<CProgDb> pDb)
{
    std::unique_ptr<CProgDb> pOld = std::move(m_pDb);
    m_pDb = std::move(pDb);
    m_history.SetDb(m_pDb.get()); // nothing to undo, and the loaded state is the saved one
    return pOld;
}

void CDocument::SetFile(std::string strPath, std::string strFormat, std::string strName)
{
    m_strPath = std::move(strPath);
    m_strFormat = std::move(strFormat);
    m_strName = std::move(strName);
}
