#pragma once

// Timing for the benchmarks: the median wall-clock time of repeated runs.

#include <algorithm>
#include <chrono>
#include <vector>

// Median in milliseconds of nRuns calls of fn; setup runs before each call, outside the timing.
template <class Setup, class Fn> double MedianMs(int nRuns, Setup setup, Fn fn)
{
    std::vector<double> ms;
    for (int i = 0; i < nRuns; ++i) {
        setup();
        auto t0 = std::chrono::steady_clock::now();
        fn();
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

template <class Fn> double MedianMs(int nRuns, Fn fn)
{
    return MedianMs(
        nRuns, [] {}, fn);
}
