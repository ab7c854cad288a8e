#include "db/ListDiff.h"

#include "db/Columns.h"
#include "db/ParentPositions.h"
#include "db/ProgDb.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsLinkField(const FieldDesc* pField)
{
    return pField == &SatField::TpCount || pField == &SatField::FirstTpIndex ||
           pField == &ProgField::TpIndex || pField == &ProgField::SatIndex;
}

// What differs between two records of one kind, as DIFF_WHAT bits (the parent aside). The words are
// compared first without the link fields; only words that differ are taken apart field by field.
class CRecordCompare
{
public:
    explicit CRecordCompare(NodeType nKind) : m_nKind(nKind), m_table(DiffFields(nKind))
    {
        for (size_t i = 0; i < m_table.nCount; ++i) {
            const FieldDesc& f = *m_table.pFields[i];
            if (!IsLinkField(&f))
                m_dwCompared[f.nWord] |= FieldMask(f.nWidth) << f.nPos;
        }
    }

    uint32_t Compare(const CNode& a, const CNode& b) const
    {
        if (m_nKind == NODE_SAT) {
            const SatRecord& ra = *static_cast<const CSatNode&>(a).GetRecord();
            const SatRecord& rb = *static_cast<const CSatNode&>(b).GetRecord();
            return Words(ra, rb, 3) | (SameNameField(ra.Name, rb.Name, SAT_NAME_LEN) ? 0 : DIFF_WHAT_NAME);
        }
        if (m_nKind == NODE_TP)
            return Words(*static_cast<const CTpNode&>(a).GetRecord(),
                         *static_cast<const CTpNode&>(b).GetRecord(), 1);
        const ProgRecord& ra = *static_cast<const CProgNode&>(a).GetRecord();
        const ProgRecord& rb = *static_cast<const CProgNode&>(b).GetRecord();
        return Words(ra, rb, 4) |
               (SameNameField(ra.ProgName, rb.ProgName, PROG_NAME_LEN) ? 0 : DIFF_WHAT_NAME);
    }

private:
    template <class TRecord> uint32_t Words(const TRecord& a, const TRecord& b, size_t nWords) const
    {
        bool bDiffer = false;
        for (size_t w = 0; w < nWords; ++w)
            bDiffer = bDiffer || ((a.dwWord[w] ^ b.dwWord[w]) & m_dwCompared[w]) != 0;
        if (!bDiffer)
            return 0;
        uint32_t nWhat = 0;
        for (size_t i = 0; i < m_table.nCount; ++i) {
            const FieldDesc& f = *m_table.pFields[i];
            if (!IsLinkField(&f) && a.Get(f) != b.Get(f))
                nWhat |= 1u << i;
        }
        return nWhat;
    }

    NodeType m_nKind;
    CFieldTable m_table;
    uint32_t m_dwCompared[4] = {};
};

std::vector<const CNode*> NodesOf(const CNodeList& list)
{
    return std::vector<const CNode*>(list.begin(), list.end());
}

// Marks in keep the entries of seq (distinct numbers) that form one longest increasing run; the others
// are the fewest that must move. O(n log n).
std::vector<bool> LongestIncreasing(const std::vector<int32_t>& seq)
{
    std::vector<int32_t> tails; // tails[k]: index of the smallest end of a run of length k + 1
    std::vector<int32_t> prev(seq.size(), -1);
    for (size_t k = 0; k < seq.size(); ++k) {
        const auto it =
            std::lower_bound(tails.begin(), tails.end(), seq[k], [&seq](int32_t nIndex, int32_t nValue) {
                return seq[static_cast<size_t>(nIndex)] < nValue;
            });
        prev[k] = it == tails.begin() ? -1 : *std::prev(it);
        if (it == tails.end())
            tails.push_back(static_cast<int32_t>(k));
        else
            *it = static_cast<int32_t>(k);
    }
    std::vector<bool> keep(seq.size(), false);
    for (int32_t k = tails.empty() ? -1 : tails.back(); k >= 0; k = prev[static_cast<size_t>(k)])
        keep[static_cast<size_t>(k)] = true;
    return keep;
}

void DiffKind(const CProgDb& a, const CProgDb& b, const CListMatch& match, NodeType nKind, CKindDiff& d)
{
    const CKindMatch& m = match.kinds[nKind];
    const std::vector<const CNode*> nodesA = NodesOf(a.GetList(nKind)), nodesB = NodesOf(b.GetList(nKind));
    d.markA.assign(nodesA.size(), 0);
    d.markB.assign(nodesB.size(), 0);
    d.whatA.assign(nodesA.size(), 0);
    d.columnsA.assign(nodesA.size(), 0);

    std::vector<int32_t> parentsA, parentsB;
    if (nKind != NODE_SAT) {
        parentsA = ParentPositions(a, nKind);
        parentsB = ParentPositions(b, nKind);
    }
    const CRecordCompare compare(nKind);
    std::vector<int32_t> order; // B positions of the matched records in A order
    std::vector<int32_t> orderA;
    order.reserve(nodesA.size());
    orderA.reserve(nodesA.size());
    for (size_t i = 0; i < nodesA.size(); ++i) {
        const int32_t j = m.refOf[i];
        if (j < 0) {
            d.markA[i] = DIFF_ONLY;
            ++d.nOnlyA;
            continue;
        }
        order.push_back(j);
        orderA.push_back(static_cast<int32_t>(i));
        uint32_t nWhat = compare.Compare(*nodesA[i], *nodesB[static_cast<size_t>(j)]);
        if (nKind != NODE_SAT) {
            const int32_t nParentA = parentsA[i], nParentB = parentsB[static_cast<size_t>(j)];
            const int32_t nMatched =
                nParentA < 0 ? -1 : match.kinds[nKind - 1].refOf[static_cast<size_t>(nParentA)];
            if (nParentA < 0 ? nParentB >= 0 : nMatched != nParentB)
                nWhat |= DIFF_WHAT_PARENT;
        }
        if (nWhat != 0) {
            d.whatA[i] = nWhat;
            d.columnsA[i] = DiffColumns(nKind, nWhat);
            d.markA[i] |= DIFF_CHANGED;
            d.markB[static_cast<size_t>(j)] |= DIFF_CHANGED;
            ++d.nChanged;
        }
    }
    for (size_t j = 0; j < nodesB.size(); ++j) {
        if (m.listOf[j] < 0) {
            d.markB[j] = DIFF_ONLY;
            ++d.nOnlyB;
        }
    }
    const std::vector<bool> keep = LongestIncreasing(order);
    for (size_t k = 0; k < order.size(); ++k) {
        if (keep[k])
            continue;
        d.markA[static_cast<size_t>(orderA[k])] |= DIFF_MOVED;
        d.markB[static_cast<size_t>(order[k])] |= DIFF_MOVED;
        ++d.nMoved;
    }
}

} // namespace

CFieldTable DiffFields(NodeType nKind)
{
    switch (ListKind(nKind)) {
    case NODE_SAT:
        return CFieldTable{g_satFields, std::size(g_satFields)};
    case NODE_TP:
        return CFieldTable{g_tpFields, std::size(g_tpFields)};
    default:
        return CFieldTable{g_progFields, std::size(g_progFields)};
    }
}

uint32_t GetFieldValue(const CNode& node, const FieldDesc& field)
{
    switch (node.GetType()) {
    case NODE_SAT:
        return static_cast<const CSatNode&>(node).GetRecord()->Get(field);
    case NODE_TP:
        return static_cast<const CTpNode&>(node).GetRecord()->Get(field);
    default:
        return static_cast<const CProgNode&>(node).GetRecord()->Get(field);
    }
}

uint32_t DiffColumns(NodeType nKind, uint32_t nWhat)
{
    nKind = ListKind(nKind);
    const CFieldTable table = DiffFields(nKind);
    uint32_t nColumns = 0;
    for (int c = 0; c < GetColumnCount(nKind); ++c) {
        const CColumn& col = *GetColumn(nKind, c);
        bool bDiffers = false;
        switch (col.nSource) {
        case CColumn::SRC_NAME:
            bDiffers = (nWhat & DIFF_WHAT_NAME) != 0;
            break;
        case CColumn::SRC_PARENT:
            bDiffers = (nWhat & DIFF_WHAT_PARENT) != 0;
            break;
        case CColumn::SRC_FIELD:
        case CColumn::SRC_LNB_FREQ:
            for (size_t i = 0; i < table.nCount && !bDiffers; ++i)
                bDiffers = table.pFields[i] == col.pField && (nWhat & (1u << i)) != 0;
            break;
        case CColumn::SRC_ID:
            break;
        }
        if (bDiffers)
            nColumns |= 1u << c;
    }
    return nColumns;
}

CListDiff DiffLists(const CProgDb& a, const CProgDb& b)
{
    return DiffLists(a, b, MatchLists(a, b));
}

CListDiff DiffLists(const CProgDb& a, const CProgDb& b, CListMatch match)
{
    CListDiff diff;
    diff.match = MatchFits(match, a, b) ? std::move(match) : MatchLists(a, b);
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        CKindDiff& d = diff.kinds[nKind];
        DiffKind(a, b, diff.match, nKind, d);
        diff.nOnlyA += d.nOnlyA;
        diff.nOnlyB += d.nOnlyB;
        diff.nChanged += d.nChanged;
        diff.nMoved += d.nMoved;
    }
    return diff;
}
