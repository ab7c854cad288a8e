#include "edit/RecordSet.h"

#include "db/Columns.h"
#include "platform/ByteOrder.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr uint8_t MAGIC[4] = {'R', 'v', 'R', 'S'};
constexpr uint16_t FORMAT_VERSION = 1;
constexpr size_t HEADER_SIZE = 20;
// Bytes of one record of each kind in the set: link, (select,) record.
constexpr size_t ENTRY_SIZE[3] = {4 + 4 + 28, 4 + 4, 4 + 40};

// The first record of the list with each id, each once, in list order.
std::vector<const CNode*> FirstRecordsOf(const CNodeList& list, const std::vector<int32_t>& ids,
                                         std::vector<int32_t>* pPositions)
{
    std::unordered_set<const CNode*> wanted;
    wanted.reserve(ids.size());
    for (int32_t nId : ids)
        if (const CNode* pNode = list.Find(nId))
            wanted.insert(pNode);
    std::vector<const CNode*> nodes;
    nodes.reserve(wanted.size());
    int32_t nIndex = 0;
    for (auto it = list.begin(); it != list.end() && nodes.size() < wanted.size(); ++it, ++nIndex) {
        if (wanted.count(*it) != 0) {
            nodes.push_back(*it);
            if (pPositions)
                pPositions->push_back(nIndex);
        }
    }
    return nodes;
}

void AppendWords(std::vector<uint8_t>& out, const uint32_t* pWords, size_t nWords)
{
    for (size_t i = 0; i < nWords; ++i)
        AppendBe32(out, pWords[i]);
}

void ReadWords(const uint8_t* p, uint32_t* pWords, size_t nWords)
{
    for (size_t i = 0; i < nWords; ++i)
        pWords[i] = ReadBe32(p + 4 * i);
}

void AppendRecord(std::vector<uint8_t>& out, const CNode& node, int32_t nLink)
{
    AppendBe32(out, static_cast<uint32_t>(nLink));
    if (node.GetType() == NODE_SAT) {
        const auto& sat = static_cast<const CSatNode&>(node);
        const SatRecord& r = *sat.GetRecord();
        AppendBe32(out, static_cast<uint32_t>(sat.GetSelect()));
        out.insert(out.end(), r.Name, r.Name + SAT_NAME_LEN);
        AppendWords(out, r.dwWord, 3);
    } else if (node.GetType() == NODE_TP) {
        AppendWords(out, static_cast<const CTpNode&>(node).GetRecord()->dwWord, 1);
    } else {
        const ProgRecord& r = *static_cast<const CProgNode&>(node).GetRecord();
        AppendWords(out, r.dwWord, 4);
        out.insert(out.end(), r.ProgName, r.ProgName + PROG_NAME_LEN);
        out.insert(out.end(), 3, 0);
    }
}

// One record of a kind from its entry; null when a value cannot be (a satellite's select).
std::unique_ptr<CNode> ReadRecord(NodeType nKind, const uint8_t* p)
{
    if (nKind == NODE_SAT) {
        const uint32_t nSelect = ReadBe32(p);
        if (nSelect > 2)
            return nullptr;
        auto pSat = std::make_unique<CSatNode>(static_cast<int32_t>(nSelect));
        std::memcpy(pSat->GetRecord()->Name, p + 4, SAT_NAME_LEN);
        ReadWords(p + 4 + SAT_NAME_LEN, pSat->GetRecord()->dwWord, 3);
        return pSat;
    }
    if (nKind == NODE_TP) {
        auto pTp = std::make_unique<CTpNode>();
        ReadWords(p, pTp->GetRecord()->dwWord, 1);
        return pTp;
    }
    auto pProg = std::make_unique<CProgNode>();
    ReadWords(p, pProg->GetRecord()->dwWord, 4);
    std::memcpy(pProg->GetRecord()->ProgName, p + 16, PROG_NAME_LEN); // the padding stays zero
    return pProg;
}

} // namespace

std::unique_ptr<CNode> CloneRecord(const CNode& node)
{
    if (node.GetType() == NODE_SAT) {
        const auto& sat = static_cast<const CSatNode&>(node);
        auto pSat = std::make_unique<CSatNode>(sat.GetSelect());
        *pSat->GetRecord() = *sat.GetRecord();
        return pSat;
    }
    if (node.GetType() == NODE_TP) {
        auto pTp = std::make_unique<CTpNode>();
        *pTp->GetRecord() = *static_cast<const CTpNode&>(node).GetRecord();
        return pTp;
    }
    auto pProg = std::make_unique<CProgNode>();
    *pProg->GetRecord() = *static_cast<const CProgNode&>(node).GetRecord();
    return pProg;
}

CRecordSet CopyRecords(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids,
                       std::vector<int32_t>* pPositions)
{
    CRecordSet set;
    set.nTopKind = ListKind(nKind);
    // Children go by parent id to the first copied record with that id, as the cascade takes them.
    std::unordered_map<int32_t, int32_t> parentAt;
    for (const CNode* pNode :
         FirstRecordsOf(db.GetList(set.nTopKind), ids, pPositions ? &pPositions[set.nTopKind] : nullptr)) {
        parentAt.emplace(pNode->GetId(), set.GetCount(set.nTopKind));
        set.records[set.nTopKind].push_back(CloneRecord(*pNode));
        set.links[set.nTopKind].push_back(pNode->GetParentId());
    }
    for (int nKind = set.nTopKind + 1; nKind <= NODE_PROG && !parentAt.empty(); ++nKind) {
        const auto nChild = static_cast<NodeType>(nKind);
        std::unordered_map<int32_t, int32_t> childAt;
        int32_t nIndex = 0;
        for (const CNode* pNode : db.GetList(nChild)) {
            auto it = parentAt.find(pNode->GetParentId());
            if (it != parentAt.end()) {
                childAt.emplace(pNode->GetId(), set.GetCount(nChild));
                set.records[nChild].push_back(CloneRecord(*pNode));
                set.links[nChild].push_back(it->second);
                if (pPositions)
                    pPositions[nChild].push_back(nIndex);
            }
            ++nIndex;
        }
        parentAt = std::move(childAt);
    }
    return set;
}

std::vector<uint8_t> WriteRecordSet(const CRecordSet& records)
{
    std::vector<uint8_t> out(MAGIC, MAGIC + 4);
    out.push_back(static_cast<uint8_t>(FORMAT_VERSION >> 8));
    out.push_back(static_cast<uint8_t>(FORMAT_VERSION));
    out.push_back(0);
    out.push_back(static_cast<uint8_t>(records.nTopKind));
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        AppendBe32(out, static_cast<uint32_t>(records.records[nKind].size()));
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG})
        for (size_t i = 0; i < records.records[nKind].size(); ++i)
            AppendRecord(out, *records.records[nKind][i], records.links[nKind][i]);
    return out;
}

bool ReadRecordSet(const uint8_t* pData, size_t nSize, CRecordSet& records, std::string& strError)
{
    const CByteView view(pData, nSize);
    if (!view.Has(0, HEADER_SIZE) || std::memcmp(pData, MAGIC, 4) != 0) {
        strError = "The clipboard holds no records of this editor";
        return false;
    }
    const uint16_t nVersion = ReadBe16(pData + 4);
    if (nVersion > FORMAT_VERSION) {
        strError = "The records on the clipboard come from a newer version of the editor";
        return false;
    }
    const uint16_t nTopKind = ReadBe16(pData + 6);
    uint32_t counts[3];
    uint64_t nExpected = HEADER_SIZE;
    for (int nKind = 0; nKind < 3; ++nKind) {
        counts[nKind] = ReadBe32(pData + 8 + 4 * nKind);
        nExpected += uint64_t(counts[nKind]) * ENTRY_SIZE[nKind];
    }
    bool bSound = nVersion != 0 && nTopKind <= NODE_PROG && nExpected == nSize;
    for (int nKind = 0; bSound && nKind < nTopKind; ++nKind)
        bSound = counts[nKind] == 0;

    CRecordSet set;
    set.nTopKind = bSound ? static_cast<NodeType>(nTopKind) : NODE_PROG;
    const uint8_t* p = pData + HEADER_SIZE;
    for (int nKind = set.nTopKind; bSound && nKind <= NODE_PROG; ++nKind) {
        set.records[nKind].reserve(counts[nKind]);
        set.links[nKind].reserve(counts[nKind]);
        for (uint32_t i = 0; bSound && i < counts[nKind]; ++i, p += ENTRY_SIZE[nKind]) {
            const auto nLink = static_cast<int32_t>(ReadBe32(p));
            std::unique_ptr<CNode> pNode = ReadRecord(static_cast<NodeType>(nKind), p + 4);
            const bool bLinkOk = nKind == set.nTopKind || (nLink >= 0 && uint32_t(nLink) < counts[nKind - 1]);
            bSound = pNode && bLinkOk;
            set.records[nKind].push_back(std::move(pNode));
            set.links[nKind].push_back(nLink);
        }
    }
    if (!bSound) {
        strError = "The records on the clipboard are damaged";
        return false;
    }
    records = std::move(set);
    return true;
}

std::string RecordsAsText(const CProgDb& db, NodeType nKind, const std::vector<int32_t>& ids)
{
    const NodeType nList = ListKind(nKind);
    const int nColumns = GetColumnCount(nList);
    std::string strText;
    for (int i = 0; i < nColumns; ++i)
        strText += std::string(i ? "\t" : "") + GetColumn(nList, i)->pszHeading;
    strText += '\n';
    for (const CNode* pNode : FirstRecordsOf(db.GetList(nList), ids, nullptr)) {
        for (int i = 0; i < nColumns; ++i) {
            std::string strCell = GetCellText(*pNode, i);
            for (char& c : strCell)
                if (c == '\t' || c == '\n' || c == '\r')
                    c = ' '; // a name read from a file may hold them; they would split the table
            strText += (i ? "\t" : "") + strCell;
        }
        strText += '\n';
    }
    return strText;
}
