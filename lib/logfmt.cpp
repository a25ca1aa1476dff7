/* logfmt.cpp — portable parts of the diagnostic log (see logfmt.h). */
#include "logfmt.h"

#include <stdio.h>
#include <string.h>

#include "gyrantrix.h"

const char *LogModuleName(const char *path) {
  if (!path) return "";
  const char *cut = strrchr(path, '/');
  if (!cut) cut = strrchr(path, '\\');
  if (!cut) cut = strrchr(path, ':');
  return cut ? cut + 1 : path;
}

int LogBuildPath(char *path, const char *home) {
  size_t n = strlen(home);
  if (n + 13 > LOG_PATH_SIZE) return -1;
  memcpy(path, home, n);
  memcpy(path + n, "\\" LOG_FILE_NAME, 13); /* 12 characters and the NUL */
  return 0;
}

int LogFormatEntry(char *out, size_t size, const char *file, int32_t line, int32_t code) {
  return snprintf(out, size, "(%s:%d) %d\n", LogModuleName(file), (int)line, (int)code);
}

int LogIsLoggable(int32_t code) {
  return code != GI_IS_EVENT && code != GI_SKIP_EVENT && code != GI_NOT_EVENT;
}
