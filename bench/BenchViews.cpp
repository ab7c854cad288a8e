// The editor's panes on a large database, on the offscreen platform: tree rebuild, the "All Prog"
// list of 40,000 programs (built and drawn), Delete of a satellite with all its children, and the
// resident memory afterwards.
// Usage: bench_views — prints the median of 11 runs each.

#include "bench/BenchTime.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"

#include <QApplication>
#include <QFile>
#include <QSplitter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

long ResidentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QSplitter frame;
    auto* pTree = new CProgBrowseView(&frame);
    auto* pList = new CProgListView(&frame);
    frame.addWidget(pTree);
    frame.addWidget(pList);
    QObject::connect(pTree, &CProgBrowseView::RecordsRequested, pList, &CProgListView::ShowRecords);
    QObject::connect(pList, &CProgListView::TreeRecordsChanged, pTree, &CProgBrowseView::RefreshTree);
    frame.resize(1000, 700);
    frame.show();
    QApplication::processEvents();

    CProgDb db;
    GenerateLargeDb(db);
    pList->ShowDb(&db);

    const double treeMs = MedianMs(
        11, [] {},
        [&] {
            pTree->ShowDb(&db);
            pTree->repaint();
        });

    const double allProgMs = MedianMs(
        11,
        [&] {
            pTree->setCurrentItem(nullptr);
            pList->ShowDb(&db);
        },
        [&] {
            pTree->setCurrentItem(pTree->GetAllProgItem());
            pList->repaint();
        });
    const int nAllRows = pList->GetRowCount();
    const long nRssKiB = ResidentKiB();

    // Each run deletes the first satellite of a fresh large database.
    std::vector<int> remaining;
    const double deleteMs = MedianMs(
        11,
        [&] {
            db.Clear();
            GenerateLargeDb(db);
            pTree->ShowDb(&db);
            pList->ShowDb(&db);
            pTree->setCurrentItem(pTree->GetSatGroupItem());
            pList->clearSelection();
            pList->SelectRow(0);
        },
        [&] {
            pList->DeleteSelected();
            pList->repaint();
        });
    const int nSatsLeft = db.GetSatList().GetCount();
    const int nTpsLeft = db.GetTpList().GetCount();
    const int nProgsLeft = db.GetProgList().GetCount();

    if (nAllRows != 40000 || nSatsLeft != 199 || nTpsLeft != 7960 || nProgsLeft != 39800) {
        std::fprintf(stderr, "benchmark failed: %d rows, %d/%d/%d records after delete\n", nAllRows,
                     nSatsLeft, nTpsLeft, nProgsLeft);
        return 1;
    }
    std::printf("large database (200 satellites, 8000 transponders, 40000 programs)\n");
    std::printf("tree rebuild: %.2f ms (median of 11)\n", treeMs);
    std::printf("All Prog list of %d programs: %.2f ms (median of 11)\n", nAllRows, allProgMs);
    std::printf("delete a satellite with 40 transponders and 200 programs: %.2f ms (median of 11)\n",
                deleteMs);
    std::printf("resident memory with the large database shown: %.1f MB\n", nRssKiB / 1024.0);
    return 0;
}
