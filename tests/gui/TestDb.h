#pragma once

// Small databases built record by record for the GUI tests.

#include "db/ProgDb.h"

#include <memory>
#include <string>

// nId: the id a firmware record would give the satellite; INVALID_ID takes the list's next id.
inline CSatNode* AddSat(CProgDb& db, const std::string& strName, int32_t nId = INVALID_ID)
{
    auto p = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
    p->GetRecord()->SetName(strName);
    CSatNode* pSat = p.get();
    if (nId == INVALID_ID)
        db.GetSatList().Add(std::move(p));
    else
        db.GetSatList().AddWithId(std::move(p), nId);
    return pSat;
}

inline CTpNode* AddTp(CProgDb& db, int32_t nSatId, uint32_t nFreq, uint32_t nSymbolRate, uint32_t nPolar = 0)
{
    auto p = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
    p->SetParentId(nSatId);
    p->GetRecord()->Set(TpField::Frequency, nFreq);
    p->GetRecord()->Set(TpField::SymbolRate, nSymbolRate);
    p->GetRecord()->Set(TpField::Polar, nPolar);
    CTpNode* pTp = p.get();
    db.GetTpList().Add(std::move(p));
    return pTp;
}

inline CProgNode* AddProg(CProgDb& db, int32_t nTpId, const std::string& strName)
{
    auto p = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
    p->SetParentId(nTpId);
    p->GetRecord()->SetName(strName);
    CProgNode* pProg = p.get();
    db.GetProgList().Add(std::move(p));
    return pProg;
}
