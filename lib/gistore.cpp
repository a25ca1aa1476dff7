/* gistore.cpp — GiStore: every call's outcome into GiLastError, failures
 * logged where they arise. Shared by the library's calls and the driver's
 * side of the same calls, so it depends on nothing but the log. */
#include "gistate.h"

int32_t GiStore(const char *file, int line, int32_t code) {
  GiLastError = code;
  if (code != GI_NO_ERROR && code != GI_IS_EVENT && code != GI_SKIP_EVENT && code != GI_NOT_EVENT)
    GiLogError(file, line, code);
  return code;
}
