/* ishdl.cpp — the front-end checks every call of the library starts with:
 * library state, driver identity, handle and device ID; and GiIsHandle. */
#include "appmmap.h"
#include "gistate.h"

int32_t GiCheckState(const char *file, int line) {
  if (gGiDeviceCount != -1) return GI_NO_ERROR;
  return GiStore(file, line, gGiDriverLoss == GI_LOSS_NONE ? GI_UNINITIALIZED : GI_NO_DRIVER);
}

int32_t GiCheckDriver(const char *file, int line) {
  int32_t code = GiCheckState(file, line);
  if (code != GI_NO_ERROR) return code;
  if (AppMmapDriverChanged()) return GiStore(file, line, GI_NO_DRIVER);
  return GI_NO_ERROR;
}

int32_t GiCheckListed(GiHandle handle, const char *file, int line) {
  int32_t code = GiCheckDriver(file, line);
  if (code != GI_NO_ERROR) return code;
  for (GiHandle h = gGiHandles; h; h = h->next) {
    if (h != handle) continue;
    if (h->magic == GI_HANDLE_LOST) return GiStore(file, line, GI_NO_DRIVER);
    if (h->magic == GI_HANDLE_LIVE) return GI_NO_ERROR;
    break;
  }
  return GiStore(file, line, GI_BAD_HANDLE);
}

int32_t GiCheckDeviceId(int32_t deviceId, const char *file, int line) {
  int32_t code = GiCheckDriver(file, line);
  if (code != GI_NO_ERROR) return code;
  if (deviceId < 0 || deviceId >= gGiDeviceCount) return GiStore(file, line, GI_BAD_ID);
  return GI_NO_ERROR;
}

/* The handle is looked up in the list before its magic is read: a closed
 * handle's record has been freed, and reading it could find anything. The
 * list holds a few records, so the walk costs nothing per message. */
GiHandle GiIsHandle(GiHandle handle) {
  if (GiCheckState(__FILE__, __LINE__) != GI_NO_ERROR) return nullptr;
  for (GiHandle h = gGiHandles; handle && h; h = h->next) {
    if (h == handle && h->magic == GI_HANDLE_LIVE) {
      GiLastError = GI_NO_ERROR;
      return handle;
    }
  }
  GiStore(__FILE__, __LINE__, GI_BAD_HANDLE);
  return nullptr;
}
