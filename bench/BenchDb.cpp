// Load and save of a large program database file, and the editor's recovery copy of it.
// Usage: bench_db [DIR] — writes DIR/large.db and DIR/large.rvr (default /tmp) and prints the median of
// 15 runs each.

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "access/RecoveryFile.h"
#include "bench/BenchTime.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const std::string strPath = strDir + "/large.db";
    CProgDb db;
    GenerateLargeDb(db);

    bool bOk = true;
    const double saveMs = MedianMs(15, [&] {
        CAccessDbOut out;
        bOk = out.SaveDb(strPath, &db) && bOk;
    });
    size_t nSats = 0, nTps = 0, nProgs = 0;
    const double loadMs = MedianMs(15, [&] {
        CProgDb loaded;
        CAccessDbIn in;
        bOk = in.LoadDb(strPath, &loaded) && bOk;
        nSats = loaded.GetSatList().GetCount();
        nTps = loaded.GetTpList().GetCount();
        nProgs = loaded.GetProgList().GetCount();
    });
    // The recovery copy is written on the editor's GUI thread, a few seconds after a change.
    const std::string strCopy = strDir + "/large.rvr";
    RecoveryInfo info;
    info.strPath = strPath;
    info.strFormat = "db";
    info.strName = "large.db";
    std::string strError;
    const double copyMs = MedianMs(15, [&] { bOk = WriteRecoveryFile(strCopy, info, db, strError) && bOk; });
    size_t nCopyProgs = 0;
    const double readCopyMs = MedianMs(15, [&] {
        CProgDb back;
        bOk = ReadRecoveryFile(strCopy, info, &back, strError) == RecoveryRead::Ok && bOk;
        nCopyProgs = back.GetProgList().GetCount();
    });
    if (!bOk || nSats != 200 || nTps != 8000 || nProgs != 40000 || nCopyProgs != 40000) {
        std::fprintf(stderr, "benchmark failed: %s %s (%zu/%zu/%zu records)\n", GetLastErrorMsg().c_str(),
                     strError.c_str(), nSats, nTps, nProgs);
        return 1;
    }
    std::printf("large .db (200 satellites, 8000 transponders, 40000 programs)\n");
    std::printf("save: %.2f ms (median of 15)\n", saveMs);
    std::printf("load: %.2f ms (median of 15)\n", loadMs);
    std::printf("write the recovery copy: %.2f ms (median of 15)\n", copyMs);
    std::printf("read the recovery copy: %.2f ms (median of 15)\n", readCopyMs);
    return 0;
}
