/* appplat.h — what the library needs from the operating system beyond the
 * channel: the home directory, starting the driver program, sleeping, the
 * millisecond clock and its resolution, and the window messages of a handle.
 * Implemented over Win32 in appplat_win.cpp; the portable calls use only this. */
#ifndef GYX_APPPLAT_H
#define GYX_APPPLAT_H

#include <stdint.h>

#include "gyrantrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The home directory from "gyrantx.ini" (see IniHomeDir): its length. */
int AppPlatHomeDir(char *buf, int size);
/* 1 when a file (not a directory) exists at path. */
int AppPlatFileExists(const char *path);
/* Starts the program in a new console and process group, shown, without
 * waiting for it or keeping anything of it: 1 when started. */
int AppPlatStartProgram(const char *path);
void AppPlatSleep(uint32_t ms);

/* The millisecond clock (timeGetTime), and raising the timer resolution to
 * 1 ms for the length of a motion (calls pair up). */
uint32_t AppPlatTime(void);
void AppPlatTimerBegin(void);
void AppPlatTimerEnd(void);

/* Looks at the calling thread's next queued message `message` for window:
 * 1 when there is one and the low byte of its wParam is slot, with *out
 * filled and, when remove is set, the message taken out of the queue;
 * 0 otherwise (nothing is removed). */
int AppPlatPeekNotice(void *window, uint32_t message, int32_t slot, int remove, GiGetEventData *out);

/* Removes every queued message `message` of window from the calling thread's
 * queue (whatever its slot). */
void AppPlatDropNotices(void *window, uint32_t message);

#ifdef __cplusplus
}
#endif

#endif
