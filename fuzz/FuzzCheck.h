#pragma once

// A property the code under test promises, checked on every fuzz input. A broken promise stops the
// run like a crash, so libFuzzer keeps the input as a finding.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                    \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"

#include <cstddef>
#include <cstdint>

// Runs a firmware user-database reader on one fuzz input: a big-endian 16-bit address, then the
// image. check(nAddr, bLoaded, db) states what the reader promises for the result.
template <class TReader, class Check> int FuzzUserDbReader(const uint8_t* pData, size_t nSize, Check check)
{
    if (nSize < 2)
        return 0;
    const uint32_t nAddr = (uint32_t(pData[0]) << 8) | pData[1];
    ClearLastError();
    CProgDb db;
    CFixedUserDbAddr addr(nAddr);
    TReader in(addr);
    const bool bLoaded = in.LoadDbFromBuffer(pData + 2, nSize - 2, nAddr, &db);
    check(nAddr, bLoaded, db);
    return 0;
}
