#include "access/AccessUserDbBase.h"

#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "platform/FileIO.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Copies the record at nOffset of view into a zeroed buffer of nLayoutSize bytes: the stated
// record length rounded down to whole words, at most nLayoutSize bytes of it. Bytes the record
// does not cover stay zero. False when the stated record would reach past the end of the view.
bool CopyRecord(const CByteView& view, uint64_t nOffset, uint32_t nRecLen, uint8_t* pBuffer,
                size_t nLayoutSize)
{
    std::memset(pBuffer, 0, nLayoutSize);
    const size_t nBytes = (nRecLen / 4) * 4;
    if (nOffset > view.Size() || !view.Has(static_cast<size_t>(nOffset), nBytes))
        return false;
    std::memcpy(pBuffer, view.Data() + nOffset, nBytes < nLayoutSize ? nBytes : nLayoutSize);
    return true;
}

} // namespace

CAccessUserDbBase::CAccessUserDbBase(IUserDbAddrSource& addr, const CLayout& layout)
    : m_addr(addr), m_layout(layout)
{}

uint32_t CAccessUserDbBase::LnbFieldIndex(uint32_t nFreq)
{
    const int nIndex = LnbFreqToIndex(nFreq);
    return nIndex < 0 ? 15u : static_cast<uint32_t>(nIndex);
}

bool CAccessUserDbBase::ReadHeader(const CByteView& view, uint64_t nPos, CBlockHeader& h) const
{
    if (nPos > view.Size() || !view.Has(static_cast<size_t>(nPos), HeaderSize()))
        return false;
    DecodeHeader(view.Data() + nPos, h);
    return true;
}

CAccessUserDbBase::Lookup CAccessUserDbBase::CheckValid(const CByteView& view, uint64_t nPos,
                                                        const CBlockHeader& h) const
{
    if (h.dwMagic != BLOCK_MAGIC)
        return Lookup::NotFound;
    if (h.wCount != 0)
        return Lookup::Found;
    uint32_t dwEnd = 0;
    if (!view.Be32(static_cast<size_t>(nPos + HeaderSize()), dwEnd))
        return Lookup::Broken;
    return dwEnd == END_MARKER ? Lookup::Found : Lookup::NotFound;
}

bool CAccessUserDbBase::Fail(CProgDb* pDb)
{
    SetLastErrorMsg("File format error!");
    pDb->Clear();
    return false;
}

bool CAccessUserDbBase::LoadDb(const std::string& strPath, CProgDb* pDb)
{
    const uint32_t nAddr = m_addr.AskUserDbAddr(TakesAddr(0));
    if (!TakesAddr(nAddr))
        return false;
    std::vector<uint8_t> data;
    switch (ReadWholeFile(strPath, data)) {
    case ReadResult::OpenFailed:
        return false;
    case ReadResult::ShortRead:
        SetLastErrorMsg("File size error!");
        return false;
    case ReadResult::Ok:
        break;
    }
    return LoadDbFromBuffer(data.data(), data.size(), nAddr, pDb);
}

bool CAccessUserDbBase::LoadDbFromBuffer(const uint8_t* pData, size_t nSize, uint32_t nAddr, CProgDb* pDb)
{
    if (!TakesAddr(nAddr))
        return false;
    if (nSize <= nAddr) {
        SetLastErrorMsg("File size error!");
        return false;
    }
    const CByteView image(pData, nSize);
    CRegion region{image, 0};
    if (!Locate(image, nAddr, region))
        return Fail(pDb);
    m_nFoundAddr = static_cast<uint64_t>(region.view.Data() - image.Data());
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        uint64_t nBlock = 0;
        CBlockHeader h;
        switch (FindBlock(region, nKind, nBlock, h)) {
        case Lookup::Broken:
            return Fail(pDb);
        case Lookup::NotFound:
            continue;
        case Lookup::Found:
            if (!ReadRecords(region.view, nBlock, h, nKind, pDb->GetList(nKind)))
                return Fail(pDb);
            break;
        }
    }
    return true;
}

std::string CAccessUserDbBase::DescribeEmptyResult() const
{
    char szAddr[32];
    std::snprintf(szAddr, sizeof(szAddr), "0x%llX", static_cast<unsigned long long>(m_nFoundAddr));
    return std::string("No channel records were found at address ") + szAddr + " (layout " +
           m_layout.pszName + ").";
}

bool CAccessUserDbBase::ReadRecords(const CByteView& view, uint64_t nBlock, const CBlockHeader& h,
                                    NodeType nKind, CNodeList& list) const
{
    const size_t nLayoutSize = m_layout.nRecordSize[nKind];
    uint8_t buffer[MAX_RECORD_SIZE];
    for (uint32_t i = 0; i < h.wCount; ++i) {
        // Entries lie nStride bytes apart, each at a whole word.
        const uint64_t nEntry = nBlock + HeaderSize() + 4 * ((uint64_t(i) * h.nStride) / 4);
        uint32_t dwOffset = 0;
        if (nEntry > view.Size() || !view.Be32(static_cast<size_t>(nEntry), dwOffset))
            return false;
        if (!CopyRecord(view, dwOffset, h.wRecLen, buffer, nLayoutSize))
            return false;
        int32_t nRecordId = INVALID_ID;
        std::unique_ptr<CNode> pNode = DecodeRecord(nKind, buffer, nRecordId);
        if (nRecordId == INVALID_ID)
            list.Add(std::move(pNode));
        else
            list.AddWithId(std::move(pNode), nRecordId);
    }
    return true;
}

std::unique_ptr<CNode> CAccessUserDbBase::DecodeRecord(NodeType nKind, const uint8_t* r,
                                                       int32_t& nRecordId) const
{
    const uint32_t w0 = Word(r, 0);
    if (nKind == NODE_SAT) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
        SatRecord* pRec = pSat->GetRecord();
        pRec->Set(SatField::Longitude, GetBits(w0, 1, 11));
        pRec->Set(SatField::Direction, GetBits(w0, 0, 1));
        // 15 name bytes as they stand; the 16th byte of the name field terminates it.
        std::memcpy(pRec->Name, r + m_layout.nSatNameAt, SAT_NAME_LEN - 1);
        pRec->Name[SAT_NAME_LEN - 1] = 0;
        DecodeSatFields(r, *pRec);
        nRecordId = static_cast<int32_t>(GetBits(w0, 16, 16));
        return pSat;
    }
    if (nKind == NODE_TP) {
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
        DecodeTpFields(r, *pTp->GetRecord());
        pTp->SetParentId(static_cast<int32_t>(GetBits(w0, 16, 16)));
        nRecordId = static_cast<int32_t>(GetBits(w0, 0, 16));
        return pTp;
    }
    auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
    ProgRecord* pRec = pProg->GetRecord();
    const uint32_t w1 = Word(r, 1), w2 = Word(r, 2), w3 = Word(r, 3);
    pRec->Set(ProgField::ServiceId, GetBits(w1, 16, 16));
    pRec->Set(ProgField::VPID, GetBits(w2, 19, 13));
    pRec->Set(ProgField::PCRPID, GetBits(w2, 6, 13));
    pRec->Set(ProgField::APID, GetBits(w3, 19, 13));
    pRec->Set(ProgField::PmtPid, GetBits(w3, 6, 13));
    std::memcpy(pRec->ProgName, r + 28, PROG_NAME_LEN - 1);
    pRec->ProgName[PROG_NAME_LEN - 1] = 0;
    DecodeProgFields(r, *pRec);
    pProg->SetParentId(static_cast<int32_t>(GetBits(w0, 0, 16)));
    nRecordId = INVALID_ID; // programs keep the ids the list hands out
    return pProg;
}
