/* appevent.cpp — GiFindEventHandle: which open handle of this process a
 * window message belongs to. Stores no code: most messages are not ours. */
#include "gistate.h"

int32_t GiFindEventHandle(const GiGetEventData *data, GiHandle *handle) {
  GiHandle found = NULL;
  for (GiHandle h = gGiHandles; data && h; h = h->next) {
    /* Records kept after the driver has gone have no queue any more. */
    if (h->magic != GI_HANDLE_LIVE || !GiQueue(h)) continue;
    if (h->message == data->message && GiQueue(h)->slot == (int32_t)(data->wParam & 0xFFu)) {
      found = h;
      break;
    }
  }
  if (handle) *handle = found;
  return found ? 1 : 0;
}
