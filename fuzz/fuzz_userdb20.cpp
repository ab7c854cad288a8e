// The layout 2.0 user-database reader. Input: a big-endian 16-bit address, then the image.

#include "access/AccessUserDb.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 2)
        return 0;
    const uint32_t nAddr = (uint32_t(pData[0]) << 8) | pData[1];
    ClearLastError();
    CProgDb db;
    CFixedUserDbAddr addr(nAddr);
    CAccessUserDbIn in(addr);
    if (!in.LoadDbFromBuffer(pData + 2, nSize - 2, nAddr, &db)) {
        const std::string strError = GetLastErrorMsg();
        FUZZ_CHECK(strError == "File size error!" || strError == "File format error!");
        FUZZ_CHECK(db.IsEmpty());
    }
    return 0;
}
