/* uddev.cpp — the generic device interface: opening a device with its
 * model's protocol, the Ud… entry points over the operations table, button
 * press/release detection and the identification every model shares.
 * Called by the driver's start-up, request service and settings window. */
#include <string.h>

#include "udmodel.h"
#include "udsystem.h"

int32_t UdOpenDevice(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  /* Opening twice would leak the port the first open holds. */
  if (dev->ops != NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  const UdModel *known = UdKnownModel(dev->type, dev->variant);
  if (known == NULL || known->ops == NULL) return UD_FAIL(UD_NO_DEVICE);
  if (dev->model == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  const UdOps *ops = known->ops;
  int32_t result = ops->open(dev);
  if (result != UD_OK) return result; /* the protocol logged it */
  dev->ops = ops;
  return UD_OK;
}

int32_t UdCloseDevice(UdDevice *dev) {
  if (dev == NULL || dev->ops == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  int32_t result = dev->ops->close(dev);
  /* The port is gone either way: a later beep (closing a handle at shut-down
   * beeps its device) must be refused here, not sent to a released port. */
  dev->ops = NULL;
  return result;
}

int32_t UdDeviceIsOpen(const UdDevice *dev) {
  return dev != NULL && dev->ops != NULL;
}

int32_t UdParseInput(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev) {
  if (dev == NULL || dev->ops == NULL || ev == NULL || count < 0 || (bytes == NULL && count > 0))
    return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->parse(dev, bytes, count, ev);
}

int32_t UdBytesWanted(const UdDevice *dev) {
  if (dev == NULL || dev->ops == NULL || dev->ops->bytesWanted == NULL) return 0;
  return dev->ops->bytesWanted(dev);
}

int32_t UdBeep(UdDevice *dev, const char *pattern) {
  if (dev == NULL || dev->ops == NULL || pattern == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->beep(dev, pattern);
}

int32_t UdResetDevice(UdDevice *dev) {
  if (dev == NULL || dev->ops == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->reset(dev);
}

int32_t UdRezero(UdDevice *dev) {
  if (dev == NULL || dev->ops == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->rezero(dev);
}

int32_t UdWriteDevice(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  if (dev == NULL || dev->ops == NULL || bytes == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->write(dev, bytes, count);
}

int32_t UdGetPeriod(UdDevice *dev, int32_t *period) {
  if (dev == NULL || dev->ops == NULL || period == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->getPeriod(dev, period);
}

int32_t UdGetDataMode(UdDevice *dev, int32_t *mode) {
  if (dev == NULL || dev->ops == NULL || mode == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->getDataMode(dev, mode);
}

int32_t UdSetDataMode(UdDevice *dev, int32_t mode) {
  if (dev == NULL || dev->ops == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return dev->ops->setDataMode(dev, mode);
}

int32_t UdButtonDelta(UdDevice *dev, GiEvent *ev) {
  if (dev == NULL || ev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  uint32_t current = ev->current;
  ev->last = dev->lastButtons;
  ev->released = ev->last & ~current;
  ev->pressed = current & ~ev->last;
  dev->lastButtons = current;
  return UD_OK;
}

uint32_t UdRemapButtons(const UdModel *model, uint32_t raw) {
  uint32_t common = 0;
  if (model == NULL) return 0;
  for (int32_t i = 0; i < model->buttonMapCount && i < UD_MAX_BUTTON_BITS; i++) {
    const UdButtonBit *b = &model->buttonMap[i];
    if (b->raw >= 0 && b->raw < 32 && b->common >= 0 && b->common < 32 && (raw >> b->raw & 1u))
      common |= 1u << b->common;
  }
  return common;
}

/* ---- Operations every model answers alike -------------------------------- */

int32_t UdOpWriteUnsupported(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  (void)dev;
  (void)bytes;
  (void)count;
  return UD_UNSUPPORTED;
}

int32_t UdOpGetPeriod(UdDevice *dev, int32_t *period) {
  if (dev == NULL || period == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  *period = UD_PERIOD_MS;
  return UD_OK;
}

int32_t UdOpGetDataMode(UdDevice *dev, int32_t *mode) {
  if (dev == NULL || mode == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  *mode = dev->dataMode;
  return UD_OK;
}

int32_t UdOpSetDataMode(UdDevice *dev, int32_t mode) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  dev->dataMode = mode;
  return UD_OK;
}

/* ---- Identification ------------------------------------------------------ */

/* Position of the first prefix match that has replyLength bytes behind it,
 * or -1. Replies may hold NUL bytes, so this compares bytes, not strings. */
static int32_t FindReply(const uint8_t *buf, int32_t length, const UdProbe *p) {
  int32_t prefixLength = (int32_t)strlen(p->prefix);
  for (int32_t pos = 0; pos + p->replyLength <= length; pos++)
    if (memcmp(buf + pos, p->prefix, (size_t)prefixLength) == 0) return pos;
  return -1;
}

/* A device tried again after its port failed gets fewer attempts than one
 * opened at start-up: the tries repeat, and each one holds up the others. */
static int32_t gIdentAttempts = UD_IDENT_ATTEMPTS;

void UdSetIdentAttempts(int32_t n) {
  gIdentAttempts = n >= 1 && n <= UD_IDENT_ATTEMPTS ? n : UD_IDENT_ATTEMPTS;
}

int32_t UdIdentify(UdDevice *dev, const UdProbe *p) {
  if (dev == NULL || p == NULL || p->probe == NULL || p->prefix == NULL || p->probeLength < 1 ||
      p->replyLength < (int32_t)strlen(p->prefix) || p->replyLength > UD_IDENT_SIZE - 1)
    return UD_FAIL(UD_BAD_ARGUMENT);
  dev->ident[0] = '\0';
  if (UdComOpen(dev) != 0) return UD_PORT_ERROR; /* the serial layer logged it */

  uint8_t reply[UD_IDENT_READS * UD_IDENT_READ_SIZE + 1];
  for (int attempt = 0; attempt < gIdentAttempts; attempt++) {
    UdResetReceive(dev);
    memset(reply, 0, sizeof reply);
    int32_t length = 0;
    UdComWrite(dev, p->probe, p->probeLength); /* a lost probe shows as silence */
    for (int read = 0; read < UD_IDENT_READS; read++) {
      UdSleep(UD_IDENT_PAUSE_MS);
      int32_t n = UdComRead(dev, reply + length, UD_IDENT_READ_SIZE);
      if (n <= 0) continue;
      if (n > UD_IDENT_READ_SIZE) n = UD_IDENT_READ_SIZE;
      if (p->strip7)
        for (int32_t i = length; i < length + n; i++) reply[i] &= 0x7F;
      length += n;
      int32_t pos = FindReply(reply, length, p);
      if (pos >= 0) {
        memcpy(dev->ident, reply + pos, (size_t)p->replyLength);
        dev->ident[p->replyLength] = '\0';
        return UD_OK;
      }
    }
  }
  UdComClose(dev);
  return UD_FAIL(UD_NO_DEVICE);
}

void UdResetReceive(UdDevice *dev) {
  dev->rxCount = 0;
  dev->rxScanned = 0;
  dev->rxSkip = 0;
  dev->rxDiscard = 0;
  dev->rxTail = 0;
}
