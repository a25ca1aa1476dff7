/* evntinit.cpp — GiGetEventWinInit: a window message as the library reads it. */
#include "gistate.h"

void GiGetEventWinInit(GiGetEventData *data, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!data) return;
  data->message = message;
  data->wParam = (uint32_t)wParam;
  data->lParam = (uint32_t)lParam;
}
