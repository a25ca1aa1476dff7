/* dvrhandle.cpp — finding an open handle by its value and drawing the value
 * of a new one (see dvrhandle.h). */
#include "dvrhandle.h"

#include "device/uddev.h"
#include "dvrplat.h"

DvrHandle *DvrHandleFind(uint32_t value) {
  if (value == 0) return NULL;
  for (int i = 0; i < UdDeviceCount(); i++)
    for (DvrHandle *h = UdDeviceAt(i)->handles; h; h = h->next)
      if (h->value == value) return h;
  return NULL;
}

uint32_t DvrHandleNewValue(void) {
  uint32_t v;
  do {
    v = DvrPlatRandom32();
  } while (v == 0 || DvrHandleFind(v));
  return v;
}
