/* evtstr_win.cpp — reads the program's string table into the texts in use
 * (evtplat.h); the argument check is evtstr.cpp's. */
#include <windows.h>

#include "evtplat.h"

void EvLoadStrings(EvStrings *s, void *instance) {
  /* One more than a text may have, so that a text too long shows as such
   * instead of being cut silently. */
  char text[EV_TEXT_SIZE + 1];
  for (int id = IDS_FIRST; id <= IDS_LAST; id++) {
    int n = LoadStringA((HINSTANCE)instance, (UINT)id, text, (int)sizeof text);
    if (n <= 0 || EvStringsOffer(s, id, text) != 0) GiLogError(__FILE__, __LINE__, GI_FAILED);
  }
}
