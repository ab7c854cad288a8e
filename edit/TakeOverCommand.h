#pragma once

#include "db/ListMatch.h"
#include "edit/EditCommand.h"

#include <cstdint>
#include <memory>
#include <vector>

class CInsertCommand;
class CProgDb;

// "Take Over": copies chosen records of a reference list, with everything under them, into the
// database, as one step of the history. A record the database already has (its match, MatchLists
// with the database as L) is skipped and its match stands in for it as a parent. A chosen program
// or transponder whose parent is missing brings its parent along (a program its transponder and,
// when that is missing too, the transponder's satellite), without that parent's other records.
//
// The chosen records go before the record at nBeforeIndex of their kind's list (a drop), as one
// block in the reference's order; without it, and for everything else, they go where a paste would
// put them: a satellite at the end of the list, a transponder after the last one of its satellite,
// a program after the last program of its transponder (at the end of the list when the parent has
// none yet). New records take fresh ids; a revert takes them out again and keeps them for a redo.
class CTakeOverCommand : public CEditCommand
{
public:
    // Takes over the records of kind nKind at refPositions (positions in ref's list of that kind;
    // repeats and positions outside the list are ignored) into db, before the record at position
    // nBeforeIndex of db's list of nKind, or where a paste puts them for -1 (or a position outside
    // the list). match is MatchLists(db, ref) of the two as they are; without it (or when it does not
    // fit their lists) the matching is done here. Everything needed is copied from ref, so ref may be closed
    // afterwards. The command is for db as it is now: when the lengths of db's lists differ at the first
    // Apply, it changes nothing. The command changes nothing either when every record is skipped; the counts
    // below say so from Make on. Its text is "Take Over 3 programs", naming the added records of nKind (or,
    // when all of them were skipped, of the first kind below with added records).
    static std::unique_ptr<CTakeOverCommand> Make(const CProgDb& db, const CProgDb& ref, NodeType nKind,
                                                  const std::vector<int32_t>& refPositions,
                                                  int32_t nBeforeIndex = -1,
                                                  const CListMatch* pMatch = nullptr);
    ~CTakeOverCommand() override;

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override;
    const std::vector<int32_t>* GetAddedIds(NodeType& nKind) const override
    {
        nKind = m_nKind;
        return &GetNewIds(m_nKind);
    }

    NodeType GetKind() const { return m_nKind; }
    // Records of a kind that the database already had, among the chosen ones and those under them;
    // known from Make on.
    int32_t GetSkipped(NodeType nKind) const { return m_nSkipped[ListKind(nKind)]; }
    // Records of a kind the command adds (parents brought along included); known from Make on.
    int32_t GetAdded(NodeType nKind) const { return m_nAdded[ListKind(nKind)]; }
    // The ids of the added records of a kind in list order, the rows to select; known after the
    // first Apply.
    const std::vector<int32_t>& GetNewIds(NodeType nKind) const;
    const std::vector<int32_t>& GetNewIds() const { return GetNewIds(m_nKind); }

private:
    explicit CTakeOverCommand(NodeType nKind);

    NodeType m_nKind;
    int32_t m_nSkipped[3] = {};
    int32_t m_nAdded[3] = {};
    int32_t m_nCounts[3] = {}; // the lengths of the lists the command was made for
    bool m_bResolved = false;
    std::unique_ptr<CInsertCommand> m_pInsert;
    std::vector<int32_t> m_noIds;
};
