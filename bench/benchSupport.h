#pragma once
// Small helpers for the benchmark programs: run a piece of work several times
// and report the median; what the system says about the process's memory.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <wx/msw/wrapwin.h> // windows.h as wx includes it
#include <psapi.h>
#else
#include <malloc.h>
#include <unistd.h>
#endif

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

// Resident set size of this process in bytes (the working set on Windows).
inline long long residentBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return static_cast<long long>(counters.WorkingSetSize);
#else
    std::ifstream statm("/proc/self/statm");
    long long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
#endif
}

// What Linux says of this process's memory now: "VmRSS 123.4 MB, VmHWM 234.5 MB"
// (resident now, and the most it ever was). Empty on other systems, and when
// /proc/self/status lacks either line.
inline std::string statusMemory()
{
#ifdef __linux__
    std::ifstream status("/proc/self/status");
    std::string line;
    std::string resident, peak;
    while (std::getline(status, line)) {
        // "VmRSS:\t  123456 kB"
        const bool isResident = line.compare(0, 6, "VmRSS:") == 0;
        const bool isPeak = line.compare(0, 6, "VmHWM:") == 0;
        if (!isResident && !isPeak)
            continue;
        const double kilobytes = std::strtod(line.c_str() + 6, nullptr);
        char text[32];
        std::snprintf(text, sizeof text, "%.1f MB", kilobytes * 1024 / 1e6);
        (isResident ? resident : peak) = text;
    }
    if (resident.empty() || peak.empty())
        return std::string();
    return "VmRSS " + resident + ", VmHWM " + peak;
#else
    return std::string();
#endif
}

// Hands freed heap back to the system, so that what stays resident is what the
// data hold (worker threads leave whole arenas of freed memory behind). Nothing
// on Windows, whose figures then include what its heap keeps.
inline void returnFreedMemory()
{
#ifndef _WIN32
    malloc_trim(0);
#endif
}

// Writes out what the system still holds for its disks, so that a measurement
// does not pay for earlier writes. Nothing on Windows, where flushing a whole
// volume takes administrator rights.
inline void flushFileSystems()
{
#ifndef _WIN32
    sync();
#endif
}
