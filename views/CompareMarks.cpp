#include "views/CompareMarks.h"

#include "db/ListDiff.h"
#include "db/ProgDb.h"
#include "views/ProgListModel.h"

CCompareMarks::CCompareMarks(const CProgDb& mine, const CProgDb& other, const CListDiff& diff, bool bSideA)
    : m_diff(diff), m_bSideA(bSideA)
{
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const CNodeList& list = mine.GetList(nKind);
        CIdMap& positions = m_positions[nKind];
        positions = CIdMap(int64_t(list.GetLastId()) + 1);
        int32_t nPosition = 0;
        for (const CNode* pNode : list) {
            int32_t& nAt = positions.At(pNode->GetId());
            if (nAt < 0)
                nAt = nPosition;
            ++nPosition;
        }
        const CNodeList& others = other.GetList(nKind);
        m_other[nKind].reserve(static_cast<size_t>(others.GetCount()));
        for (const CNode* pNode : others)
            m_other[nKind].push_back(pNode);
    }
}

int32_t CCompareMarks::GetPosition(NodeType nKind, int32_t nId) const
{
    return m_positions[ListKind(nKind)].Get(nId);
}

bool CCompareMarks::IsOnlyHere(NodeType nKind, int32_t nId) const
{
    const int32_t nPosition = GetPosition(nKind, nId);
    const CKindDiff& kind = m_diff.Of(nKind);
    const std::vector<uint8_t>& marks = m_bSideA ? kind.markA : kind.markB;
    return nPosition >= 0 && static_cast<size_t>(nPosition) < marks.size() &&
           (marks[static_cast<size_t>(nPosition)] & DIFF_ONLY) != 0;
}

uint32_t CCompareMarks::GetDifferingColumns(NodeType nKind, int32_t nId) const
{
    if (!m_bSideA)
        return 0;
    const int32_t nPosition = GetPosition(nKind, nId);
    const std::vector<uint32_t>& columns = m_diff.Of(nKind).columnsA;
    return nPosition >= 0 && static_cast<size_t>(nPosition) < columns.size()
               ? columns[static_cast<size_t>(nPosition)]
               : 0;
}

int32_t CCompareMarks::GetMatchPosition(NodeType nKind, int32_t nPosition) const
{
    const CKindMatch& match = m_diff.match.Of(nKind);
    const std::vector<int32_t>& to = m_bSideA ? match.refOf : match.listOf;
    return nPosition >= 0 && static_cast<size_t>(nPosition) < to.size() ? to[static_cast<size_t>(nPosition)]
                                                                        : -1;
}

const CNode* CCompareMarks::GetOtherNode(NodeType nKind, int32_t nPosition) const
{
    const std::vector<const CNode*>& others = m_other[ListKind(nKind)];
    return nPosition >= 0 && static_cast<size_t>(nPosition) < others.size()
               ? others[static_cast<size_t>(nPosition)]
               : nullptr;
}

QString CCompareMarks::GetOtherText(NodeType nKind, int32_t nId, int nColumn) const
{
    const CNode* pOther = GetOtherNode(nKind, GetMatchPosition(nKind, GetPosition(nKind, nId)));
    return pOther ? CProgListModel::RecordCellText(ListKind(nKind), pOther, nColumn) : QString();
}
