#pragma once

#include "db/IdMap.h"
#include "db/Node.h"

#include <cstdint>
#include <string>
#include <vector>

class CProgDb;

// Find in the list pane, without any widget: the rows whose record's name contains a text, compared
// without case (CodePage::FoldCase) on the name decoded from the ANSI code page, as the list shows
// it; a transponder, which has no name, is found by its frequency and symbol rate ("11747 27500").
// Each row is a record id standing for the first record of the kind with that id.
//
// The matcher keeps the decoded, folded names of the records of the kind it last looked at, so that
// a keystroke costs one pass over the rows. It reads them again by itself for another database
// object, another kind or another ANSI code page; any other change of the records (every edit
// command, its undo and redo, a load into the same database object) must be told with Invalidate.
class CFindMatcher
{
public:
    // Forgets the kept names; the next call reads them from the database.
    void Invalidate() { m_bValid = false; }

    // Ascending indexes of the rows whose name contains strText (UTF-8). The empty text matches
    // every row; any other text never matches a row whose id names no record.
    std::vector<int32_t> Match(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                               const std::string& strText);
    // The first matching row after row nFrom, or before it with bBackward, going round the end of
    // the rows (nFrom itself comes last); -1 when no row matches. nFrom -1 starts before the first
    // row going forward and after the last going backward.
    int FindNext(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& rows,
                 const std::string& strText, int nFrom, bool bBackward);

private:
    struct SName
    {
        uint32_t nOffset; // in m_strNames
        uint32_t nLength;
    };

    void Refresh(const CProgDb& db, NodeType nKind);
    bool RowMatches(int32_t nId, const std::string& strFolded) const;

    bool m_bValid = false;
    const CProgDb* m_pDb = nullptr;
    NodeType m_nKind = NODE_PROG;
    uint32_t m_nCodePage = 0;
    std::string m_strNames;     // the folded names, one after another
    std::vector<SName> m_names; // of the first record with each id
    CIdMap m_nameOfId{0};       // index into m_names
};
