// JSON write and read of the large database, timed against Python's json.load of the same file.
// Usage: bench_json [DIR] [RUNS] — writes DIR/large.json (default /tmp) and prints the medians of
// RUNS runs (default 9) of each. The three run in turn, so that a change in the machine's load
// touches all of them alike. Exit status 1 when the file does not read back into the same database
// or python3 fails, 3 when the writer or the reader takes more than 1.5 times Python's time.

#include "access/AccessJson.h"
#include "access/JsonDump.h"
#include "access/LastError.h"
#include "bench/BenchTime.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint32_t CODE_PAGE = 1252;

template <class Fn> double WallMs(Fn fn)
{
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    return MsSince(t0);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const std::string strPath = strDir + "/large.json";
    // Python's whole run, from the start of the interpreter: the command the target names.
    const std::string strPython =
        "python3 -c \"import json,sys; json.load(open(sys.argv[1]))\" '" + strPath + "'";
    CProgDb db;
    GenerateLargeDb(db);
    const std::string expected = DumpJson(db, CODE_PAGE);

    std::vector<double> writes, reads, pythons;
    for (int i = 0; i < nRuns; ++i) {
        bool bOk = false;
        writes.push_back(WallMs([&] {
            CAccessJsonOut out(CODE_PAGE);
            bOk = out.SaveDb(strPath, &db);
        }));
        if (!bOk) {
            std::fprintf(stderr, "write failed: %s\n", GetLastErrorMsg().c_str());
            return 1;
        }
        CProgDb loaded;
        reads.push_back(WallMs([&] {
            CAccessJsonIn in(CODE_PAGE);
            bOk = in.LoadDb(strPath, &loaded);
        }));
        if (!bOk || DumpJson(loaded, CODE_PAGE) != expected) {
            std::fprintf(stderr, "read failed or changed the database: %s\n", GetLastErrorMsg().c_str());
            return 1;
        }
        int nStatus = 0;
        pythons.push_back(WallMs([&] { nStatus = std::system(strPython.c_str()); }));
        if (nStatus != 0) {
            std::fprintf(stderr, "'%s' failed (status %d)\n", strPython.c_str(), nStatus);
            return 1;
        }
    }
    const double w = Median(writes), r = Median(reads), py = Median(pythons);
    std::printf("large .json (200 satellites, 8000 transponders, 40000 programs), %zu bytes\n",
                expected.size());
    std::printf("median of %d              wall ms   x python\n", nRuns);
    std::printf("write (CAccessJsonOut)  %8.1f   %6.2f\n", w, w / py);
    std::printf("read (CAccessJsonIn)    %8.1f   %6.2f\n", r, r / py);
    std::printf("python3 json.load       %8.1f\n", py);
    const bool bMet = w <= 1.5 * py && r <= 1.5 * py;
    std::printf("target (each at most 1.5x python3 json.load): %s\n", bMet ? "met" : "MISSED");
    return bMet ? 0 : 3;
}
