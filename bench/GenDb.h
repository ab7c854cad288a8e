#pragma once

// Generator of large channel databases for benchmarks: deterministic contents, every field set,
// records in export order (transponders grouped by satellite, programs by transponder).

#include "db/ProgDb.h"

#include <cstdint>
#include <memory>
#include <string>

inline void GenerateLargeDb(CProgDb& db, int nSats = 200, int nTps = 8000, int nProgs = 40000)
{
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int s = 0; s < nSats; ++s) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
        SatRecord* r = pSat->GetRecord();
        r->SetName("Sat " + std::to_string(s) + (s % 3 ? " E" : " W"));
        r->Set(SatField::Longitude, next());
        r->Set(SatField::Direction, next());
        r->Set(SatField::K22, next());
        r->Set(SatField::DiSEqC12, next());
        r->Set(SatField::LocalFre1, next() % 10);
        r->Set(SatField::LocalFre2, next() % 10);
        r->Set(SatField::LnbType, next());
        r->Set(SatField::DisEqCMotor, next());
        r->Set(SatField::V12, next());
        r->Set(SatField::DiSEqC, next());
        r->Set(SatField::TunerSel, next());
        db.GetSatList().Add(std::move(pSat));
    }
    for (int t = 0; t < nTps; ++t) {
        auto pTp = std::make_unique<CTpNode>(INVALID_ID, INVALID_ID);
        TpRecord* r = pTp->GetRecord();
        r->Set(TpField::Frequency, 10700 + static_cast<uint32_t>(t % 2000));
        r->Set(TpField::SymbolRate, 22000 + static_cast<uint32_t>(t / 2000) * 1000 + next() % 500);
        r->Set(TpField::Polar, static_cast<uint32_t>(t & 1));
        pTp->SetParentId(nSats > 0 ? static_cast<int32_t>(static_cast<int64_t>(t) * nSats / nTps)
                                   : INVALID_ID);
        db.GetTpList().Add(std::move(pTp));
    }
    for (int p = 0; p < nProgs; ++p) {
        auto pProg = std::make_unique<CProgNode>(INVALID_ID, INVALID_ID);
        ProgRecord* r = pProg->GetRecord();
        r->SetName("Program " + std::to_string(p) + " HD");
        r->Set(ProgField::Track, next());
        r->Set(ProgField::FavType, next());
        r->Set(ProgField::Lock, next());
        r->Set(ProgField::Scramble, next());
        r->Set(ProgField::AvType, next());
        r->Set(ProgField::ServiceId, next());
        r->Set(ProgField::APID, next());
        r->Set(ProgField::VPID, next());
        r->Set(ProgField::TunerSel, next());
        r->Set(ProgField::Skip, next());
        r->Set(ProgField::Hide, next());
        r->Set(ProgField::PCRPID, next());
        r->Set(ProgField::PmtPid, next());
        pProg->SetParentId(nTps > 0 ? static_cast<int32_t>(static_cast<int64_t>(p) * nTps / nProgs)
                                    : INVALID_ID);
        db.GetProgList().Add(std::move(pProg));
    }
}
