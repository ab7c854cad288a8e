// The program database file reader on arbitrary bytes.

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    ClearLastError();
    CProgDb db;
    CAccessDbIn in;
    if (!in.LoadDbFromBuffer(pData, nSize, &db)) {
        // A failed load leaves nothing behind and always says why.
        FUZZ_CHECK(db.IsEmpty());
        FUZZ_CHECK(HasLastError());
        return 0;
    }
    // Whatever was read can be written and read again with the same satellites and programs.
    std::vector<uint8_t> image;
    CAccessDbOut out;
    if (!out.BuildImage(&db, image))
        return 0; // beyond the 13-bit link fields
    CProgDb again;
    CAccessDbIn in2;
    FUZZ_CHECK(in2.LoadDbFromBuffer(image.data(), image.size(), &again));
    FUZZ_CHECK(again.GetSatList().GetCount() == db.GetSatList().GetCount());
    FUZZ_CHECK(again.GetProgList().GetCount() == db.GetProgList().GetCount());
    FUZZ_CHECK(again.GetTpList().GetCount() <= db.GetTpList().GetCount());
    return 0;
}
