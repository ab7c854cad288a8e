// The reference list in the editor on the large database, on the offscreen platform, in a frame of
// 1400 x 800 pixels: the edited list is a rescan (every list shuffled, 1% renamed, 1% removed) and
// the reference the large database, both listing "All Prog". Times, with both panes refreshed and
// repainted: Compare With Reference turned on (matching, differences, marks); Order Like Reference
// with names, flags and the missing records; its undo. After the order the edited list's .db image
// must be the reference's, after the undo the rescan's.
// Usage: bench_reference_views [DIR] — reads DIR/large.db and DIR/large-rescan.db, which bench_match
// writes (default /tmp). Prints medians of 11 runs; exit status 1 when a result is wrong, 3 when a
// median misses its target (200 ms for the comparison and the order, 50 ms for the undo).

#include "access/AccessDb.h"
#include "app/MainFrame.h"
#include "app/OrderLikeDlg.h"
#include "app/Prompt.h"
#include "app/ReferenceCommands.h"
#include "bench/BenchUtil.h"
#include "db/ProgDb.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListView.h"
#include "views/ReferencePane.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int RUNS = 11;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings; // the frame reads and writes its settings
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString strDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");

    CQtPrompt prompt;
    CMainFrame frame(prompt);
    frame.resize(1400, 800);
    frame.show();
    CAccessDbIn in;
    CReferenceCommands* pRefs = frame.GetReferenceCommands();
    if (!frame.LoadPath(in, strDir + QStringLiteral("/large-rescan.db")) ||
        !pRefs->OpenReference(strDir + QStringLiteral("/large.db"), "db")) {
        std::fprintf(stderr, "run bench_match %s first\n", qPrintable(strDir));
        return 1;
    }
    CProgDb& db = *frame.GetDb();
    CProgDb& ref = *pRefs->GetReference()->GetDb();
    const std::vector<uint8_t> rescan = DbImage(db), original = DbImage(ref);
    frame.GetTreeView()->SelectNode(NODE_PROG, INVALID_ID);
    pRefs->GetPane()->GetTreeView()->SelectNode(NODE_PROG, INVALID_ID);
    QApplication::processEvents();
    const auto Repaint = [&] {
        frame.GetTreeView()->repaint();
        frame.GetListView()->repaint();
        pRefs->GetPane()->GetListView()->repaint();
    };
    pRefs->SetOrderDlgRunner([](COrderLikeDlg& dlg) {
        dlg.GetNamesBox()->setChecked(true);
        dlg.GetFlagsBox()->setChecked(true);
        dlg.GetAddMissingBox()->setChecked(true);
        return int(QDialog::Accepted);
    });
    QAction* pCompare = frame.findChild<QAction*>(QStringLiteral("actionCompare"));
    QAction* pOrder = frame.findChild<QAction*>(QStringLiteral("actionOrderLike"));
    QAction* pUndo = frame.findChild<QAction*>(QStringLiteral("actionUndo"));

    bool bRight = true;
    std::vector<double> compareMs, orderMs, undoMs;
    for (int nRun = 0; nRun < RUNS && bRight; ++nRun) {
        auto t0 = std::chrono::steady_clock::now();
        pCompare->trigger();
        Repaint();
        compareMs.push_back(MsSince(t0));
        bRight = pRefs->IsComparing() && pRefs->GetDiff() && !pRefs->GetDiff()->IsSame();
        QApplication::processEvents();

        // While comparing, the marks follow the order and its undo, as they would for the user.
        t0 = std::chrono::steady_clock::now();
        pOrder->trigger();
        Repaint();
        orderMs.push_back(MsSince(t0));
        bRight = bRight && DbImage(db) == original && pRefs->GetDiff()->nChanged == 0;
        QApplication::processEvents();
        t0 = std::chrono::steady_clock::now();
        pUndo->trigger();
        Repaint();
        undoMs.push_back(MsSince(t0));
        bRight = bRight && DbImage(db) == rescan;
        pCompare->trigger(); // off again
        QApplication::processEvents();
    }
    if (!bRight) {
        std::fprintf(stderr, "wrong result\n");
        return 1;
    }
    const double dCompare = Median(compareMs), dOrder = Median(orderMs), dUndo = Median(undoMs);
    std::printf("rescan of the large database against it, \"All Prog\" in both panes; medians of %d runs\n",
                RUNS);
    std::printf("Compare With Reference on, panes repainted        %8.1f ms (target 200 ms)\n", dCompare);
    std::printf("Order Like Reference, all options, while comparing %8.1f ms (target 200 ms)\n", dOrder);
    std::printf("its undo, while comparing                          %8.1f ms (target 50 ms)\n", dUndo);
    return dCompare < 200 && dOrder < 200 && dUndo < 50 ? 0 : 3;
}
