#include "access/AccessDb.h"

#include "access/LastError.h"
#include "db/ProgDb.h"
#include "platform/ByteOrder.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>

namespace {

const uint8_t START_MAGIC[4] = {'S', 'g', '8', 'K'};
const uint8_t END_MAGIC[4] = {'E', 'g', '8', 'K'};

} // namespace

bool CAccessDbIn::Fail(const char* pszMessage)
{
    SetLastErrorMsg(pszMessage);
    m_pDb->Clear();
    return false;
}

bool CAccessDbIn::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    std::vector<uint8_t> data;
    switch (ReadWholeFile(strPath, data)) {
    case ReadResult::OpenFailed:
        SetLastErrorMsg("Open file failed!");
        return false;
    case ReadResult::ShortRead:
        // The file shrank while it was read: its length no longer matches what was read.
        m_pDb = pDb;
        return Fail("File size error!");
    case ReadResult::Ok:
        break;
    }
    return LoadDbFromBuffer(data.data(), data.size(), pDb);
}

bool CAccessDbIn::LoadDbFromBuffer(const uint8_t* pData, size_t nSize, CProgDb* pDb)
{
    m_pDb = pDb;
    if (nSize < DB_HEADER_SIZE + 4)
        return Fail("File size error!");
    if (std::memcmp(pData, START_MAGIC, 4) != 0)
        return Fail("File format error!");
    m_nSatCount = ReadBe32(pData + 4);
    m_nTpCount = ReadBe32(pData + 8);
    m_nProgCount = ReadBe32(pData + 12);
    const uint64_t nExpected = DB_HEADER_SIZE + 4 + uint64_t(DB_SAT_SIZE) * m_nSatCount +
                               uint64_t(DB_TP_SIZE) * m_nTpCount + uint64_t(DB_PROG_SIZE) * m_nProgCount;
    if (nExpected != nSize)
        return Fail("File size error!");
    // The end magic is not examined.

    const uint8_t* p = pData + DB_HEADER_SIZE;
    CNodeList& satList = pDb->GetSatList();
    for (uint32_t i = 0; i < m_nSatCount; ++i, p += DB_SAT_SIZE) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
        SatRecord* pRec = pSat->GetRecord();
        pRec->SetName(GetNameField(p, SAT_NAME_LEN));
        for (int w = 0; w < 3; ++w)
            pRec->dwWord[w] = ReadBe32(p + 16 + 4 * w);
        if (uint64_t(pRec->Get(SatField::FirstTpIndex)) + pRec->Get(SatField::TpCount) > m_nTpCount)
            return Fail("File format error!");
        satList.Add(std::move(pSat));
    }

    if (m_nTpCount != 0) {
        std::vector<CTpNode*> tpAt;
        tpAt.reserve(m_nTpCount);
        CNodeList& tpList = pDb->GetTpList();
        for (uint32_t i = 0; i < m_nTpCount; ++i, p += DB_TP_SIZE) {
            auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
            pTp->GetRecord()->dwWord[0] = ReadBe32(p);
            tpAt.push_back(pTp.get());
            tpList.Add(std::move(pTp));
        }
        // Link every covered position to its satellite; a later satellite wins.
        for (const CNode* pNode : satList) {
            const SatRecord* pRec = static_cast<const CSatNode*>(pNode)->GetRecord();
            const uint32_t nFirst = pRec->Get(SatField::FirstTpIndex);
            const uint32_t nCount = pRec->Get(SatField::TpCount);
            for (uint32_t k = nFirst; k < nFirst + nCount; ++k)
                tpAt[k]->SetParentId(pNode->GetId());
        }
    }

    if (m_nProgCount != 0) {
        CNodeList& progList = pDb->GetProgList();
        for (uint32_t i = 0; i < m_nProgCount; ++i, p += DB_PROG_SIZE) {
            auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
            ProgRecord* pRec = pProg->GetRecord();
            for (int w = 0; w < 4; ++w)
                pRec->dwWord[w] = ReadBe32(p + 4 * w);
            pRec->SetName(GetNameField(p + 16, PROG_NAME_LEN));
            // Ids equal file positions, so the transponder position is the parent's id.
            pProg->SetParentId(static_cast<int32_t>(pRec->Get(ProgField::TpIndex)));
            progList.Add(std::move(pProg));
        }
    }
    return true;
}

bool CAccessDbOut::BuildImage(CProgDb* pDb, std::vector<uint8_t>& image)
{
    m_pDb = pDb;
    CNodeList& satList = pDb->GetSatList();
    CNodeList& tpList = pDb->GetTpList();
    CNodeList& progList = pDb->GetProgList();

    // Transponders grouped by parent id, each group in list order.
    std::unordered_map<int32_t, std::vector<CTpNode*>> tpsOf;
    for (CNode* pNode : tpList)
        tpsOf[pNode->GetParentId()].push_back(static_cast<CTpNode*>(pNode));
    auto groupOf = [&tpsOf](int32_t nSatId) -> const std::vector<CTpNode*>* {
        auto it = tpsOf.find(nSatId);
        return it == tpsOf.end() ? nullptr : &it->second;
    };

    // Every satellite writes the transponders whose parent is its id (a satellite id that occurs
    // twice writes its transponders twice). T is the number of records that will be written.
    uint64_t nTpTotal = 0;
    size_t nWidestGroup = 0;
    for (CNode* pNode : satList) {
        if (const std::vector<CTpNode*>* pGroup = groupOf(pNode->GetId())) {
            nTpTotal += pGroup->size();
            nWidestGroup = std::max(nWidestGroup, pGroup->size());
        }
    }
    if (uint64_t(satList.GetCount()) > DB_MAX_LINK || nTpTotal > DB_MAX_LINK || nWidestGroup > DB_MAX_LINK) {
        SetLastErrorMsg("Too many records for a program database file: it holds at most 8191 satellites, "
                        "8191 transponders and 8191 transponders of one satellite!");
        return false;
    }
    m_nSatCount = static_cast<uint32_t>(satList.GetCount());
    m_nTpCount = static_cast<uint32_t>(nTpTotal);
    m_nProgCount = static_cast<uint32_t>(progList.GetCount());
    m_tpMap.assign(m_nTpCount, TpMapEntry{0, 0});

    image.clear();
    image.reserve(DB_HEADER_SIZE + 4 + DB_SAT_SIZE * m_nSatCount + DB_TP_SIZE * m_nTpCount +
                  DB_PROG_SIZE * size_t(m_nProgCount));
    image.insert(image.end(), START_MAGIC, START_MAGIC + 4);
    AppendBe32(image, m_nSatCount);
    AppendBe32(image, m_nTpCount);
    AppendBe32(image, m_nProgCount);

    uint32_t nFirst = 0;
    int32_t nSatPos = 0;
    for (CNode* pNode : satList) {
        SatRecord* pRec = static_cast<CSatNode*>(pNode)->GetRecord();
        const std::vector<CTpNode*>* pGroup = groupOf(pNode->GetId());
        const uint32_t n = pGroup ? static_cast<uint32_t>(pGroup->size()) : 0;
        pRec->Set(SatField::FirstTpIndex, nFirst);
        pRec->Set(SatField::TpCount, n);
        for (uint32_t k = nFirst; k < nFirst + n; ++k)
            m_tpMap[k].nSatPos = nSatPos;
        ++nSatPos;
        nFirst += n;
        image.insert(image.end(), pRec->Name, pRec->Name + SAT_NAME_LEN);
        for (int w = 0; w < 3; ++w)
            AppendBe32(image, pRec->dwWord[w]);
    }

    size_t nFilled = 0;
    for (CNode* pNode : satList) {
        const std::vector<CTpNode*>* pGroup = groupOf(pNode->GetId());
        if (!pGroup)
            continue;
        for (CTpNode* pTp : *pGroup) {
            AppendBe32(image, pTp->GetRecord()->dwWord[0]);
            m_tpMap[nFilled++].nTpId = pTp->GetId();
        }
    }

    // The first map entry of each transponder id: the same answer as searching the map from the front.
    std::unordered_map<int32_t, size_t> firstEntry;
    firstEntry.reserve(m_tpMap.size());
    for (size_t k = 0; k < nFilled; ++k)
        firstEntry.emplace(m_tpMap[k].nTpId, k);

    for (CNode* pNode : progList) {
        ProgRecord* pRec = static_cast<CProgNode*>(pNode)->GetRecord();
        auto it = firstEntry.find(pNode->GetParentId());
        if (it != firstEntry.end()) {
            pRec->Set(ProgField::TpIndex, static_cast<uint32_t>(it->second));
            pRec->Set(ProgField::SatIndex, static_cast<uint32_t>(m_tpMap[it->second].nSatPos));
        }
        for (int w = 0; w < 4; ++w)
            AppendBe32(image, pRec->dwWord[w]);
        image.insert(image.end(), pRec->ProgName, pRec->ProgName + PROG_NAME_LEN);
        image.insert(image.end(), 3, 0); // padding
    }
    image.insert(image.end(), END_MAGIC, END_MAGIC + 4);
    m_tpMap.clear();
    return true;
}

bool CAccessDbOut::SaveDb(const std::string& strPath, CProgDb* pDb)
{
    std::vector<uint8_t> image;
    if (!BuildImage(pDb, image))
        return false;
    return WriteImageFile(strPath, image);
}

bool WriteImageFile(const std::string& strPath, const std::vector<uint8_t>& image)
{
    return WriteImageFile(strPath, image.data(), image.size());
}

bool WriteImageFile(const std::string& strPath, const void* pData, size_t nSize)
{
    std::string strError;
    switch (WriteFileAtomic(strPath, pData, nSize, strError)) {
    case WriteResult::Ok:
        return true;
    case WriteResult::CreateFailed:
        SetLastErrorMsg("Open file failed!");
        return false;
    case WriteResult::WriteFailed:
        SetLastErrorMsg("Write file failed! " + strError);
        return false;
    }
    return false;
}
