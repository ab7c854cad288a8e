#pragma once

#include "db/ListMatch.h"
#include "db/OrderLike.h"
#include "edit/EditCommand.h"

#include <cstdint>
#include <memory>
#include <vector>

class CInsertCommand;
class CProgDb;

// "Order Like Reference" as one step of the history: puts the lists of a database into the order of
// a reference list as PlanOrderLike plans it, with the names and flags of the options, and adds the
// reference's missing records when asked to. Ids and parents of the records already there never
// change; added records take fresh ids from the counters (which a revert does not turn back, as for
// every insert), so a redo gives them the same ids again. A revert gives back the former order and
// values exactly and takes the added records out again.
class COrderLikeCommand : public CEditCommand
{
public:
    // Plans ordering db like ref and copies from ref everything the change needs (names, flags, the
    // records to add), so that ref may be closed afterwards. match is MatchLists(db, ref) of the two
    // as they are; without it (or when it does not fit their lists) the matching is done here. The command is
    // for db as it is now: when the lengths of db's lists differ at the first Apply, it changes nothing. Its
    // text is "Order Like Reference"; it changes nothing when the plan does not (COrderPlan::ChangesNothing).
    static std::unique_ptr<COrderLikeCommand> Make(const CProgDb& db, const CProgDb& ref,
                                                   const COrderOptions& options,
                                                   const CListMatch* pMatch = nullptr);
    ~COrderLikeCommand() override;

    bool Apply(CProgDb& db) override;
    void Revert(CProgDb& db) override;
    unsigned GetTouched() const override;

    // The plan's counts (its order lists are not kept), known from Make on.
    const COrderPlan& GetPlan() const { return m_plan; }
    // The ids of the added records of a kind, in list order; known after the first Apply.
    const std::vector<int32_t>& GetNewIds(NodeType nKind) const;

private:
    COrderLikeCommand();

    COrderPlan m_plan;
    int32_t m_nCounts[3] = {}; // the lengths of the lists the command was made for
    bool m_bResolved = false;
    std::unique_ptr<CEditCommand> m_pValues;   // names and flags, at the positions before the move
    std::unique_ptr<CEditCommand> m_pOrder[3]; // the moves, by kind
    std::unique_ptr<CInsertCommand> m_pInsert; // the added records, at the ends of the lists before the moves
    std::vector<int32_t> m_noIds;
};
