/* errorstr.cpp — GiErrorString: the text of every library code. */
#include <string.h>

#include "gyrantrix.h"

static const char *const kTexts[] = {
    "No error",
    "Error -- function failed",
    "Invalid Gyrantrix handle",
    "Invalid device ID",
    "Invalid argument value",
    "Event is a Gyrantrix event",
    "Event is a Gyrantrix event but it should be skipped",
    "Event is not a Gyrantrix event",
    "Gyrantrix driver is not running or has been restarted",
    "Gyrantrix driver is not responding",
    "The function is unsupported by this version of the library",
    "Gyrantrix input library has not been initialized",
    "Gyrantrix driver is incorrect for this Gyrantrix version",
    "Internal Gyrantrix error",
};

/* One process-wide buffer, as callers expect: the next call overwrites it. */
static char gErrorText[81];

const char *GiErrorString(int32_t code) {
  const char *text = "";
  if (code >= 0 && code < (int32_t)(sizeof kTexts / sizeof kTexts[0])) text = kTexts[code];
  strncpy(gErrorText, text, 80);
  gErrorText[80] = '\0';
  return gErrorText;
}
