// Export of the large database to a spreadsheet workbook and import back, timed against
// `xmllint --noout` parsing the same workbook.
// Usage: bench_excel [DIR] [RUNS] — writes DIR/large.xls (default /tmp), prints the median of RUNS
// runs (default 5) of each. Exit status 1 when the round trip loses anything, 3 when a time target
// (each under 1.5 s and at most 3x xmllint) is missed.

#include "access/AccessDb.h"
#include "access/LastError.h"
#include "access/MessageSink.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "sheet/AccessExcel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

template <class Fn> double MedianMs(int nRuns, Fn fn)
{
    std::vector<double> ms;
    for (int i = 0; i < nRuns; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

class CPrintSink : public IMessageSink
{
public:
    void ShowMessage(const std::string& strText, const std::string& strCaption, Icon) override
    {
        std::fprintf(stderr, "%s: %s\n", strCaption.c_str(), strText.c_str());
    }
};

std::vector<uint8_t> Image(CProgDb& db)
{
    std::vector<uint8_t> image;
    CAccessDbOut out;
    out.BuildImage(&db, image);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string strPath = strDir + "/large.xls";
    CProgDb db;
    GenerateLargeDb(db);
    const std::vector<uint8_t> before = Image(db);

    bool bOk = true;
    const double exportMs = MedianMs(nRuns, [&] {
        CAccessExcelOut out;
        bOk = out.SaveDb(strPath, &db) && bOk;
    });
    if (!bOk) {
        std::fprintf(stderr, "export failed: %s\n", GetLastErrorMsg().c_str());
        return 1;
    }
    CPrintSink sink;
    std::vector<uint8_t> after;
    const double importMs = MedianMs(nRuns, [&] {
        CProgDb loaded;
        CAccessExcelIn in(sink);
        bOk = in.LoadDb(strPath, &loaded) && bOk;
        after = Image(loaded);
    });
    if (!bOk || after != before) {
        std::fprintf(stderr, "import failed or changed the database: %s\n", GetLastErrorMsg().c_str());
        return 1;
    }

    const std::string strLint = "xmllint --noout '" + strPath + "'";
    int nLintStatus = 0;
    const double lintMs = MedianMs(nRuns, [&] { nLintStatus = std::system(strLint.c_str()); });
    if (nLintStatus != 0) {
        std::fprintf(stderr, "'%s' failed (status %d); is libxml2-utils installed?\n", strLint.c_str(),
                     nLintStatus);
        return 1;
    }

    FILE* f = std::fopen(strPath.c_str(), "rb");
    long nSize = 0;
    if (f) {
        std::fseek(f, 0, SEEK_END);
        nSize = std::ftell(f);
        std::fclose(f);
    }
    std::printf("large workbook (200 satellites, 8000 transponders, 40000 programs), %.1f MB\n", nSize / 1e6);
    std::printf("export:           %8.1f ms (median of %d)  %.2fx xmllint\n", exportMs, nRuns,
                exportMs / lintMs);
    std::printf("import:           %8.1f ms (median of %d)  %.2fx xmllint\n", importMs, nRuns,
                importMs / lintMs);
    std::printf("xmllint --noout:  %8.1f ms (median of %d)\n", lintMs, nRuns);
    const bool bMet = exportMs < 1500 && importMs < 1500 && exportMs <= 3 * lintMs && importMs <= 3 * lintMs;
    std::printf("targets (each < 1500 ms and <= 3x xmllint): %s\n", bMet ? "met" : "MISSED");
    return bMet ? 0 : 3;
}
