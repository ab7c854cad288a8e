// Reading the user database of a 2 MiB firmware image, both layouts.
// Usage: bench_firmware [DIR] — writes DIR/fw20.bin and DIR/fw25.bin (default /tmp) and prints the
// median of 15 loads of each, from the file. Exits 1 when a load fails, reads the wrong number of
// records, or misses the 20 ms target.

#include "access/AccessUserDb.h"
#include "access/AccessUserDb25.h"
#include "access/LastError.h"
#include "access/UserDbAddr.h"
#include "db/ProgDb.h"
#include "tests/access/UserDbImage.h"
#include "bench/BenchTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t IMAGE_SIZE = 2 * 1024 * 1024;
constexpr uint32_t ADDR = 0x110000;
constexpr double TARGET_MS = 20.0;
// 200 satellites with 20 transponders each, 3 programs on every transponder: the region from
// 0x110000 to the end of a 2 MiB image holds about this much.
constexpr size_t SATS = 200, TPS_PER_SAT = 20, PROGS_PER_TP = 3;

bool WriteFile(const std::string& strPath, const std::vector<uint8_t>& data)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

// Loads strPath 15 times with a fresh reader and database; false when any load fails or reads
// other counts than the image holds.
template <class TReader> bool Bench(const char* pszName, const std::string& strPath, uint32_t nAddr)
{
    bool bOk = true;
    const double ms = MedianMs(15, [&] {
        CProgDb db;
        CFixedUserDbAddr addr(nAddr);
        TReader in(addr);
        bOk = in.LoadDb(strPath, &db) && bOk;
        bOk = bOk && db.GetSatList().GetCount() == int32_t(SATS) &&
              db.GetTpList().GetCount() == int32_t(SATS * TPS_PER_SAT) &&
              db.GetProgList().GetCount() == int32_t(SATS * TPS_PER_SAT * PROGS_PER_TP);
    });
    if (!bOk) {
        std::fprintf(stderr, "%s: load failed or incomplete: %s\n", pszName, GetLastErrorMsg().c_str());
        return false;
    }
    std::printf("%s: %.2f ms (median of 15)%s\n", pszName, ms, ms < TARGET_MS ? "" : "  ABOVE TARGET");
    return ms < TARGET_MS;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const TestImage::Db db = TestImage::MakeDb(SATS, TPS_PER_SAT, PROGS_PER_TP);

    TestImage::CImage img20(ADDR, 0xFF);
    TestImage::UserDb20(img20, ADDR, db);
    TestImage::CImage img25(ADDR, 0xFF);
    TestImage::UserDb25(img25, ADDR, db);
    if (img20.Size() > IMAGE_SIZE || img25.Size() > IMAGE_SIZE) {
        std::fprintf(stderr, "the user database does not fit into 2 MiB\n");
        return 1;
    }
    img20.Resize(IMAGE_SIZE);
    img25.Resize(IMAGE_SIZE);
    const std::string str20 = strDir + "/fw20.bin", str25 = strDir + "/fw25.bin";
    if (!WriteFile(str20, img20.Data()) || !WriteFile(str25, img25.Data())) {
        std::fprintf(stderr, "cannot write the images into %s\n", strDir.c_str());
        return 1;
    }

    std::printf("2 MiB image, user database at 0x110000: %zu satellites, %zu transponders, %zu programs\n",
                SATS, SATS * TPS_PER_SAT, SATS * TPS_PER_SAT * PROGS_PER_TP);
    bool bOk = Bench<CAccessUserDbIn>("layout 2.0, address 110000", str20, ADDR);
    bOk = Bench<CAccessUserDbIn>("layout 2.0, Auto (search from 0)", str20, 0) && bOk;
    bOk = Bench<CAccessUserDb25In>("layout 2.5, address 110000", str25, ADDR) && bOk;
    return bOk ? 0 : 1;
}
