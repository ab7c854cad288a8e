#include "db/ChannelTable.h"

#include "db/ProgDb.h"
#include "platform/CodePage.h"
#include "platform/Utf.h"

#include <unordered_map>

namespace {

// Place of the first record with each id of a list.
std::unordered_map<int32_t, int32_t> FirstPlaces(const CNodeList& list)
{
    std::unordered_map<int32_t, int32_t> places;
    places.reserve(static_cast<size_t>(list.GetCount()));
    int32_t nPlace = 0;
    for (const CNode* pNode : list)
        places.emplace(pNode->GetId(), nPlace++);
    return places;
}

int32_t Lookup(const std::unordered_map<int32_t, int32_t>& places, int32_t nId)
{
    auto it = places.find(nId);
    return it == places.end() ? -1 : it->second;
}

std::vector<const CNode*> Nodes(const CNodeList& list)
{
    std::vector<const CNode*> nodes;
    nodes.reserve(static_cast<size_t>(list.GetCount()));
    for (const CNode* pNode : list)
        nodes.push_back(pNode);
    return nodes;
}

// The cells of one program: pTp is its transponder, or null.
void AddCells(const SChannelColumns& columns, const ProgRecord& rec, const TpRecord* pTp,
              std::vector<std::string>& cells)
{
    if (columns.bTransponder)
        cells.push_back(pTp ? TransponderText(*pTp) : std::string());
    if (columns.bServiceId)
        cells.push_back(std::to_string(rec.Get(ProgField::ServiceId)));
    if (columns.bPids) {
        for (const FieldDesc* f :
             {&ProgField::VPID, &ProgField::APID, &ProgField::PCRPID, &ProgField::PmtPid})
            cells.push_back(std::to_string(rec.Get(*f)));
    }
    if (columns.bFlags)
        cells.push_back(ProgramFlagsText(rec));
}

const TpRecord& TpOf(const CNode* pNode)
{
    return *static_cast<const CTpNode*>(pNode)->GetRecord();
}

} // namespace

std::vector<std::string> ChannelColumnHeadings(const SChannelColumns& columns)
{
    std::vector<std::string> headings;
    if (columns.bTransponder)
        headings.push_back("Transponder");
    if (columns.bServiceId)
        headings.push_back("ServiceId");
    if (columns.bPids)
        headings.insert(headings.end(), {"VPID", "APID", "PCRPID", "PmtPid"});
    if (columns.bFlags)
        headings.push_back("Flags");
    return headings;
}

std::string TransponderText(const TpRecord& rec)
{
    return std::to_string(rec.Get(TpField::Frequency)) + "/" + PolarName(rec.Get(TpField::Polar)) + "/" +
           std::to_string(rec.Get(TpField::SymbolRate));
}

std::string ProgramFlagsText(const ProgRecord& rec)
{
    std::string strFlags;
    auto add = [&strFlags](const std::string& strFlag) {
        if (!strFlags.empty())
            strFlags += ' ';
        strFlags += strFlag;
    };
    if (rec.Get(ProgField::Scramble))
        add("Scr");
    if (rec.Get(ProgField::Lock))
        add("Lock");
    if (rec.Get(ProgField::Skip))
        add("Skip");
    if (rec.Get(ProgField::Hide))
        add("Hide");
    if (const uint32_t nFav = rec.Get(ProgField::FavType))
        add("Fav " + std::to_string(nFav));
    return strFlags;
}

CUtf8NameDecoder::CUtf8NameDecoder(uint32_t nCodePage)
    : m_pDecoder(std::make_unique<CodePage::CUtf8Decoder>(nCodePage)), m_bUtf8(nCodePage == CodePage::CP_UTF8)
{}

CUtf8NameDecoder::~CUtf8NameDecoder() = default;

std::string CUtf8NameDecoder::ToUtf8(const std::string& strBytes)
{
    // Text of code page 65001 is taken as it is by the conversion, so it is checked here.
    return m_bUtf8 ? CodePage::SanitizeUtf8(strBytes) : m_pDecoder->ToUtf8(strBytes);
}

CChannelTable::CChannelTable(const SChannelColumns& columns, bool bGrouped)
    : m_bGrouped(bGrouped), m_columns(columns), m_headings(ChannelColumnHeadings(columns))
{}

CChannelTable CChannelTable::Grouped(const CProgDb& db, const SChannelColumns& columns, uint32_t nCodePage)
{
    CChannelTable table(columns, true);
    CUtf8NameDecoder decoder(nCodePage);
    const std::vector<const CNode*> sats = Nodes(db.GetSatList());
    const std::vector<const CNode*> tps = Nodes(db.GetTpList());
    const std::unordered_map<int32_t, int32_t> satPlaces = FirstPlaces(db.GetSatList());
    const std::unordered_map<int32_t, int32_t> tpPlaces = FirstPlaces(db.GetTpList());

    // The transponders of each satellite, and those of none, in list order.
    std::vector<std::vector<int32_t>> tpsOfSat(sats.size());
    std::vector<int32_t> orphanTps;
    for (size_t t = 0; t < tps.size(); ++t) {
        const int32_t nSat = Lookup(satPlaces, tps[t]->GetParentId());
        (nSat < 0 ? orphanTps : tpsOfSat[static_cast<size_t>(nSat)]).push_back(static_cast<int32_t>(t));
    }

    std::vector<int32_t> groupOfTp(tps.size(), -1);
    auto addGroup = [&](int32_t nSat, int32_t nTp) {
        SChannelGroup group;
        group.nSatIndex = nSat;
        group.nTpIndex = nTp;
        if (nSat >= 0)
            group.strSatellite = decoder.ToUtf8(
                static_cast<const CSatNode*>(sats[static_cast<size_t>(nSat)])->GetRecord()->GetName());
        if (nTp >= 0) {
            group.strTransponder = TransponderText(TpOf(tps[static_cast<size_t>(nTp)]));
            groupOfTp[static_cast<size_t>(nTp)] = static_cast<int32_t>(table.m_groups.size());
        }
        table.m_groups.push_back(std::move(group));
    };
    for (size_t s = 0; s < sats.size(); ++s) {
        if (tpsOfSat[s].empty())
            addGroup(static_cast<int32_t>(s), -1);
        for (int32_t nTp : tpsOfSat[s])
            addGroup(static_cast<int32_t>(s), nTp);
    }
    for (int32_t nTp : orphanTps)
        addGroup(-1, nTp);

    int32_t nNumber = 0;
    int32_t nOrphanGroup = -1;
    for (const CNode* pNode : db.GetProgList()) {
        ++nNumber;
        const int32_t nTp = Lookup(tpPlaces, pNode->GetParentId());
        int32_t nGroup = nTp < 0 ? -1 : groupOfTp[static_cast<size_t>(nTp)];
        if (nGroup < 0) {
            if (nOrphanGroup < 0) {
                nOrphanGroup = static_cast<int32_t>(table.m_groups.size());
                table.m_groups.emplace_back();
            }
            nGroup = nOrphanGroup;
        }
        const ProgRecord& rec = *static_cast<const CProgNode*>(pNode)->GetRecord();
        SChannelRow row;
        row.nNumber = nNumber;
        row.strName = decoder.ToUtf8(rec.GetName());
        AddCells(columns, rec, nTp < 0 ? nullptr : &TpOf(tps[static_cast<size_t>(nTp)]), row.cells);
        table.m_groups[static_cast<size_t>(nGroup)].rows.push_back(std::move(row));
        ++table.m_nRows;
    }
    return table;
}

CChannelTable CChannelTable::Listed(const CProgDb& db, const std::vector<int32_t>& places,
                                    const SChannelColumns& columns, uint32_t nCodePage)
{
    CChannelTable table(columns, false);
    CUtf8NameDecoder decoder(nCodePage);
    const std::vector<const CNode*> progs = Nodes(db.GetProgList());
    table.m_groups.emplace_back();
    std::vector<SChannelRow>& rows = table.m_groups.back().rows;
    rows.reserve(places.size());
    for (int32_t nPlace : places) {
        if (nPlace < 0 || static_cast<size_t>(nPlace) >= progs.size())
            continue;
        const CNode* pNode = progs[static_cast<size_t>(nPlace)];
        const ProgRecord& rec = *static_cast<const CProgNode*>(pNode)->GetRecord();
        const CNode* pTp = columns.bTransponder ? db.GetTpList().Find(pNode->GetParentId()) : nullptr;
        SChannelRow row;
        row.nNumber = nPlace + 1;
        row.strName = decoder.ToUtf8(rec.GetName());
        AddCells(columns, rec, pTp ? &TpOf(pTp) : nullptr, row.cells);
        rows.push_back(std::move(row));
    }
    table.m_nRows = rows.size();
    return table;
}

std::vector<int32_t> ProgramPlaces(const CProgDb& db, const std::vector<int32_t>& ids)
{
    const std::unordered_map<int32_t, int32_t> places = FirstPlaces(db.GetProgList());
    std::vector<int32_t> result;
    result.reserve(ids.size());
    for (int32_t nId : ids) {
        const int32_t nPlace = Lookup(places, nId);
        if (nPlace >= 0)
            result.push_back(nPlace);
    }
    return result;
}
