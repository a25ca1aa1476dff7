/* evtargs.cpp — the layout choice of the command line (see evtargs.h). */
#include "evtargs.h"

#include <string.h>

int EvChooseLayout(int argc, const char *const *argv) {
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    if (!a) break;
    if (a[0] == '-' || a[0] == '/') continue;
    return strcmp(a, "Halvorin") == 0 ? EV_LAYOUT_B : EV_LAYOUT_A;
  }
  return EV_LAYOUT_A;
}
