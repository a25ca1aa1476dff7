/* logerror_win.cpp — GiLogError: appends one entry per failure to
 * "gyrantx.log" in the home directory while DEBUG_GYRANTRIX is defined.
 * Every module of the driver and the library reports its failures here. */
#include <windows.h>

#include <stdio.h>

#include "inihomed.h"
#include "gyrantrix.h"
#include "logfmt.h"

enum { LOG_UNDECIDED = 1, LOG_OFF = 2, LOG_ON = 3 };

static int gLogState = LOG_UNDECIDED;
static char gLogPath[LOG_PATH_SIZE];

/* The decision is taken once per process, at its first failure. */
static void LogDecide(void) {
  gLogState = LOG_OFF;
  /* Defined with any value, the empty one included, counts. */
  if (GetEnvironmentVariableA(LOG_ENV_VAR, NULL, 0) == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return;
  char home[LOG_PATH_SIZE];
  IniHomeDir(home, sizeof home, "gyrantx.ini");
  home[sizeof home - 1] = '\0';
  if (LogBuildPath(gLogPath, home) != 0) return;
  gLogState = LOG_ON;
}

int32_t GiLogError(const char *file, int32_t line, int32_t code) {
  if (!LogIsLoggable(code)) return code;
  if (gLogState == LOG_UNDECIDED) LogDecide();
  if (gLogState != LOG_ON) return code;
  char entry[LOG_PATH_SIZE + 32];
  LogFormatEntry(entry, sizeof entry, file, line, code);
  FILE *f = fopen(gLogPath, "a");
  if (!f) return code;
  fputs(entry, f);
  fclose(f);
  return code;
}
