#pragma once

// What the benchmarks on the large database share: its .db image, to see that a change was given
// back exactly, the ids of a list as the list pane's rows hold them, and the timing of an edit
// command with its undo and redo.

#include "access/AccessDb.h"
#include "bench/BenchTime.h"
#include "db/ProgDb.h"
#include "edit/EditHistory.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The .db image of db (empty when the writer refuses the database).
inline std::vector<uint8_t> DbImage(CProgDb& db)
{
    std::vector<uint8_t> image;
    CAccessDbOut out;
    out.BuildImage(&db, image);
    return image;
}

// The ids of every nStep-th record of list, from the first, in list order.
inline std::vector<int32_t> IdsOf(const CNodeList& list, int nStep = 1)
{
    std::vector<int32_t> ids;
    int i = 0;
    for (const CNode* p : list)
        if (i++ % nStep == 0)
            ids.push_back(p->GetId());
    return ids;
}

// Medians in milliseconds of a command's first apply (with its making), undo and redo.
struct SCommandTimes
{
    double apply = 0;
    double undo = 0;
    double redo = 0;
};

// Pushes the command made by make into history, checks the database with check, undoes, redoes
// and undoes it again, 15 times; the database is back as it was after each run. False when a
// command changes nothing, check fails, or the database image afterwards differs from the one
// before; times are then not set.
inline bool TimeCommand(CProgDb& db, CEditHistory& history,
                        const std::function<std::unique_ptr<CEditCommand>()>& make,
                        const std::function<bool()>& check, SCommandTimes& times)
{
    const std::vector<uint8_t> before = DbImage(db);
    std::vector<double> apply, undo, redo;
    bool bOk = true;
    for (int nRun = 0; nRun < 15 && bOk; ++nRun) {
        auto t0 = std::chrono::steady_clock::now();
        bOk = history.Push(make()) != nullptr;
        apply.push_back(MsSince(t0));
        bOk = bOk && check();
        t0 = std::chrono::steady_clock::now();
        history.Undo();
        undo.push_back(MsSince(t0));
        t0 = std::chrono::steady_clock::now();
        history.Redo();
        redo.push_back(MsSince(t0));
        history.Undo();
    }
    if (!bOk || DbImage(db) != before)
        return false;
    times.apply = Median(apply);
    times.undo = Median(undo);
    times.redo = Median(redo);
    return true;
}
