#pragma once

#include <ctime>

namespace support {

/** CPU time used by this process so far, in milliseconds: tests compare it before and after
 *  a wait to show that the wait did not spin. */
inline double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace support
