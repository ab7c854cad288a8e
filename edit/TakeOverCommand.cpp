#include "edit/TakeOverCommand.h"

#include "db/IdMap.h"
#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "edit/InsertCommand.h"
#include "edit/RecordSet.h"

#include <array>

namespace {

std::vector<const CNode*> NodesOf(const CNodeList& list)
{
    return std::vector<const CNode*>(list.begin(), list.end());
}

// Where a paste puts a record under a parent of the database: after the parent's last record in the
// list, or at the end of the list when it has none. One walk over the list gives every parent's.
class CBlockEnds
{
public:
    explicit CBlockEnds(const CNodeList& list, int32_t nLastParentId)
        : m_ends(int64_t(nLastParentId) + 1), m_nCount(list.GetCount())
    {
        int32_t nIndex = 0;
        for (const CNode* pNode : list)
            m_ends.At(pNode->GetParentId()) = ++nIndex;
    }
    int32_t Of(int32_t nParentId) const
    {
        const int32_t nEnd = m_ends.Get(nParentId);
        return nEnd < 0 ? m_nCount : nEnd;
    }

private:
    CIdMap m_ends;
    int32_t m_nCount;
};

} // namespace

CTakeOverCommand::CTakeOverCommand(NodeType nKind) : m_nKind(ListKind(nKind)) {}
CTakeOverCommand::~CTakeOverCommand() = default;

std::unique_ptr<CTakeOverCommand> CTakeOverCommand::Make(const CProgDb& db, const CProgDb& ref,
                                                         NodeType nKind,
                                                         const std::vector<int32_t>& refPositions,
                                                         int32_t nBeforeIndex, const CListMatch* pMatch)
{
    CListMatch ownMatch;
    if (!pMatch || !MatchFits(*pMatch, db, ref)) {
        ownMatch = MatchLists(db, ref);
        pMatch = &ownMatch;
    }
    const CListMatch& match = *pMatch;
    std::unique_ptr<CTakeOverCommand> pCommand(new CTakeOverCommand(nKind));
    const NodeType nTop = pCommand->m_nKind;

    std::vector<int32_t> refParents[3];
    std::vector<bool> wanted[3], add[3];
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        refParents[k] = ParentPositions(ref, k);
        wanted[k].assign(refParents[k].size(), false);
        add[k].assign(refParents[k].size(), false);
        pCommand->m_nCounts[k] = db.GetList(k).GetCount();
    }
    for (int32_t nPos : refPositions)
        if (nPos >= 0 && static_cast<size_t>(nPos) < wanted[nTop].size())
            wanted[nTop][static_cast<size_t>(nPos)] = true;
    // Everything under the chosen records.
    for (int k = nTop + 1; k <= NODE_PROG; ++k)
        for (size_t j = 0; j < wanted[k].size(); ++j)
            wanted[k][j] = refParents[k][j] >= 0 && wanted[k - 1][static_cast<size_t>(refParents[k][j])];
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (size_t j = 0; j < wanted[k].size(); ++j) {
            if (!wanted[k][j])
                continue;
            if (match.kinds[k].listOf[j] >= 0)
                ++pCommand->m_nSkipped[k];
            else
                add[k][j] = true;
        }
    }
    // Missing parents come along, from the programs up.
    for (int k = NODE_PROG; k > NODE_SAT; --k) {
        for (size_t j = 0; j < add[k].size(); ++j) {
            const int32_t nParent = refParents[k][j];
            if (add[k][j] && nParent >= 0 && match.kinds[k - 1].listOf[static_cast<size_t>(nParent)] < 0)
                add[k - 1][static_cast<size_t>(nParent)] = true;
        }
    }

    // The copies, in the reference's order, each linked to its parent's match or copy. A record whose
    // parent is no record of the reference cannot be linked and is left out, with what is under it.
    std::array<std::vector<CPlacedRecord>, 3> placed;
    std::vector<int32_t> copyOf[3]; // per reference position: index among the copies, or -1
    for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CNodeList& list = db.GetList(k);
        const std::vector<const CNode*> refNodes = NodesOf(ref.GetList(k));
        const std::vector<const CNode*> above =
            k == NODE_SAT ? std::vector<const CNode*>() : NodesOf(db.GetList(static_cast<NodeType>(k - 1)));
        const CBlockEnds ends(list,
                              k == NODE_SAT ? -1 : db.GetList(static_cast<NodeType>(k - 1)).GetLastId());
        const bool bDrop = k == nTop && nBeforeIndex >= 0 && nBeforeIndex < list.GetCount();
        copyOf[k].assign(refNodes.size(), -1);
        for (size_t j = 0; j < refNodes.size(); ++j) {
            if (!add[k][j])
                continue;
            CPlacedRecord rec;
            rec.nAt = list.GetCount();
            if (k != NODE_SAT) {
                const int32_t nParent = refParents[k][j];
                if (nParent < 0)
                    continue;
                const int32_t nMatched = match.kinds[k - 1].listOf[static_cast<size_t>(nParent)];
                if (nMatched >= 0) {
                    rec.nParentId = above[static_cast<size_t>(nMatched)]->GetId();
                    rec.nAt = ends.Of(rec.nParentId);
                } else if ((rec.nNewParent = copyOf[k - 1][static_cast<size_t>(nParent)]) < 0) {
                    continue;
                }
            }
            if (bDrop && wanted[k][j])
                rec.nAt = nBeforeIndex;
            rec.pNode = CloneRecord(*refNodes[j]);
            copyOf[k][j] = static_cast<int32_t>(placed[k].size());
            placed[k].push_back(std::move(rec));
        }
        pCommand->m_nAdded[k] = static_cast<int32_t>(placed[k].size());
    }

    NodeType nNamed = nTop;
    while (nNamed < NODE_PROG && pCommand->m_nAdded[nNamed] == 0)
        nNamed = static_cast<NodeType>(nNamed + 1);
    const std::string strText =
        "Take Over " + CountText(static_cast<size_t>(pCommand->m_nAdded[nNamed]), nNamed);
    pCommand->SetText(strText);
    pCommand->m_pInsert = CInsertCommand::Place(nTop, std::move(placed), strText);
    return pCommand;
}

bool CTakeOverCommand::Apply(CProgDb& db)
{
    if (!m_pInsert)
        return false;
    if (!m_bResolved) {
        for (NodeType k : {NODE_SAT, NODE_TP, NODE_PROG})
            if (db.GetList(k).GetCount() != m_nCounts[k])
                return false; // not the database the command was made for
        m_bResolved = m_pInsert->Apply(db);
        return m_bResolved;
    }
    return m_pInsert->Apply(db);
}

void CTakeOverCommand::Revert(CProgDb& db)
{
    if (m_pInsert)
        m_pInsert->Revert(db);
}

unsigned CTakeOverCommand::GetTouched() const
{
    return m_pInsert ? m_pInsert->GetTouched() : TOUCH_NONE;
}

const std::vector<int32_t>& CTakeOverCommand::GetNewIds(NodeType nKind) const
{
    return m_pInsert ? m_pInsert->GetNewIds(nKind) : m_noIds;
}
