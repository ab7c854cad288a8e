#include "db/OrderLike.h"

#include "db/ParentPositions.h"
#include "db/ProgDb.h"


namespace {

std::vector<const CNode*> NodesOf(const CNodeList& list)
{
    return std::vector<const CNode*>(list.begin(), list.end());
}

bool SameFlags(const ProgRecord& a, const ProgRecord& b)
{
    for (const FieldDesc* pField :
         {&ProgField::Lock, &ProgField::Skip, &ProgField::Hide, &ProgField::FavType})
        if (a.Get(*pField) != b.Get(*pField))
            return false;
    return true;
}

// Which unmatched reference records can be added: those whose parent is matched or added itself.
std::vector<std::vector<bool>> RefRecordsToAdd(const CProgDb& ref, const CListMatch& match)
{
    std::vector<std::vector<bool>> add(3);
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindMatch& m = match.kinds[nKind];
        add[nKind].assign(m.listOf.size(), false);
        const std::vector<int32_t> parents = ParentPositions(ref, nKind);
        for (size_t j = 0; j < m.listOf.size(); ++j) {
            if (m.listOf[j] >= 0)
                continue;
            if (nKind == NODE_SAT) {
                add[nKind][j] = true;
                continue;
            }
            const int32_t nParent = parents[j];
            add[nKind][j] =
                nParent >= 0 && (match.kinds[nKind - 1].listOf[static_cast<size_t>(nParent)] >= 0 ||
                                 add[nKind - 1][static_cast<size_t>(nParent)]);
        }
    }
    return add;
}

} // namespace

bool COrderPlan::ChangesNothing() const
{
    return nMoved == 0 && nRenamed == 0 && nFlagged == 0 && nAdded[NODE_SAT] == 0 && nAdded[NODE_TP] == 0 &&
           nAdded[NODE_PROG] == 0;
}

COrderPlan PlanOrderLike(const CProgDb& db, const CProgDb& ref, const CListMatch& givenMatch,
                         const COrderOptions& options)
{
    const bool bFits = MatchFits(givenMatch, db, ref);
    const CListMatch ownMatch = bFits ? CListMatch() : MatchLists(db, ref);
    const CListMatch& match = bFits ? givenMatch : ownMatch;
    COrderPlan plan;
    const std::vector<std::vector<bool>> add =
        options.bAddMissing ? RefRecordsToAdd(ref, match) : std::vector<std::vector<bool>>();
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CKindMatch& m = match.kinds[nKind];
        std::vector<int32_t>& order = plan.order[nKind];
        order.reserve(m.refOf.size() +
                      (options.bAddMissing ? m.listOf.size() - static_cast<size_t>(m.nMatched) : 0));
        int32_t nExisting = 0; // records of the list placed so far
        for (size_t j = 0; j < m.listOf.size(); ++j) {
            const int32_t i = m.listOf[j];
            if (i >= 0) {
                plan.nMoved += i != nExisting++ ? 1 : 0;
                order.push_back(i);
            } else if (options.bAddMissing && add[nKind][j]) {
                order.push_back(-1 - static_cast<int32_t>(j));
                ++plan.nAdded[nKind];
            }
        }
        for (size_t i = 0; i < m.refOf.size(); ++i) {
            if (m.refOf[i] < 0) {
                plan.nMoved += static_cast<int32_t>(i) != nExisting++ ? 1 : 0;
                order.push_back(static_cast<int32_t>(i));
            }
        }
        plan.nLike[nKind] = m.nMatched;
        plan.nAfter[nKind] = static_cast<int32_t>(m.refOf.size()) - m.nMatched;
    }

    if (options.bNames || options.bFlags) {
        for (NodeType nKind : {NODE_SAT, NODE_PROG}) {
            const CKindMatch& m = match.kinds[nKind];
            const std::vector<const CNode*> nodes = NodesOf(db.GetList(nKind)),
                                            refNodes = NodesOf(ref.GetList(nKind));
            for (size_t i = 0; i < m.refOf.size(); ++i) {
                if (m.refOf[i] < 0)
                    continue;
                const CNode& node = *nodes[i];
                const CNode& refNode = *refNodes[static_cast<size_t>(m.refOf[i])];
                if (nKind == NODE_SAT) {
                    const SatRecord& a = *static_cast<const CSatNode&>(node).GetRecord();
                    const SatRecord& b = *static_cast<const CSatNode&>(refNode).GetRecord();
                    plan.nRenamed += options.bNames && !SameNameField(a.Name, b.Name, SAT_NAME_LEN) ? 1 : 0;
                    continue;
                }
                const ProgRecord& a = *static_cast<const CProgNode&>(node).GetRecord();
                const ProgRecord& b = *static_cast<const CProgNode&>(refNode).GetRecord();
                plan.nRenamed +=
                    options.bNames && !SameNameField(a.ProgName, b.ProgName, PROG_NAME_LEN) ? 1 : 0;
                plan.nFlagged += options.bFlags && !SameFlags(a, b) ? 1 : 0;
            }
        }
    }
    return plan;
}

std::vector<std::string> OrderSummaryLines(const COrderPlan& plan, const CListMatch& match,
                                           const COrderOptions& options)
{
    auto line = [&plan](NodeType nKind, const char* pszKind, const std::string& strHow) {
        return std::string(pszKind) + ": " + std::to_string(plan.nLike[nKind]) + " of " +
               std::to_string(plan.nLike[nKind] + plan.nAfter[nKind]) + " like the reference (" + strHow +
               "), " + std::to_string(plan.nAfter[nKind]) + " after them";
    };
    const CKindMatch& sats = match.kinds[NODE_SAT];
    const CKindMatch& tps = match.kinds[NODE_TP];
    const CKindMatch& progs = match.kinds[NODE_PROG];
    std::vector<std::string> lines = {
        line(NODE_SAT, "satellites",
             std::to_string(sats.nHow[MATCH_SAT_POSITION]) + " by position, " +
                 std::to_string(sats.nHow[MATCH_SAT_NAME]) + " by name"),
        line(NODE_TP, "transponders",
             std::to_string(tps.nHow[MATCH_TP_EXACT]) + " exact, " + std::to_string(tps.nHow[MATCH_TP_NEAR]) +
                 " near"),
        line(NODE_PROG, "programs",
             std::to_string(progs.nHow[MATCH_PROG_SERVICE]) + " by service, " +
                 std::to_string(progs.nHow[MATCH_PROG_NAME_SAT] + progs.nHow[MATCH_PROG_NAME_ANY]) +
                 " by name"),
    };
    if (options.bAddMissing)
        lines.push_back("added: " + std::to_string(plan.nAdded[NODE_SAT]) + " satellites, " +
                        std::to_string(plan.nAdded[NODE_TP]) + " transponders, " +
                        std::to_string(plan.nAdded[NODE_PROG]) + " programs");
    return lines;
}
