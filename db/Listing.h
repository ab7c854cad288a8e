#pragma once

#include "db/IdRuns.h"
#include "db/ListFind.h"
#include "db/Node.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CNameCollation;
class CNode;
class CProgDb;

// What a list pane lists, without any widget: the records of one kind under one parent (as a tree
// node selects them), in database order; of those the ones a filter kept; sorted by a column; and
// narrowed to the ones whose name contains a Find text. The rows are record ids, each standing for
// the first record of the kind with that id.
//
// The listing keeps the rows before Find narrows them (the unnarrowed rows), so that each Find
// keystroke is one pass over them; the caller lists again (Relist) whenever records of the kind came,
// went or moved, or values changed that the sort or Find read, and tells InvalidateFind of every
// change of names. The database is passed to each call and never kept.
class CListing
{
public:
    // The collation orders names in a sort by name; not owned, it must outlive the listing.
    explicit CListing(CNameCollation& collation);
    ~CListing();
    CListing(const CListing&) = delete;
    CListing& operator=(const CListing&) = delete;

    // Lists the records of nKind under nParentId (INVALID_ID: all of the kind; satellites are always
    // listed in full). A filter and the sort end; the Find text stays. No rows until Relist.
    void Show(NodeType nKind, int32_t nParentId);
    // Nothing listed: no rows; a filter and the sort end, the Find text stays with no matches. The
    // kind and the parent of the last Show are kept.
    void Clear();
    bool IsListed() const { return m_bListed; }
    NodeType GetKind() const { return m_nKind; }
    int32_t GetParentId() const { return m_nParentId; }
    // Whether a record of the kind belongs to the listing (before filter and Find).
    bool Lists(const CNode& node) const;
    // The number of records the listing has before filter and Find.
    int CountListed(const CProgDb& db) const;

    // The rows from the database: the listed records in database order, those the filter kept (and
    // those in pKeep, which join the filter's survivors), sorted while a sort is in force. They
    // become the unnarrowed rows.
    const std::vector<int32_t>& Relist(const CProgDb& db, const CIdRuns* pKeep);
    // After records went or moved, with rows given up to the caller: the unnarrowed rows follow the
    // database (a sorted listing keeps its order and drops the rows whose records went). True when
    // the number of Find's matches changed.
    bool Follow(const CProgDb& db);
    const std::vector<int32_t>& GetUnnarrowed() const { return m_unnarrowed; }
    // No rows and no matches, the listing itself staying (there is no database to list from).
    void ClearRows()
    {
        m_unnarrowed.clear();
        m_nFindMatches = 0;
    }
    // The rows Find leaves of the unnarrowed rows (all of them without a Find text or while it is
    // armed), with the rows of the records in pKeep; counts the matches.
    std::vector<int32_t> Narrow(const CProgDb& db, const CIdRuns* pKeep);

    // The filter: the records with these ids survive it. It narrows further what a filter left.
    void SetFilter(std::vector<int32_t> ids);
    void EndFilter();
    bool IsFiltered() const { return m_bFiltered; }

    // The sort: a column of the kind (db/Columns.h), ascending or descending; -1, or a column
    // outside the kind's table, is database order. False when the sort was already so.
    bool SetSort(int nColumn, bool bDescending);
    // Whether SetSort with these would leave the sort as it is.
    bool IsSortedBy(int nColumn, bool bDescending) const;
    bool IsSorted() const { return m_nSortColumn >= 0; }
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortDescending() const { return m_bSortDescending; }

    // Find: the text (UTF-8) the names must contain, without case. Armed (Enter in the find field),
    // the rows are shown unnarrowed and FindNext goes from match to match.
    void SetFindText(std::string strText);
    const std::string& GetFindText() const { return m_strFind; }
    void SetFindArmed(bool bArmed) { m_bFindArmed = bArmed; }
    bool IsFindArmed() const { return m_bFindArmed; }
    bool IsFindNarrowing() const { return !m_strFind.empty() && !m_bFindArmed; }
    // The matches among the unnarrowed rows at the last Narrow (0 without a Find text).
    int GetFindMatchCount() const { return m_nFindMatches; }
    // The row of rows after nFrom (before it with bBackward) whose name contains the Find text,
    // going round the end; -1 when none does.
    int FindNext(const CProgDb& db, const std::vector<int32_t>& rows, int nFrom, bool bBackward);
    // Names changed: the names kept for Find are read again at the next Narrow.
    void InvalidateFind() { m_matcher.Invalidate(); }
    // Reads the names Find needs now, so that the first keystroke costs no more than the next ones.
    void PrepareFind(const CProgDb& db);

private:
    CNameCollation& m_collation;
    NodeType m_nKind = NODE_SAT;
    int32_t m_nParentId = INVALID_ID;
    bool m_bListed = false;
    bool m_bFiltered = false;
    std::optional<CIdRuns> m_filterIds;
    int m_nSortColumn = -1;
    bool m_bSortDescending = false;
    std::string m_strFind;
    bool m_bFindArmed = false;
    int m_nFindMatches = 0;
    CFindMatcher m_matcher;
    std::vector<int32_t> m_unnarrowed;
};
