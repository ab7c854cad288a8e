// Edit commands in the editor on the large database, on the offscreen platform: each command and
// its undo (the Undo action) with the list and the tree refreshed and repainted, in a frame of
// 1000 x 700 pixels. After every command the result is checked, and after every undo that the
// database is the one before (a digest of every record with its id and parent).
// Usage: bench_edit_views — prints the medians of 11 runs; exit status 1 when a result is wrong,
// 3 when a median reaches 50 ms.

#include "access/Access.h"
#include "app/ClipboardManager.h"
#include "app/EditActions.h"
#include "app/MainFrame.h"
#include "app/Prompt.h"
#include "bench/GenDb.h"
#include "db/ProgDb.h"
#include "views/ProgBrowseView.h"
#include "views/ProgListModel.h"
#include "views/ProgListView.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int RUNS = 11;
constexpr double TARGET_MS = 50.0;

class CLargeDbIn : public CAccessIn
{
public:
    bool LoadDb(const std::string&, CProgDb* pDb) override
    {
        GenerateLargeDb(*pDb);
        return true;
    }
};

// FNV-1a over every record's id, parent and bytes, in list order.
uint64_t Digest(const CProgDb& db)
{
    uint64_t h = 1469598103934665603ull;
    const auto Add = [&h](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<const uint8_t*>(p)[i]) * 1099511628211ull;
    };
    for (NodeType nKind : {NODE_SAT, NODE_TP, NODE_PROG}) {
        for (const CNode* pNode : db.GetList(nKind)) {
            const int32_t ids[2] = {pNode->GetId(), pNode->GetParentId()};
            Add(ids, sizeof ids);
            if (nKind == NODE_SAT)
                Add(static_cast<const CSatNode*>(pNode)->GetRecord(), sizeof(SatRecord));
            else if (nKind == NODE_TP)
                Add(static_cast<const CTpNode*>(pNode)->GetRecord(), sizeof(TpRecord));
            else
                Add(static_cast<const CProgNode*>(pNode)->GetRecord(), sizeof(ProgRecord));
        }
    }
    return h;
}

double Ms(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

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

    CQtPrompt prompt;
    CMainFrame frame(prompt);
    frame.resize(1000, 700);
    frame.show();
    CLargeDbIn large;
    if (!frame.LoadPath(large, QStringLiteral("large.db")))
        return 1;
    QApplication::processEvents();
    CProgDb& db = *frame.GetDb();
    CProgBrowseView* pTree = frame.GetTreeView();
    CProgListView* pList = frame.GetListView();
    QAction* pUndo = frame.findChild<QAction*>(QStringLiteral("actionUndo"));
    const uint64_t nOriginal = Digest(db);
    const auto Repaint = [&] {
        pTree->repaint();
        pList->repaint();
    };
    const auto AllProg = [&] {
        pTree->SelectNode(NODE_PROG, INVALID_ID);
        QApplication::processEvents();
    };

    bool bAllRight = true;
    bool bInTime = true;
    const auto Measure = [&](const char* pszWhat, const std::function<void()>& fnSetup,
                             const std::function<void()>& fnCommand, const std::function<bool()>& fnCheck) {
        std::vector<double> doMs, undoMs;
        for (int i = 0; i < RUNS; ++i) {
            fnSetup();
            QApplication::processEvents();
            auto t0 = std::chrono::steady_clock::now();
            fnCommand();
            Repaint();
            doMs.push_back(Ms(t0));
            if (!fnCheck()) {
                std::fprintf(stderr, "%s: wrong result\n", pszWhat);
                bAllRight = false;
            }
            QApplication::processEvents();
            t0 = std::chrono::steady_clock::now();
            pUndo->trigger();
            Repaint();
            undoMs.push_back(Ms(t0));
            if (Digest(db) != nOriginal) {
                std::fprintf(stderr, "%s: the undo left another database\n", pszWhat);
                bAllRight = false;
            }
        }
        const double dDo = Median(doMs), dUndo = Median(undoMs);
        bInTime = bInTime && dDo < TARGET_MS && dUndo < TARGET_MS;
        std::printf("%-62s %7.2f ms %7.2f ms\n", pszWhat, dDo, dUndo);
    };

    std::printf("large database (200 satellites, 8000 transponders, 40000 programs); medians of %d runs\n",
                RUNS);
    std::printf("%-62s %10s %10s\n", "command, list and tree refreshed and repainted", "command", "undo");

    Measure(
        "delete a satellite with its 40 transponders and 200 programs",
        [&] {
            pTree->SelectNode(NODE_SAT, INVALID_ID);
            pList->clearSelection();
            pList->SelectRow(0);
        },
        [&] { pList->DeleteSelected(); },
        [&] { return db.GetSatList().GetCount() == 199 && db.GetProgList().GetCount() == 39800; });

    Measure(
        "delete all 40,000 programs (\"All Prog\", every row selected)",
        [&] {
            AllProg();
            pList->selectAll();
        },
        [&] { pList->DeleteSelected(); },
        [&] { return db.GetProgList().IsEmpty() && pList->GetRowCount() == 0; });

    Measure(
        "set VPID on 40,000 selected programs",
        [&] {
            AllProg();
            pList->selectAll();
        },
        [&] {
            QString strError;
            pList->SetColumnOfSelected(3, QStringLiteral("100"), strError);
        },
        [&] {
            for (const CNode* pNode : db.GetProgList())
                if (static_cast<const CProgNode*>(pNode)->GetRecord()->Get(ProgField::VPID) != 100)
                    return false;
            return pList->GetSelectedRows().size() == 40000;
        });

    // 1,000 programs of the first transponders, on the clipboard, pasted before row 20,000.
    std::vector<int32_t> copied;
    for (int32_t nId = 0; nId < 1000; ++nId)
        copied.push_back(nId);
    frame.GetClipboard()->CopyRecords(db, NODE_PROG, copied);
    Measure(
        "paste 1,000 programs into the list of 40,000",
        [&] {
            AllProg();
            pList->clearSelection();
            pList->SelectRow(20000);
            pList->selectionModel()->setCurrentIndex(pList->model()->index(20000, 0),
                                                     QItemSelectionModel::NoUpdate);
        },
        [&] { frame.GetEditActions()->OnPaste(); },
        [&] {
            return db.GetProgList().GetCount() == 41000 && pList->GetRowCount() == 41000 &&
                   pList->GetSelectedRows().size() == 1000 && pList->GetSelectedRows().front() == 20000;
        });

    // Rows 0, 40, 80, ... dropped onto row 20,001.
    std::vector<int32_t> dragged;
    Measure(
        "move 1,000 programs: a drop of every 40th row onto row 20,001",
        [&] {
            AllProg();
            pList->scrollTo(pList->model()->index(20001, 0));
            QApplication::processEvents();
            QItemSelection selection;
            dragged.clear();
            for (int r = 0; r < pList->GetRowCount(); r += 40) {
                selection.select(pList->model()->index(r, 0),
                                 pList->model()->index(r, pList->model()->columnCount() - 1));
                dragged.push_back(pList->GetRowId(r));
            }
            pList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
            const QPoint pt = pList->visualRect(pList->model()->index(20001, 1)).center();
            pList->BeginDrag(0, pt);
            pList->DragMove(pt);
        },
        [&] { pList->EndDrag(); },
        [&] {
            const std::vector<int> rows = pList->GetSelectedRows();
            if (rows.size() != dragged.size())
                return false;
            for (size_t i = 0; i < rows.size(); ++i)
                if (pList->GetRowId(rows[i]) != dragged[i] || rows[i] != rows[0] + static_cast<int>(i))
                    return false;
            return true;
        });

    if (!bAllRight)
        return 1;
    if (!bInTime) {
        std::fprintf(stderr, "a median reached the %.0f ms target\n", TARGET_MS);
        return 3;
    }
    return 0;
}
