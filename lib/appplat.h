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

/* The calling thread's first queued message `message` for window, whatever
 * its slot: 1 with *out filled and, when remove is set, the message taken out
 * of the queue; 0 when there is none. Win32 shows nothing behind it; the
 * look-ahead past other handles' notices is applook.cpp's. */
int AppPlatPeekFirst(void *window, uint32_t message, int remove, GiGetEventData *out);

/* Posts `message` with wParam and lParam to window: 1 when posted. */
int AppPlatPost(void *window, uint32_t message, uint32_t wParam, uint32_t lParam);

/* Removes every queued message `message` of window from the calling thread's
 * queue (whatever its slot). */
void AppPlatDropNotices(void *window, uint32_t message);

#ifdef __cplusplus
}
#endif

#endif
