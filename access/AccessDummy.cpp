#include "access/AccessDummy.h"

#include "access/MessageSink.h"
#include "db/ProgDb.h"

#include <memory>

namespace {

void ApplySatSettings(SatRecord* pRec)
{
    pRec->Set(SatField::Longitude, 0);
    pRec->Set(SatField::Direction, 0);
    pRec->Set(SatField::K22, 3);
    pRec->Set(SatField::DiSEqC12, 2);
    pRec->Set(SatField::LocalFre1, 10); // both outside the table: shown as 5150
    pRec->Set(SatField::LocalFre2, 11);
    pRec->Set(SatField::LnbType, 2);
    pRec->Set(SatField::DisEqCMotor, 1);
    pRec->Set(SatField::V12, 1);
    pRec->Set(SatField::DiSEqC, 1);
}

void ApplyProgSettings(ProgRecord* pRec)
{
    pRec->Set(ProgField::Track, 1);
    pRec->Set(ProgField::FavType, 3);
    pRec->Set(ProgField::Lock, 0);
    pRec->Set(ProgField::Scramble, 1);
    pRec->Set(ProgField::AvType, 1);
    pRec->Set(ProgField::ServiceId, 400);
    pRec->Set(ProgField::APID, 123);
    pRec->Set(ProgField::VPID, 500);
    pRec->Set(ProgField::Hide, 0);
    pRec->Set(ProgField::Skip, 1);
    pRec->Set(ProgField::PCRPID, 200);
    pRec->Set(ProgField::PmtPid, 80);
}

int32_t AddTp(CProgDb* pDb, int32_t nSatId, uint32_t nFrequency)
{
    auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
    TpRecord* pRec = pTp->GetRecord();
    pRec->Set(TpField::Frequency, nFrequency);
    pRec->Set(TpField::SymbolRate, 2000);
    pRec->Set(TpField::Polar, 1);
    pTp->SetParentId(nSatId);
    return pDb->GetTpList().Add(std::move(pTp));
}

void AddProg(CProgDb* pDb, int32_t nTpId, const char* pszName)
{
    auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
    pProg->GetRecord()->SetName(pszName);
    ApplyProgSettings(pProg->GetRecord());
    pProg->SetParentId(nTpId);
    pDb->GetProgList().Add(std::move(pProg));
}

} // namespace

bool CAccessDummyIn::LoadDb(const std::string& /*strPath*/, CProgDb* pDb)
{
    auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
    pSat->GetRecord()->SetName("A3S");
    ApplySatSettings(pSat->GetRecord());
    const int32_t nSatId = pDb->GetSatList().Add(std::move(pSat));

    const int32_t nTpId = AddTp(pDb, nSatId, 1000);
    AddProg(pDb, nTpId, "CCTV-1");
    AddProg(pDb, nTpId, "SHANXI");
    AddTp(pDb, nSatId, 1500);

    auto pSat2 = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
    pSat2->GetRecord()->SetName("\xD6\xD0\xD0\xC7"
                                "6B"); // 中星6B in code page 936
    ApplySatSettings(pSat2->GetRecord());
    pDb->GetSatList().Add(std::move(pSat2));
    return true;
}

bool CAccessDummyOut::SaveDb(const std::string& /*strPath*/, CProgDb* /*pDb*/)
{
    m_sink.ShowMessage("CAccessDummyOut::SaveDb() is called!", APP_NAME, IMessageSink::ICON_NONE);
    return true;
}
