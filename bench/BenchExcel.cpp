// Export of the large database to a spreadsheet workbook and import back, timed against
// `xmllint --noout` parsing the same workbook.
// Usage: bench_excel [DIR] [RUNS] — writes DIR/large.xls (default /tmp), prints the median of RUNS
// runs (default 5) of each. Exit status 1 when the round trip loses anything, 3 when a time target
// (each under 1.5 s and at most 3x xmllint) is missed.

#include "access/LastError.h"
#include "access/MessageSink.h"
#include "bench/BenchUtil.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "sheet/AccessExcel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <vector>

namespace {

// Wall-clock and CPU time of one piece of work; the CPU time (user + system, of this process or
// of the children it waited for) is the steadier figure on a shared machine.
struct Times
{
    double wallMs = 0;
    double cpuMs = 0;
};

double CpuMs(int nWho)
{
    struct rusage ru;
    getrusage(nWho, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

template <class Fn> Times Measure(int nWho, Fn fn)
{
    const double c0 = CpuMs(nWho);
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    const auto t1 = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(t1 - t0).count(), CpuMs(nWho) - c0};
}

Times Median(std::vector<Times> v)
{
    Times m;
    std::sort(v.begin(), v.end(), [](const Times& a, const Times& b) { return a.wallMs < b.wallMs; });
    m.wallMs = v[v.size() / 2].wallMs;
    std::sort(v.begin(), v.end(), [](const Times& a, const Times& b) { return a.cpuMs < b.cpuMs; });
    m.cpuMs = v[v.size() / 2].cpuMs;
    return m;
}

class CPrintSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon) override
    {
        std::fprintf(stderr, "%s: %s\n", strCaption.c_str(), strText.c_str());
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string strPath = strDir + "/large.xls";
    const std::string strLint = "xmllint --noout '" + strPath + "'";
    CProgDb db;
    GenerateLargeDb(db);
    const std::vector<uint8_t> before = DbImage(db);
    CPrintSink sink;

    // The three are run in turn, so that a change in the machine's load touches all of them.
    std::vector<Times> exports, imports, lints;
    for (int i = 0; i < nRuns; ++i) {
        bool bOk = false;
        exports.push_back(Measure(RUSAGE_SELF, [&] {
            CAccessExcelOut out;
            bOk = out.SaveDb(strPath, &db);
        }));
        if (!bOk) {
            std::fprintf(stderr, "export failed: %s\n", GetLastErrorMsg().c_str());
            return 1;
        }
        CProgDb loaded;
        imports.push_back(Measure(RUSAGE_SELF, [&] {
            CAccessExcelIn in(sink);
            bOk = in.LoadDb(strPath, &loaded);
        }));
        if (!bOk || DbImage(loaded) != before) {
            std::fprintf(stderr, "import failed or changed the database: %s\n", GetLastErrorMsg().c_str());
            return 1;
        }
        int nStatus = 0;
        lints.push_back(Measure(RUSAGE_CHILDREN, [&] { nStatus = std::system(strLint.c_str()); }));
        if (nStatus != 0) {
            std::fprintf(stderr, "'%s' failed (status %d); is libxml2-utils installed?\n", strLint.c_str(),
                         nStatus);
            return 1;
        }
    }
    const Times ex = Median(exports), im = Median(imports), lint = Median(lints);

    FILE* f = std::fopen(strPath.c_str(), "rb");
    long nSize = 0;
    if (f) {
        std::fseek(f, 0, SEEK_END);
        nSize = std::ftell(f);
        std::fclose(f);
    }
    std::printf("large workbook (200 satellites, 8000 transponders, 40000 programs), %ld bytes\n", nSize);
    std::printf("median of %d        wall ms   ratio    cpu ms   ratio\n", nRuns);
    std::printf("export           %9.1f  %5.2fx  %8.1f  %5.2fx\n", ex.wallMs, ex.wallMs / lint.wallMs,
                ex.cpuMs, ex.cpuMs / lint.cpuMs);
    std::printf("import           %9.1f  %5.2fx  %8.1f  %5.2fx\n", im.wallMs, im.wallMs / lint.wallMs,
                im.cpuMs, im.cpuMs / lint.cpuMs);
    std::printf("xmllint --noout  %9.1f          %8.1f\n", lint.wallMs, lint.cpuMs);
    const bool bMet =
        ex.wallMs < 1500 && im.wallMs < 1500 && ex.wallMs <= 3 * lint.wallMs && im.wallMs <= 3 * lint.wallMs;
    std::printf("targets (each under 1500 ms and at most 3x xmllint, wall clock): %s\n",
                bMet ? "met" : "MISSED");
    return bMet ? 0 : 3;
}
