#pragma once

// Small databases built record by record for the GUI tests.

#include "db/ProgDb.h"

#include <string>

inline CSatNode* AddSat(CProgDb& db, const std::string& strName)
{
    auto* pSat = new CSatNode(0, INVALID_ID, INVALID_ID);
    pSat->GetRecord()->SetName(strName);
    db.GetSatList().Add(pSat);
    return pSat;
}

inline CTpNode* AddTp(CProgDb& db, int32_t nSatId, uint32_t nFreq, uint32_t nSymbolRate, uint32_t nPolar = 0)
{
    auto* pTp = new CTpNode(INVALID_ID, INVALID_ID);
    pTp->SetParentId(nSatId);
    pTp->GetRecord()->Set(TpField::Frequency, nFreq);
    pTp->GetRecord()->Set(TpField::SymbolRate, nSymbolRate);
    pTp->GetRecord()->Set(TpField::Polar, nPolar);
    db.GetTpList().Add(pTp);
    return pTp;
}

inline CProgNode* AddProg(CProgDb& db, int32_t nTpId, const std::string& strName)
{
    auto* pProg = new CProgNode(INVALID_ID, INVALID_ID);
    pProg->SetParentId(nTpId);
    pProg->GetRecord()->SetName(strName);
    db.GetProgList().Add(pProg);
    return pProg;
}
