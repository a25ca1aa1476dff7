/* logfmt.h — the pieces of the diagnostic log that need no operating system:
 * the module name of a source path, the log path and the entry line. The
 * Win32 layer (logerror_win.cpp) decides, opens and appends. */
#ifndef GYX_LOGFMT_H
#define GYX_LOGFMT_H

#include <stddef.h>
#include <stdint.h>

#define LOG_FILE_NAME "gyrantx.log"
#define LOG_PATH_SIZE 256
#define LOG_ENV_VAR "DEBUG_GYRANTRIX"

#ifdef __cplusplus
extern "C" {
#endif

/* The part of path after its last '/', else after its last '\\', else after
 * its last ':', else the whole path. */
const char *LogModuleName(const char *path);

/* Builds "<home>\gyrantx.log" in path[LOG_PATH_SIZE]; 0, or -1 when the home
 * directory is too long to leave room for it (length + 13 > 256). */
int LogBuildPath(char *path, const char *home);

/* Formats "(module:line) code\n" into out; returns the length (snprintf). */
int LogFormatEntry(char *out, size_t size, const char *file, int32_t line, int32_t code);

/* Event results (5, 6, 7) are outcomes, never failures: they are not logged. */
int LogIsLoggable(int32_t code);

#ifdef __cplusplus
}
#endif

#endif
