// Printing the large database, on the offscreen platform: the print preview until its first page is
// drawn (the options' table built, every page laid out, the first pages painted into the preview, the
// dialog's window rendered) and until it holds every page painted, and the PDF of every program
// written to a file, for three choices of options.
// Usage: bench_print [DIR] [RUNS] — writes DIR/large-*.pdf (default /tmp), prints the medians of
// RUNS runs (default 3). Exit status 1 when a preview or a PDF is not what the layout gives, 3 when a
// figure misses its target (first page under 1 s, the PDF under 10 s).

#include "app/ChannelPrint.h"
#include "bench/BenchTime.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct SCase
{
    const char* pszName;
    SPrintOptions::What nWhat;
    SChannelColumns columns;
    int nEntryColumns;
};

// The pages of a PDF file as its page tree counts them: the "/Type /Pages" object's "/Count".
int PdfPageCount(const std::string& strPath)
{
    FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (!pFile)
        return -1;
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pFile)) > 0)
        data.append(buf, n);
    std::fclose(pFile);
    const size_t nPages = data.find("/Type /Pages");
    const size_t nCount = nPages == std::string::npos ? std::string::npos : data.find("/Count ", nPages);
    return nCount == std::string::npos ? -1 : std::atoi(data.c_str() + nCount + 7);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string strDir = argc > 1 ? argv[1] : "/tmp";
    const int nRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    CProgDb db;
    GenerateLargeDb(db);
    SPrintSource source;
    source.pDb = &db;
    source.strTitle = QStringLiteral("large.db");
    source.nCodePage = 1252;
    for (int32_t i = 0; i < db.GetProgList().GetCount(); ++i)
        source.listedPlaces.push_back(i);

    SChannelColumns all;
    all.bTransponder = all.bServiceId = all.bPids = all.bFlags = true;
    const SCase cases[] = {
        {"whole database, number and name, 2 columns", SPrintOptions::WHAT_DATABASE, {}, 2},
        {"whole database, every column", SPrintOptions::WHAT_DATABASE, all, 1},
        {"as listed, number and name, 4 columns", SPrintOptions::WHAT_LISTED, {}, 4},
    };

    bool bMet = true;
    std::printf("large database (200 satellites, 8000 transponders, 40000 programs), A4, median of %d\n",
                nRuns);
    std::printf("%-46s %6s %12s %12s %10s\n", "options", "pages", "1st page ms", "all pages ms", "PDF ms");
    for (const SCase& c : cases) {
        SPrintOptions options;
        options.nWhat = c.nWhat;
        options.columns = c.columns;
        options.nEntryColumns = c.nEntryColumns;

        int nPages = 0;
        std::vector<double> previews, completes, pdfs;
        for (int nRun = 0; nRun < nRuns; ++nRun) {
            const auto t0 = std::chrono::steady_clock::now();
            CChannelPrintLayout layout = MakePrintLayout(source, options);
            CPrintPreview preview(layout, nullptr);
            preview.GetDialog()->show();
            QPrintPreviewWidget* pWidget = preview.GetDialog()->findChild<QPrintPreviewWidget*>();
            while (!pWidget || pWidget->pageCount() == 0)
                QApplication::processEvents();
            preview.GetDialog()->grab(); // draws the window with the first page
            previews.push_back(MsSince(t0));
            nPages = layout.GetPageCount();
            const int nFirstCount = pWidget->pageCount();
            while (!preview.IsComplete())
                QApplication::processEvents();
            completes.push_back(MsSince(t0));
            if (nFirstCount != nPages || pWidget->pageCount() != nPages) {
                std::fprintf(stderr, "%s: the preview has %d and then %d pages, the layout %d\n", c.pszName,
                             nFirstCount, pWidget->pageCount(), nPages);
                return 1;
            }
            preview.GetDialog()->hide();

            const std::string strPath = strDir + "/large-" + std::to_string(&c - cases) + ".pdf";
            const auto t1 = std::chrono::steady_clock::now();
            CChannelPrintLayout pdfLayout = MakePrintLayout(source, options);
            const PdfResult nResult = WritePdf(pdfLayout, strPath);
            pdfs.push_back(MsSince(t1));
            if (nResult != PdfResult::Written || PdfPageCount(strPath) != pdfLayout.GetPageCount()) {
                std::fprintf(stderr, "%s: the PDF was not written with its %d pages\n", c.pszName,
                             pdfLayout.GetPageCount());
                return 1;
            }
        }
        const double dPreview = Median(previews), dComplete = Median(completes), dPdf = Median(pdfs);
        std::printf("%-46s %6d %12.0f %12.0f %10.0f\n", c.pszName, nPages, dPreview, dComplete, dPdf);
        bMet = bMet && dPreview < 1000 && dPdf < 10000;
    }
    std::printf("targets (preview's first page under 1 s, the PDF under 10 s): %s\n",
                bMet ? "met" : "MISSED");
    return bMet ? 0 : 3;
}
