#include "edit/OrderLikeCommand.h"

#include "db/ParentPositions.h"
#include "db/ProgDb.h"
#include "edit/IndexSet.h"
#include "edit/InsertCommand.h"
#include "edit/RecordSet.h"
#include "edit/ReorderCommand.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

std::vector<const CNode*> NodesOf(const CNodeList& list)
{
    return std::vector<const CNode*>(list.begin(), list.end());
}

// The values one matched record takes from its reference record: a satellite's name, a program's
// name and Lock, Skip, Hide and FavType.
struct SSatValues
{
    std::array<uint8_t, SAT_NAME_LEN> name;
};

struct SProgValues
{
    std::array<uint8_t, PROG_NAME_LEN> name;
    uint8_t nFlags; // Lock, Skip, Hide in bits 0-2, FavType in bits 3-6

    static SProgValues Of(const ProgRecord& r)
    {
        SProgValues v;
        std::memcpy(v.name.data(), r.ProgName, PROG_NAME_LEN);
        v.nFlags = static_cast<uint8_t>(r.Get(ProgField::Lock) | (r.Get(ProgField::Skip) << 1) |
                                        (r.Get(ProgField::Hide) << 2) | (r.Get(ProgField::FavType) << 3));
        return v;
    }
    void To(ProgRecord& r) const
    {
        std::memcpy(r.ProgName, name.data(), PROG_NAME_LEN);
        r.Set(ProgField::Lock, nFlags & 1u);
        r.Set(ProgField::Skip, (nFlags >> 1) & 1u);
        r.Set(ProgField::Hide, (nFlags >> 2) & 1u);
        r.Set(ProgField::FavType, nFlags >> 3);
    }
    bool operator==(const SProgValues& o) const { return name == o.name && nFlags == o.nFlags; }
};

// Names and flags at positions of the satellite and program lists, each exchanged with the record's
// own on every Apply and Revert, so that either way needs only what the other left.
class CTakeValuesCommand : public CEditCommand
{
public:
    CTakeValuesCommand(std::vector<int32_t> satPositions, std::vector<SSatValues> satValues,
                       std::vector<int32_t> progPositions, std::vector<SProgValues> progValues)
        : m_sats(satPositions), m_satValues(std::move(satValues)), m_progs(progPositions),
          m_progValues(std::move(progValues))
    {}

    bool Apply(CProgDb& db) override
    {
        Swap(db);
        return true;
    }
    void Revert(CProgDb& db) override { Swap(db); }
    unsigned GetTouched() const override
    {
        return (m_sats.IsEmpty() ? 0u : unsigned(TOUCH_SAT_VALUES)) |
               (m_progs.IsEmpty() ? 0u : unsigned(TOUCH_PROG_VALUES));
    }

private:
    void Swap(CProgDb& db)
    {
        auto sat = m_satValues.begin();
        m_sats.ForEachNode(db.GetSatList(), [&sat](CNode& node) {
            SatRecord& r = *static_cast<CSatNode&>(node).GetRecord();
            SSatValues current;
            std::memcpy(current.name.data(), r.Name, SAT_NAME_LEN);
            std::memcpy(r.Name, sat->name.data(), SAT_NAME_LEN);
            *sat++ = current;
        });
        auto prog = m_progValues.begin();
        m_progs.ForEachNode(db.GetProgList(), [&prog](CNode& node) {
            ProgRecord& r = *static_cast<CProgNode&>(node).GetRecord();
            const SProgValues current = SProgValues::Of(r);
            prog->To(r);
            *prog++ = current;
        });
    }

    CIndexSet m_sats;
    std::vector<SSatValues> m_satValues; // in list order, the values the records do not hold now
    CIndexSet m_progs;
    std::vector<SProgValues> m_progValues;
};

// The values matched records take from the reference, only where they change something; null when
// none does.
std::unique_ptr<CEditCommand> MakeTakeValues(const CProgDb& db, const CProgDb& ref, const CListMatch& match,
                                             const COrderOptions& options)
{
    if (!options.bNames && !options.bFlags)
        return nullptr;
    std::vector<int32_t> satPositions, progPositions;
    std::vector<SSatValues> satValues;
    std::vector<SProgValues> progValues;
    if (options.bNames) {
        const std::vector<const CNode*> nodes = NodesOf(db.GetSatList()),
                                        refNodes = NodesOf(ref.GetSatList());
        const CKindMatch& m = match.kinds[NODE_SAT];
        for (size_t i = 0; i < m.refOf.size(); ++i) {
            if (m.refOf[i] < 0)
                continue;
            const SatRecord& own = *static_cast<const CSatNode*>(nodes[i])->GetRecord();
            const SatRecord& other =
                *static_cast<const CSatNode*>(refNodes[static_cast<size_t>(m.refOf[i])])->GetRecord();
            if (SameNameField(own.Name, other.Name, SAT_NAME_LEN))
                continue;
            SSatValues v;
            std::memcpy(v.name.data(), other.Name, SAT_NAME_LEN);
            satPositions.push_back(static_cast<int32_t>(i));
            satValues.push_back(v);
        }
    }
    const std::vector<const CNode*> nodes = NodesOf(db.GetProgList()), refNodes = NodesOf(ref.GetProgList());
    const CKindMatch& m = match.kinds[NODE_PROG];
    for (size_t i = 0; i < m.refOf.size(); ++i) {
        if (m.refOf[i] < 0)
            continue;
        const ProgRecord& own = *static_cast<const CProgNode*>(nodes[i])->GetRecord();
        const ProgRecord& other =
            *static_cast<const CProgNode*>(refNodes[static_cast<size_t>(m.refOf[i])])->GetRecord();
        const SProgValues ownValues = SProgValues::Of(own), otherValues = SProgValues::Of(other);
        SProgValues v = ownValues;
        if (options.bNames && !SameNameField(own.ProgName, other.ProgName, PROG_NAME_LEN))
            v.name = otherValues.name;
        if (options.bFlags)
            v.nFlags = otherValues.nFlags;
        if (v == ownValues)
            continue;
        progPositions.push_back(static_cast<int32_t>(i));
        progValues.push_back(v);
    }
    if (satPositions.empty() && progPositions.empty())
        return nullptr;
    return std::make_unique<CTakeValuesCommand>(std::move(satPositions), std::move(satValues),
                                                std::move(progPositions), std::move(progValues));
}

} // namespace

COrderLikeCommand::COrderLikeCommand() = default;
COrderLikeCommand::~COrderLikeCommand() = default;

std::unique_ptr<COrderLikeCommand> COrderLikeCommand::Make(const CProgDb& db, const CProgDb& ref,
                                                           const COrderOptions& options,
                                                           const CListMatch* pMatch)
{
    CListMatch ownMatch;
    if (!pMatch || !MatchFits(*pMatch, db, ref)) {
        ownMatch = MatchLists(db, ref);
        pMatch = &ownMatch;
    }
    const CListMatch& match = *pMatch;
    std::unique_ptr<COrderLikeCommand> pCommand(new COrderLikeCommand());
    pCommand->SetText("Order Like Reference");
    pCommand->m_plan = PlanOrderLike(db, ref, match, options);
    pCommand->m_pValues = MakeTakeValues(db, ref, match, options);

    // Copies of the reference records to add go to the end of their lists first, in the reference's
    // order; then each whole list takes its new order. A revert then finds the lists in their former
    // order before it takes the copies off their ends, so that none of its walks follows the new
    // order, whose nodes lie all over memory.
    std::array<std::vector<CPlacedRecord>, 3> placed;
    std::vector<int32_t> addedAt[3]; // per reference position: index among the added records, or -1
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        const int32_t nCount = db.GetList(nKind).GetCount();
        pCommand->m_nCounts[nKind] = nCount;
        std::vector<int32_t>& order = pCommand->m_plan.order[nKind];
        if (pCommand->m_plan.nAdded[nKind] > 0) {
            const std::vector<const CNode*> refNodes = NodesOf(ref.GetList(nKind));
            const std::vector<int32_t> refParents = ParentPositions(ref, nKind);
            const std::vector<const CNode*> above =
                nKind == NODE_SAT ? std::vector<const CNode*>()
                                  : NodesOf(db.GetList(static_cast<NodeType>(nKind - 1)));
            addedAt[nKind].assign(refNodes.size(), -1);
            for (int32_t& nEntry : order) {
                if (nEntry >= 0)
                    continue;
                const auto j = static_cast<size_t>(-1 - nEntry);
                CPlacedRecord rec;
                rec.pNode = CloneRecord(*refNodes[j]);
                rec.nAt = nCount;
                if (nKind != NODE_SAT) {
                    const auto nParent = static_cast<size_t>(refParents[j]);
                    const int32_t nMatched = match.kinds[nKind - 1].listOf[nParent];
                    if (nMatched >= 0)
                        rec.nParentId = above[static_cast<size_t>(nMatched)]->GetId();
                    else
                        rec.nNewParent = addedAt[nKind - 1][nParent];
                }
                addedAt[nKind][j] = static_cast<int32_t>(placed[nKind].size());
                nEntry = nCount + static_cast<int32_t>(placed[nKind].size()); // its place at the end
                placed[nKind].push_back(std::move(rec));
            }
        }
        pCommand->m_pOrder[nKind] = CReorderCommand::ByPositions(nKind, std::move(order));
        order = std::vector<int32_t>(); // only the counts are kept
    }
    pCommand->m_pInsert = CInsertCommand::Place(NODE_SAT, std::move(placed), pCommand->GetText());
    return pCommand;
}

bool COrderLikeCommand::Apply(CProgDb& db)
{
    if (m_bResolved) {
        if (m_pValues)
            m_pValues->Apply(db);
        if (m_pInsert)
            m_pInsert->Apply(db);
        for (auto& pOrder : m_pOrder)
            if (pOrder)
                pOrder->Apply(db);
        return true;
    }
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        if (db.GetList(nKind).GetCount() != m_nCounts[nKind])
            return false; // not the database the command was made for
    bool bAny = false;
    auto first = [&db, &bAny](auto& pPart) {
        if (pPart && !pPart->Apply(db))
            pPart.reset();
        bAny = bAny || pPart != nullptr;
    };
    first(m_pValues);
    first(m_pInsert);
    for (auto& pOrder : m_pOrder)
        first(pOrder);
    m_bResolved = bAny;
    return bAny;
}

void COrderLikeCommand::Revert(CProgDb& db)
{
    for (int nKind = NODE_PROG; nKind >= NODE_SAT; --nKind)
        if (m_pOrder[nKind])
            m_pOrder[nKind]->Revert(db);
    if (m_pInsert)
        m_pInsert->Revert(db);
    if (m_pValues)
        m_pValues->Revert(db);
}

unsigned COrderLikeCommand::GetTouched() const
{
    unsigned nTouched = m_pValues ? m_pValues->GetTouched() : TOUCH_NONE;
    for (const auto& pOrder : m_pOrder)
        nTouched |= pOrder ? pOrder->GetTouched() : TOUCH_NONE;
    return nTouched | (m_pInsert ? m_pInsert->GetTouched() : TOUCH_NONE);
}

const std::vector<int32_t>& COrderLikeCommand::GetNewIds(NodeType nKind) const
{
    return m_pInsert ? m_pInsert->GetNewIds(nKind) : m_noIds;
}
