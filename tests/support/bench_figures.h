#pragma once
// What the benchmark programs measure the same way: the process's CPU time
// and the percentiles of a set of delays.
#include <algorithm>
#include <cstddef>
#include <sys/resource.h>
#include <vector>

// User and system time of every thread of the process, in seconds.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The value at share (0 to 1) of the sorted values; 0 for none.
inline double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}
