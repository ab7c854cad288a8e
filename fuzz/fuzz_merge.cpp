// The default-database merge on arbitrary images. Input: one byte choosing the size of the database
// to merge, then the image.

#include "access/AccessDb.h"
#include "access/AccessDftDb.h"
#include "access/LastError.h"
#include "db/ProgDb.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

void FillDb(CProgDb& db, int nSats)
{
    for (int s = 0; s < nSats; ++s) {
        auto pSat = std::make_unique<CSatNode>(0, INVALID_ID, INVALID_ID);
        pSat->GetRecord()->SetName("S");
        const int32_t nSatId = db.GetSatList().Add(std::move(pSat));
        const int32_t nTpId = db.GetTpList().Add(std::make_unique<CTpNode>(INVALID_ID, nSatId));
        db.GetProgList().Add(std::make_unique<CProgNode>(INVALID_ID, nTpId));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 1)
        return 0;
    CProgDb db;
    FillDb(db, pData[0] % 4);
    const std::vector<uint8_t> before(pData + 1, pData + nSize);
    std::vector<uint8_t> image = before;

    ClearLastError();
    CAccessDftDbOut out;
    const bool bOk = out.MergeImage(image, &db);
    FUZZ_CHECK(image.size() == before.size());
    if (!bOk) {
        FUZZ_CHECK(HasLastError());
        FUZZ_CHECK(image == before);
        return 0;
    }
    // Only the area changed: the database image, then 0xFF up to the end of the old filler.
    DftDbArea area;
    FUZZ_CHECK(FindDftDbArea(before.data(), before.size(), area));
    std::vector<uint8_t> dbImage;
    CAccessDbOut dbOut;
    FUZZ_CHECK(dbOut.BuildImage(&db, dbImage));
    FUZZ_CHECK(dbImage.size() <= area.nCapacity);
    FUZZ_CHECK(std::equal(before.begin(), before.begin() + area.nStart, image.begin()));
    FUZZ_CHECK(std::equal(dbImage.begin(), dbImage.end(), image.begin() + area.nStart));
    for (size_t i = area.nStart + dbImage.size(); i < area.nStart + area.nCapacity; ++i)
        FUZZ_CHECK(image[i] == 0xFF);
    FUZZ_CHECK(std::equal(before.begin() + area.nStart + area.nCapacity, before.end(),
                          image.begin() + area.nStart + area.nCapacity));
    return 0;
}
