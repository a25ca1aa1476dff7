/* dispatch.cpp — GiDispatch: hands an event to the application's handler
 * for its type. */
#include "gistate.h"

int32_t GiDispatch(GiHandle handle, GiGetEventData *data, GiEvent *event, GiEventHandlers *handlers) {
  if (!GiIsHandle(handle)) return 0;
  if (!event || !handlers || event->type < GI_BUTTON_EVENT || event->type > GI_EXCEPTION_EVENT) return 0;
  const GiHandlerPair *pair = &handlers->type[event->type - 1];
  if (!pair->handler) return 0;
  return pair->handler(&handle->pair, data, event, pair->user);
}
