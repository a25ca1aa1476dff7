/* openinit.cpp — GiOpenWinInit: the open data for a window. */
#include "gistate.h"

void GiOpenWinInit(GiOpenData *data, void *window) {
  if (!data) return;
  /* Win32 window handles carry 32 significant bits on every platform. */
  data->window = (uint32_t)(uintptr_t)window;
  data->reserved = 0;
}
