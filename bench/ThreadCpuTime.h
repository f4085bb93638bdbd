#pragma once

#include <ctime>

// CPU time of the calling thread in ms: the figure that other programs on a busy machine do not
// inflate.
inline double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}
