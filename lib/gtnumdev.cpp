/* gtnumdev.cpp — GiGetNumDevices: the device count learned at initialisation. */
#include "gistate.h"

int32_t GiGetNumDevices(void) {
  if (GiCheckState(__FILE__, __LINE__) != GI_NO_ERROR) return -1;
  GiLastError = GI_NO_ERROR;
  return gGiDeviceCount;
}
