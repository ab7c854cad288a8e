#pragma once

// Timing for the benchmarks: the median wall-clock time of repeated runs.

#include <algorithm>
#include <chrono>
#include <vector>

// Milliseconds since t0.
inline double MsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The middle value of v (of an even count, the upper of the two); v must not be empty.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median in milliseconds of nRuns calls of fn; setup runs before each call, outside the timing.
template <class Setup, class Fn> double MedianMs(int nRuns, Setup setup, Fn fn)
{
    std::vector<double> ms;
    for (int i = 0; i < nRuns; ++i) {
        setup();
        const auto t0 = std::chrono::steady_clock::now();
        fn();
        ms.push_back(MsSince(t0));
    }
    return Median(std::move(ms));
}

template <class Fn> double MedianMs(int nRuns, Fn fn)
{
    return MedianMs(
        nRuns, [] {}, fn);
}
