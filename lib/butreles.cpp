/* butreles.cpp — GiButtonReleased: the lowest button a button or combo event
 * released. */
#include "evmath.h"
#include "gistate.h"

int32_t GiButtonReleased(const GiEvent *event) {
  if (!event || (event->type != GI_BUTTON_EVENT && event->type != GI_COMBO_EVENT)) {
    GiStore(__FILE__, __LINE__, GI_FAILED);
    return -1;
  }
  GiLastError = GI_NO_ERROR;
  return EvLowestBit(event->released);
}
