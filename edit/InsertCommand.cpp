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

std::unique_ptr<CInsertCommand>
CInsertCommand::Place(NodeType nKind, std::array<std::vector<CPlacedRecord>, 3> records, std::string strText)
{
    bool bAny = false;
    for (int nList = NODE_SAT; nList <= NODE_PROG; ++nList) {
        for (const CPlacedRecord& rec : records[nList]) {
            const size_t nAbove = nList == NODE_SAT ? 0 : records[nList - 1].size();
            if (!rec.pNode || rec.pNode->GetType() != nList || rec.nAt < 0 ||
                (rec.nNewParent >= 0 && static_cast<size_t>(rec.nNewParent) >= nAbove))
                return nullptr;
            bAny = true;
        }
    }
    if (!bAny)
        return nullptr;
    std::unique_ptr<CInsertCommand> pCommand(new CInsertCommand(MODE_PLACE, nKind));
    pCommand->m_placed = std::move(records);
    pCommand->SetText(std::move(strText));
    return pCommand;
}

namespace {

// A record set with the position before which each record goes, as placed records: the top kind's
// links are parent ids, the others' indexes among the records above.
void PlaceSet(CRecordSet& set, const std::vector<int32_t> at[3],
              std::array<std::vector<CPlacedRecord>, 3>& placed)
{
    for (int nKind = set.nTopKind; nKind <= NODE_PROG; ++nKind) {
        for (size_t i = 0; i < set.records[nKind].size(); ++i) {
            CPlacedRecord rec;
            rec.pNode = std::move(set.records[nKind][i]);
            if (nKind == set.nTopKind)
                rec.nParentId = set.links[nKind][i];
            else
                rec.nNewParent = set.links[nKind][i];
            rec.nAt = at[nKind][i];
            placed[nKind].push_back(std::move(rec));
        }
    }
}

} // namespace

bool CInsertCommand::Plan(const CProgDb& db, std::array<std::vector<CPlacedRecord>, 3>& placed)
{
    const bool bHasParent =
        m_nKind == NODE_SAT || db.GetList(static_cast<NodeType>(m_nKind - 1)).Find(m_nParentId);
    switch (m_nMode) {
    case MODE_NEW: {
        if (!bHasParent)
            return false;
        CPlacedRecord rec;
        if (m_nKind == NODE_SAT) {
            auto pSat = std::make_unique<CSatNode>();
            pSat->GetRecord()->SetName("New Satellite");
            pSat->GetRecord()->Set(SatField::LocalFre1, static_cast<uint32_t>(LnbFreqToIndex(9750)));
            pSat->GetRecord()->Set(SatField::LocalFre2, static_cast<uint32_t>(LnbFreqToIndex(10600)));
            rec.pNode = std::move(pSat);
            SetText("New Satellite");
        } else if (m_nKind == NODE_TP) {
            rec.pNode = std::make_unique<CTpNode>();
            SetText("New Transponder");
        } else {
            auto pProg = std::make_unique<CProgNode>();
            pProg->GetRecord()->SetName("New Program");
            rec.pNode = std::move(pProg);
            SetText("New Program");
        }
        rec.nParentId = m_nParentId;
        rec.nAt = BlockEnd(db.GetList(m_nKind), m_nParentId);
        placed[m_nKind].push_back(std::move(rec));
        return true;
    }
    case MODE_DUPLICATE: {
        std::vector<int32_t> positions[3], at[3];
        CRecordSet set = CopyRecords(db, m_nKind, m_ids, positions);
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
            at[nKind] = AfterRuns(positions[nKind]);
        SetText("Duplicate " + CountText(set.records[m_nKind].size(), m_nKind));
        if (set.IsEmpty())
            return false;
        PlaceSet(set, at, placed);
        return true;
    }
    case MODE_PASTE: {
        if (!bHasParent || m_records.IsEmpty())
            return false;
        CRecordSet set = std::move(m_records);
        for (int32_t& nLink : set.links[m_nKind])
            nLink = m_nParentId;
        std::vector<int32_t> at[3];
        for (int nKind = m_nKind; nKind <= NODE_PROG; ++nKind) {
            const CNodeList& list = db.GetList(static_cast<NodeType>(nKind));
            const int32_t nAt = nKind == m_nKind && m_nKind != NODE_SAT
                                    ? InsertPoint(list, m_nParentId, m_nBeforeId)
                                    : list.GetCount();
            at[nKind].assign(set.records[nKind].size(), nAt);
        }
        SetText("Paste " + CountText(set.records[m_nKind].size(), m_nKind));
        PlaceSet(set, at, placed);
        return true;
    }
    case MODE_PLACE:
        for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
            for (const CPlacedRecord& rec : m_placed[nKind])
                if (rec.nAt > db.GetList(nKind).GetCount())
                    return false; // not the database the places were found in
        placed = std::move(m_placed);
        return true;
    }
    return false;
}

bool CInsertCommand::FirstApply(CProgDb& db)
{
    std::array<std::vector<CPlacedRecord>, 3> placed;
    if (!Plan(db, placed))
        return false;

    // Fresh ids first, so that the records below can be linked to them.
    std::vector<int32_t> newIds[3];
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        CNodeList& list = db.GetList(nKind);
        for (CPlacedRecord& rec : placed[nKind]) {
            newIds[nKind].push_back(list.IssueId(*rec.pNode));
            rec.pNode->SetParentId(
                rec.nNewParent >= 0 ? newIds[nKind - 1][static_cast<size_t>(rec.nNewParent)] : rec.nParentId);
        }
    }

    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        std::vector<CPlacedRecord>& records = placed[nKind];
        const size_t nCount = records.size();
        if (nCount == 0)
            continue;
        m_nTouched |= TouchRows(nKind);
        // Records going before the same position keep their order; each one inserted before them
        // shifts the later ones by one.
        std::vector<size_t> order(nCount);
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(),
                         [&records](size_t a, size_t b) { return records[a].nAt < records[b].nAt; });
        std::vector<CRemovedNode> nodes;
        nodes.reserve(nCount);
        for (size_t nRank = 0; nRank < nCount; ++nRank) {
            const size_t i = order[nRank];
            nodes.push_back(
                CRemovedNode{records[i].nAt + static_cast<int32_t>(nRank), std::move(records[i].pNode)});
            m_indexes[nKind].push_back(nodes.back().nIndex);
            m_newIds[nKind].push_back(newIds[nKind][i]);
        }
        db.GetList(nKind).PutBack(std::move(nodes));
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
