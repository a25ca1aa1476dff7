/* udcom.cpp — the installed operating-system set of the device layer and the
 * UdCom… calls the protocol files make through it. Called by every model
 * file, by the configuration parser and by the driver's input processing. */
#include "udsystem.h"

#include <stddef.h>

static const UdSystem *gSystem = NULL;

int32_t UdUseSystem(const UdSystem *sys) {
  if (sys == NULL || !sys->comOpen || !sys->comClose || !sys->comRead || !sys->comWrite || !sys->sleep ||
      !sys->profileString || !sys->profileSection || !sys->profileInt || !sys->log)
    return -1;
  gSystem = sys;
  return 0;
}

const UdSystem *UdCurrentSystem(void) {
  return gSystem;
}

int32_t UdFail(const char *file, int32_t line, int32_t code) {
  if (gSystem == NULL) return code;
  return gSystem->log(file, line, code);
}

int32_t UdComOpen(UdDevice *dev) {
  if (dev == NULL || gSystem == NULL) return UD_FAIL(UD_PORT_ERROR);
  return gSystem->comOpen(dev);
}

int32_t UdComClose(UdDevice *dev) {
  if (dev == NULL || gSystem == NULL) return UD_FAIL(UD_PORT_ERROR);
  return gSystem->comClose(dev);
}

int32_t UdComRead(UdDevice *dev, uint8_t *buf, int32_t max) {
  if (dev == NULL || buf == NULL || max < 0 || gSystem == NULL) return UD_FAIL(-1);
  if (max == 0) return 0;
  return gSystem->comRead(dev, buf, max);
}

int32_t UdComWrite(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  if (dev == NULL || bytes == NULL || count < 1 || gSystem == NULL) return UD_FAIL(-1);
  return gSystem->comWrite(dev, bytes, count);
}
