/* dvrgi.cpp — driver side of the library's calls (see dvrgi.h): open and
 * close with their beeps, queries, commands, exclusive-use slots and modes.
 * Called by the request service; every failure is logged here, once. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "device/uddev.h"
#include "dvrgi.h"
#include "dvrplat.h"
#include "lib/gistate.h"
#include "lib/wire.h"

/* Outcomes go through GiStore (GI_RETURN): GiLastError, and the log for a
 * failure, as on the library's side of the same calls. */
#define GI_STORE(c) GiStore(__FILE__, __LINE__, (c))

static const char kVersionText[] = "Gyrantrix Driver version 8.0";
static const char kDateText[] = "January 31, 1997";

static void CopyText(char *dst, const char *src) { /* 128-byte fields, 127 kept */
  snprintf(dst, 128, "%.127s", src ? src : "");
}

static int Initialised(void) {
  return UdDeviceCount() >= 0;
}

namespace dvr {

int32_t GiGetNumDevices(void) {
  return UdDeviceCount();
}

UdDevice *GiIsDeviceID(int32_t id) {
  if (!Initialised()) {
    GI_STORE(GI_UNINITIALIZED);
    return NULL;
  }
  for (int i = 0; i < UdDeviceCount(); i++)
    if (UdDeviceAt(i)->index == id) return UdDeviceAt(i);
  GI_STORE(GI_BAD_ID);
  return NULL;
}

DvrHandle *GiIsHandle(uint32_t value) {
  if (!Initialised()) {
    GI_STORE(GI_UNINITIALIZED);
    return NULL;
  }
  DvrHandle *h = DvrHandleFind(value);
  if (!h || h->magic != DVR_HANDLE_MAGIC) {
    GI_STORE(GI_BAD_HANDLE);
    return NULL;
  }
  return h;
}

uint32_t GiOpen(const char *name, int32_t id, const GiTypeMask *mask, int32_t mode, void *window,
                QueueLink *queue) {
  if (!Initialised()) {
    GI_STORE(GI_UNINITIALIZED);
    return 0;
  }
  if (!name) {
    GI_STORE(GI_BAD_VALUE);
    return 0;
  }
  if (id != -1 && !GiIsDeviceID(id)) return 0;
  if (mode == GI_POLL_MODE) {
    GI_STORE(GI_UNSUPPORTED);
    return 0;
  }
  if (mode != GI_EVENT_MODE) {
    GI_STORE(GI_BAD_VALUE);
    return 0;
  }
  UdDevice *dev = UdFindDevice(id, mask ? mask->bits : NULL);
  if (!dev) {
    GI_STORE(GI_FAILED);
    return 0;
  }
  size_t n = strlen(name) + 1;
  DvrHandle *h = (DvrHandle *)calloc(1, sizeof *h + n);
  if (!h) {
    GI_STORE(GI_FAILED);
    return 0;
  }
  UdBeep(dev, "cCc");
  h->magic = DVR_HANDLE_MAGIC;
  h->device = dev;
  h->name = (char *)(h + 1);
  memcpy(h->name, name, n);
  h->mode = mode;
  h->eventMask = WIRE_ALL_EVENT_TYPES;
  h->uiMode = -1;
  h->window = window;
  h->queue = queue;
  h->process = DvrPlatWindowProcess(window);
  h->value = DvrHandleNewValue();
  h->next = dev->handles;
  dev->handles = h;
  GI_STORE(GI_NO_ERROR);
  return h->value;
}

int32_t GiClose(uint32_t value) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  UdDevice *dev = h->device;
  if (dev->grabSlot == h) dev->grabSlot = NULL;
  if (dev->backgroundSlot == h) dev->backgroundSlot = NULL;
  if (dev->focus == h) dev->focus = NULL;
  /* At the orderly shut-down the ports are already closed: no beep then. */
  if (UdDeviceIsOpen(dev)) UdBeep(dev, "f");
  for (DvrHandle **p = &dev->handles; *p; p = &(*p)->next) {
    if (*p == h) {
      *p = h->next;
      break;
    }
  }
  h->magic = 0;
  free(h);
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiGetDevicePort(int32_t id, GiPortInfo *info) {
  UdDevice *dev = GiIsDeviceID(id);
  if (!dev) return GiLastError;
  memset(info, 0, sizeof *info);
  info->deviceId = dev->index;
  info->deviceType = dev->model ? dev->model->type : dev->type;
  info->deviceClass = dev->model ? dev->model->deviceClass : 0;
  CopyText(info->typeName, dev->model ? dev->model->name : "");
  CopyText(info->portName, dev->portName);
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiGetDriverInfo(GiDriverInfo *info) {
  if (!Initialised()) GI_RETURN(GI_UNINITIALIZED);
  memset(info, 0, sizeof *info);
  info->major = 8;
  info->minor = 0;
  info->build = 15;
  CopyText(info->version, kVersionText);
  CopyText(info->date, kDateText);
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiGetDeviceID(uint32_t value) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return -1;
  GI_STORE(GI_NO_ERROR);
  return h->device->index;
}

int32_t GiGetDeviceInfo(uint32_t value, GiDeviceInfo *info) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  const UdDevice *dev = h->device;
  memset(info, 0, sizeof *info);
  if (dev->model) {
    info->deviceType = dev->model->type;
    info->numButtons = dev->model->numButtons;
    info->numDegrees = dev->model->numDegrees;
    info->canBeep = dev->model->canBeep;
  }
  CopyText(info->firmware, dev->ident);
  GI_RETURN(GI_NO_ERROR);
}

/* Device-layer results as library codes. */
static int32_t FromDevice(int rc, int line) {
  return GiStore(__FILE__, line, rc == 0 ? GI_NO_ERROR : rc == UD_UNSUPPORTED ? GI_UNSUPPORTED : GI_FAILED);
}

int32_t GiBeep(uint32_t value, const char *pattern) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  return FromDevice(UdBeep(h->device, pattern), __LINE__);
}

int32_t GiRezero(uint32_t value) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  return FromDevice(UdRezero(h->device), __LINE__);
}

int32_t GiWriteDevice(uint32_t value, const uint8_t *bytes, int32_t count) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  if (count == 0) GI_RETURN(GI_NO_ERROR);
  if (count < 0) GI_RETURN(GI_FAILED);
  return FromDevice(UdWriteDevice(h->device, bytes, count), __LINE__);
}

int32_t GiGrabDevice(uint32_t value, int32_t grab) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  UdDevice *dev = h->device;
  DvrHandle **chosen = grab ? &dev->grabSlot : &dev->backgroundSlot;
  DvrHandle **other = grab ? &dev->backgroundSlot : &dev->grabSlot;
  if (*chosen) GI_RETURN(*chosen == h ? GI_NO_ERROR : GI_FAILED);
  if (*other == h) GI_RETURN(GI_FAILED); /* one slot per handle */
  *chosen = h;
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiReleaseDevice(uint32_t value) {
  DvrHandle *h = GiIsHandle(value);
  if (!h) return GiLastError;
  UdDevice *dev = h->device;
  if (dev->grabSlot == h)
    dev->grabSlot = NULL;
  else if (dev->backgroundSlot == h)
    dev->backgroundSlot = NULL;
  else
    GI_RETURN(GI_FAILED);
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiGetUiMode(uint32_t value, int32_t *mode) {
  if (value != 0) {
    DvrHandle *h = GiIsHandle(value);
    if (!h) return GiLastError;
    *mode = h->uiMode;
    GI_RETURN(GI_NO_ERROR);
  }
  if (!Initialised()) GI_RETURN(GI_UNINITIALIZED);
  for (int i = 0; i < UdDeviceCount(); i++) {
    if (UdDeviceAt(i)->handles) {
      *mode = UdDeviceAt(i)->handles->uiMode;
      GI_RETURN(GI_NO_ERROR);
    }
  }
  GI_RETURN(GI_BAD_HANDLE);
}

int32_t GiSetUiMode(uint32_t value, int32_t mode) {
  if (value != 0) {
    DvrHandle *h = GiIsHandle(value);
    if (!h) return GiLastError;
    h->uiMode = mode;
    GI_RETURN(GI_NO_ERROR);
  }
  if (!Initialised()) GI_RETURN(GI_UNINITIALIZED);
  int any = 0;
  for (int i = 0; i < UdDeviceCount(); i++)
    for (DvrHandle *h = UdDeviceAt(i)->handles; h; h = h->next, any = 1) h->uiMode = mode;
  GI_RETURN(any ? GI_NO_ERROR : GI_BAD_HANDLE);
}

int32_t GiGetDataMode(int32_t id, int32_t *mode) {
  if (id != -1 && !GiIsDeviceID(id)) return GiLastError;
  *mode = 1; /* every device delivers cooked data */
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiSetDataMode(int32_t id, int32_t) {
  if (!GiIsDeviceID(id)) return GiLastError;
  GI_RETURN(GI_UNSUPPORTED);
}

int32_t GiConverse(uint32_t value, const uint8_t *, int32_t, uint8_t *, int32_t *replyLength) {
  *replyLength = 0;
  if (!GiIsHandle(value)) return GiLastError;
  GI_RETURN(GI_UNSUPPORTED);
}

}  // namespace dvr
