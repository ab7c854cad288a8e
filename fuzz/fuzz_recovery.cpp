// The recovery copy reader on arbitrary bytes: once as they are, and once with the right checksum
// appended, so that the fuzzer gets past the checksum into the texts, lists and records.

#include "access/RecoveryFile.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void Check(const uint8_t* pData, size_t nSize)
{
    RecoveryInfo info;
    CProgDb db;
    std::string strError;
    if (ParseRecoveryImage(pData, nSize, info, &db, strError) != RecoveryRead::Ok) {
        // A refused copy leaves nothing behind and says why.
        FUZZ_CHECK(db.IsEmpty());
        FUZZ_CHECK(strError.rfind("recovery copy: ", 0) == 0);
        return;
    }
    // A copy that reads is exactly what the writer makes of what was read.
    const std::vector<uint8_t> again = BuildRecoveryImage(info, db);
    FUZZ_CHECK(again.size() == nSize);
    FUZZ_CHECK(std::equal(again.begin(), again.end(), pData));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    Check(pData, nSize);
    std::vector<uint8_t> sealed(pData, pData + nSize);
    AppendBe32(sealed, RecoveryChecksum(sealed.data(), sealed.size()));
    Check(sealed.data(), sealed.size());
    return 0;
}
