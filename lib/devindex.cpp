/* devindex.cpp — GiDeviceIndex: the device ID of the index-th device. */
#include "gistate.h"

int32_t GiDeviceIndex(int32_t index) {
  if (GiCheckState(__FILE__, __LINE__) != GI_NO_ERROR) return -1;
  if (index < 0 || index >= gGiDeviceCount) {
    GiStore(__FILE__, __LINE__, GI_FAILED);
    return -1;
  }
  GiLastError = GI_NO_ERROR;
  return index; /* IDs are the driver's table indices */
}
