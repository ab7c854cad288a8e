// The layout 2.5 user-database reader. Input: a big-endian 16-bit address, then the image.

#include "access/AccessUserDb25.h"
#include "fuzz/FuzzCheck.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    return FuzzUserDbReader<CAccessUserDb25In>(
        pData, nSize, [](uint32_t nAddr, bool bLoaded, const CProgDb& db) {
            if (!bLoaded) {
                // Address 0 reads nothing and says nothing.
                const std::string strError = GetLastErrorMsg();
                FUZZ_CHECK(nAddr != 0 || !HasLastError());
                FUZZ_CHECK(nAddr == 0 || strError == "File size error!" || strError == "File format error!");
                FUZZ_CHECK(db.IsEmpty());
            }
        });
}
