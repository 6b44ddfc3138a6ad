#pragma once
// Small timing helpers for the benchmark programs: run a piece of work several
// times and report the median.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

inline double secondsOf(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Median of `runs` timings of `work`, after one warm-up run.
inline double medianSeconds(int runs, const std::function<void()>& work)
{
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(secondsOf(work));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Resident set size of this process in bytes.
inline long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
