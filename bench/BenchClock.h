// What both benchmarks measure with: a millisecond clock, the median of repeated runs, and the
// registry words their configurations mix.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

inline const char* const kLevels[] = {"Release", "Debug", "Trace", "None", "Default"};
inline const char* const kTypes[] = {"FatalError",  "Error", "Warning",
                                     "Information", "None",  "Default"};

} // namespace bench
