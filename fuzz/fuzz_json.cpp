// The JSON reader on arbitrary text, and the check and its fix on whatever it accepted.

#include "access/AccessJson.h"
#include "access/JsonDump.h"
#include "access/LastError.h"
#include "db/Check.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const uint32_t nCodePage = 1252;
    ClearLastError();
    CProgDb db;
    CAccessJsonIn in(nCodePage);
    if (!in.LoadDbFromBuffer(reinterpret_cast<const char*>(pData), nSize, &db)) {
        // A failed load adds nothing and always says where.
        FUZZ_CHECK(db.IsEmpty());
        FUZZ_CHECK(GetLastErrorMsg().compare(0, 6, "JSON: ") == 0);
        return 0;
    }
    // What was read writes a text that reads back into the same database.
    const std::string text = DumpJson(db, nCodePage);
    CProgDb again;
    CAccessJsonIn in2(nCodePage);
    FUZZ_CHECK(in2.LoadDbFromBuffer(text.data(), text.size(), &again));
    FUZZ_CHECK(DumpJson(again, nCodePage) == text);

    // After the fix nothing fixable is left, and reverting it gives back the database.
    CDbFix fix = FixDb(db);
    for (const CCheckFinding& finding : CheckDb(db))
        FUZZ_CHECK(!finding.bFixable);
    RevertFix(db, fix);
    FUZZ_CHECK(DumpJson(db, nCodePage) == text);
    return 0;
}
