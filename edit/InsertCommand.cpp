#include "edit/InsertCommand.h"

#include "db/ProgDb.h"

#include <algorithm>
#include <numeric>

namespace {

// The position after the last record of the list with this parent, or the end of the list.
int32_t BlockEnd(const CNodeList& list, int32_t nParentId)
{
    int32_t nIndex = 0, nEnd = list.GetCount();
    for (const CNode* pNode : list) {
        ++nIndex;
        if (pNode->GetParentId() == nParentId)
            nEnd = nIndex;
    }
    return nEnd;
}

// Where records go into a parent: before pBefore when it is one of the parent's, else at the end
// of the parent's block.
int32_t InsertPoint(const CNodeList& list, int32_t nParentId, int32_t nBeforeId)
{
    const CNode* pBefore = nBeforeId == INVALID_ID ? nullptr : list.Find(nBeforeId);
    if (pBefore && pBefore->GetParentId() == nParentId)
        return list.IndexOf(pBefore);
    return BlockEnd(list, nParentId);
}

// Copies of records at ascending positions: each run of consecutive records is followed by the
// copies of its records.
std::vector<int32_t> AfterRuns(const std::vector<int32_t>& positions)
{
    std::vector<int32_t> at(positions.size());
    for (size_t nRun = 0; nRun < positions.size();) {
        size_t nEnd = nRun + 1;
        while (nEnd < positions.size() && positions[nEnd] == positions[nEnd - 1] + 1)
            ++nEnd;
        std::fill(at.begin() + nRun, at.begin() + nEnd, positions[nEnd - 1] + 1);
        nRun = nEnd;
    }
    return at;
}

const char* ParentNoun(NodeType nKind)
{
    return nKind == NODE_PROG ? "transponder" : "satellite";
}

} // namespace

CInsertCommand::CInsertCommand(Mode nMode, NodeType nKind) : m_nMode(nMode), m_nKind(ListKind(nKind)) {}

std::unique_ptr<CInsertCommand> CInsertCommand::NewRecord(NodeType nKind, int32_t nParentId)
{
    std::unique_ptr<CInsertCommand> pCommand(new CInsertCommand(MODE_NEW, nKind));
    pCommand->m_nParentId = pCommand->m_nKind == NODE_SAT ? INVALID_ID : nParentId;
    return pCommand;
}

std::unique_ptr<CInsertCommand> CInsertCommand::Duplicate(NodeType nKind, std::vector<int32_t> ids)
{
    std::unique_ptr<CInsertCommand> pCommand(new CInsertCommand(MODE_DUPLICATE, nKind));
    pCommand->m_ids = std::move(ids);
    return pCommand;
}

std::unique_ptr<CInsertCommand> CInsertCommand::Paste(const CProgDb& db, CRecordSet records,
                                                      int32_t nWhereKind, int32_t nWhereId, int32_t nBeforeId,
                                                      std::string& strError)
{
    const NodeType nKind = records.nTopKind;
    if (records.IsEmpty()) {
        strError = "There is nothing to paste";
        return nullptr;
    }
    if (nKind != NODE_SAT) {
        const auto nParentKind = static_cast<NodeType>(nKind - 1);
        if (nWhereKind != nParentKind) {
            strError = std::string(nKind == NODE_PROG ? "Programs" : "Transponders") +
                       " can only be pasted into a " + ParentNoun(nKind);
            return nullptr;
        }
        if (!db.GetList(nParentKind).Find(nWhereId)) {
            strError = std::string("There is no ") + ParentNoun(nKind) + " " + std::to_string(nWhereId) +
                       " to paste into";
            return nullptr;
        }
    }
    std::unique_ptr<CInsertCommand> pCommand(new CInsertCommand(MODE_PASTE, nKind));
    pCommand->m_records = std::move(records);
    pCommand->m_nParentId = nKind == NODE_SAT ? INVALID_ID : nWhereId;
    pCommand->m_nBeforeId = nBeforeId;
    return pCommand;
}

bool CInsertCommand::Plan(const CProgDb& db, CRecordSet& set, std::vector<int32_t> at[3])
{
    const bool bHasParent =
        m_nKind == NODE_SAT || db.GetList(static_cast<NodeType>(m_nKind - 1)).Find(m_nParentId);
    switch (m_nMode) {
    case MODE_NEW: {
        if (!bHasParent)
            return false;
        set.nTopKind = m_nKind;
        std::unique_ptr<CNode> pNode;
        if (m_nKind == NODE_SAT) {
            auto pSat = std::make_unique<CSatNode>();
            pSat->GetRecord()->SetName("New Satellite");
            pSat->GetRecord()->Set(SatField::LocalFre1, static_cast<uint32_t>(LnbFreqToIndex(9750)));
            pSat->GetRecord()->Set(SatField::LocalFre2, static_cast<uint32_t>(LnbFreqToIndex(10600)));
            pNode = std::move(pSat);
            SetText("New Satellite");
        } else if (m_nKind == NODE_TP) {
            pNode = std::make_unique<CTpNode>();
            SetText("New Transponder");
        } else {
            auto pProg = std::make_unique<CProgNode>();
            pProg->GetRecord()->SetName("New Program");
            pNode = std::move(pProg);
            SetText("New Program");
        }
        set.records[m_nKind].push_back(std::move(pNode));
        set.links[m_nKind].push_back(m_nParentId);
        at[m_nKind].push_back(BlockEnd(db.GetList(m_nKind), m_nParentId));
        return true;
    }
    case MODE_DUPLICATE: {
        std::vector<int32_t> positions[3];
        set = CopyRecords(db, m_nKind, m_ids, positions);
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
            at[nKind] = AfterRuns(positions[nKind]);
        SetText("Duplicate " + CountText(set.records[m_nKind].size(), m_nKind));
        return !set.IsEmpty();
    }
    case MODE_PASTE:
        if (!bHasParent || m_records.IsEmpty())
            return false;
        set = std::move(m_records);
        for (int32_t& nLink : set.links[m_nKind])
            nLink = m_nParentId;
        for (int nKind = m_nKind; nKind <= NODE_PROG; ++nKind) {
            const CNodeList& list = db.GetList(static_cast<NodeType>(nKind));
            const int32_t nAt = nKind == m_nKind && m_nKind != NODE_SAT
                                    ? InsertPoint(list, m_nParentId, m_nBeforeId)
                                    : list.GetCount();
            at[nKind].assign(set.records[nKind].size(), nAt);
        }
        SetText("Paste " + CountText(set.records[m_nKind].size(), m_nKind));
        return true;
    }
    return false;
}

bool CInsertCommand::FirstApply(CProgDb& db)
{
    CRecordSet set;
    std::vector<int32_t> at[3];
    if (!Plan(db, set, at))
        return false;

    // Fresh ids first, so that the records below can be linked to them.
    std::vector<int32_t> newIds[3];
    for (int nKind = m_nKind; nKind <= NODE_PROG; ++nKind) {
        CNodeList& list = db.GetList(static_cast<NodeType>(nKind));
        for (size_t i = 0; i < set.records[nKind].size(); ++i) {
            CNode& node = *set.records[nKind][i];
            newIds[nKind].push_back(list.IssueId(node));
            const int32_t nLink = set.links[nKind][i];
            node.SetParentId(nKind == m_nKind ? nLink : newIds[nKind - 1][static_cast<size_t>(nLink)]);
        }
    }

    for (int nKind = m_nKind; nKind <= NODE_PROG; ++nKind) {
        const size_t nCount = set.records[nKind].size();
        if (nCount == 0)
            continue;
        m_nTouched |= TouchRows(nKind);
        // Records going before the same position keep their order; each one inserted before them
        // shifts the later ones by one.
        std::vector<size_t> order(nCount);
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [&at, nKind](size_t a, size_t b) { return at[nKind][a] < at[nKind][b]; });
        std::vector<CRemovedNode> placed;
        placed.reserve(nCount);
        for (size_t nRank = 0; nRank < nCount; ++nRank) {
            const size_t i = order[nRank];
            placed.push_back(
                CRemovedNode{at[nKind][i] + static_cast<int32_t>(nRank), std::move(set.records[nKind][i])});
            m_indexes[nKind].push_back(placed.back().nIndex);
            if (nKind == m_nKind)
                m_newIds.push_back(newIds[nKind][i]);
        }
        db.GetList(static_cast<NodeType>(nKind)).PutBack(std::move(placed));
    }
    m_bResolved = true;
    m_ids = std::vector<int32_t>();
    return true;
}

bool CInsertCommand::Apply(CProgDb& db)
{
    if (!m_bResolved)
        return FirstApply(db);
    RestoreRecords(db, m_out);
    return true;
}

void CInsertCommand::Revert(CProgDb& db)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        m_out.nodes[nKind] = db.GetList(nKind).TakeAt(m_indexes[nKind]);
}
