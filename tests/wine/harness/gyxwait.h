// gyxwait.h: polling with a time-out, for conditions another process brings
// about (a window appears, a process ends, a file is written). Under Wine these
// take tens to hundreds of milliseconds, so tests poll instead of sleeping.
#ifndef GYX_HARNESS_WAIT_H
#define GYX_HARNESS_WAIT_H

#include <functional>

// Calls pred every pollMs until it returns true (result true) or timeoutMs has
// passed (result false). pred is always called at least once, and once more at
// the deadline, so a time-out of 0 means "check now".
bool GyxWaitFor(const std::function<bool()> &pred, unsigned long timeoutMs, unsigned long pollMs = 10);

// Milliseconds of a monotonic clock (GetTickCount64), for measuring waits.
unsigned long long GyxNowMs();

#endif
