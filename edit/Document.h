#pragma once

#include "edit/EditHistory.h"

#include <memory>
#include <string>

class CProgDb;

// A channel list as the editor holds it: the database, the file it was read from or last saved to
// with that file's format (where and how Save writes it back), the name the window shows for it,
// and its edit history with the mark of the saved state. The document owns the database; the panes
// are given the document and keep no database of their own.
//
// Before the first load a document has no database. A load hands over a new database (Replace),
// which empties the history and makes the loaded state the saved one.
class CDocument
{
public:
    CDocument();
    ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // The database; null before the first load.
    CProgDb* GetDb() const { return m_pDb.get(); }
    CEditHistory& GetHistory() { return m_history; }
    const CEditHistory& GetHistory() const { return m_history; }

    // Takes the database just loaded (or made) in place of the old one; nothing to undo, and the new
    // state is the saved one. The file stays as it was until SetFile. Returns the old database, for
    // the caller to destroy once the panes have let go of it.
    std::unique_ptr<CProgDb> Replace(std::unique_ptr<CProgDb> pDb);

    // The file Save writes to and its format (a name of the table of formats); an empty path means
    // Save must ask for one. strName is what the title shows ("channels.db", "Sample").
    void SetFile(std::string strPath, std::string strFormat, std::string strName);
    const std::string& GetPath() const { return m_strPath; }
    const std::string& GetFormat() const { return m_strFormat; }
    const std::string& GetName() const { return m_strName; }

    // Unsaved changes: the database is not in the state last loaded or saved (undoing back to that
    // state counts as unmodified).
    bool IsModified() const { return !m_history.IsClean(); }

private:
    std::unique_ptr<CProgDb> m_pDb;
    CEditHistory m_history;
    std::string m_strPath;
    std::string m_strFormat;
    std::string m_strName;
};
