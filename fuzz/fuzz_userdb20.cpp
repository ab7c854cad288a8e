// The layout 2.0 user-database reader. Input: a big-endian 16-bit address, then the image.

#include "access/AccessUserDb.h"
#include "fuzz/FuzzCheck.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzUserDbReader<CAccessUserDbIn>(pData, nSize, [](uint32_t, bool bLoaded, const CProgDb& db) {
        if (!bLoaded) {
            const std::string strError = GetLastErrorMsg();
            FUZZ_CHECK(strError == "File size error!" || strError == "File format error!");
            FUZZ_CHECK(db.IsEmpty());
        }
    });
}
