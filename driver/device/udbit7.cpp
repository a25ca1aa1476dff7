/* udbit7.cpp — the bit-7 framing, the checksummed command encoding and the
 * operations that the Quorvanel Stick (uddevqs) and the Lumeqaro (uddevlq)
 * protocols share. Each protocol file supplies only how its packets read. */
#include "udbit7.h"

#include <string.h>

#include "udmodel.h"
#include "udsystem.h"

enum { CR = 0x0D, BIT7 = 0x80 };

/* "reset" encoded, with the one byte 80 these devices expect between the
 * checksum and the CR. */
static const uint8_t kReset[] = {0x72, 0xE5, 0xF3, 0xE5, 0xF4, 0xF5, 0x80, CR};
static const uint8_t kRezero[] = {'Z', CR};

int32_t UdB7EncodeCommand(uint8_t *out, const char *text) {
  if (out == NULL || text == NULL) return -1;
  size_t n = strnlen(text, UD_B7_TEXT_MAX + 1);
  if (n == 0 || n > UD_B7_TEXT_MAX) return -1;
  uint8_t sum = 0;
  for (size_t i = 0; i < n; i++) {
    uint8_t c = (uint8_t)text[i];
    sum ^= c;
    out[i] = i == 0 ? c : (uint8_t)(c | BIT7);
  }
  out[n] = (uint8_t)(sum | BIT7);
  out[n + 1] = CR;
  return (int32_t)n + 2;
}

int32_t UdB7Signed10(uint32_t field) {
  int32_t v = (int32_t)(field & 0x3FF);
  return v >= 0x200 ? v - 0x400 : v;
}

/* ---- Receiving ----------------------------------------------------------- */

/* Appends new bytes. A byte with bit 7 clear begins a packet; the others
 * continue the newest one. Bytes that continue no packet (nothing buffered,
 * or the rest of a packet being dropped) are thrown away, and so is what a
 * packet brings beyond UD_B7_PACKET_MAX. The buffer fills only when the
 * caller leaves complete packets uncollected: then the newest packet goes,
 * whole. */
static void Append(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  for (int32_t i = 0; i < count; i++) {
    uint8_t b = bytes[i];
    if ((b & BIT7) == 0) {
      dev->rxDiscard = 0;
      if (dev->rxCount == UD_RX_SIZE) {
        dev->rxDropped++;
        dev->rxDiscard = 1; /* its further bytes must not join the packet before it */
        continue;
      }
      dev->rxBuffer[dev->rxCount++] = b;
      dev->rxTail = 1;
      continue;
    }
    if (dev->rxDiscard || dev->rxCount == 0 || dev->rxTail >= UD_B7_PACKET_MAX ||
        dev->rxCount == UD_RX_SIZE) {
      dev->rxDropped++;
      continue;
    }
    dev->rxBuffer[dev->rxCount++] = b;
    dev->rxTail++;
  }
}

/* Length of the first packet when the next one has begun, else 0. */
static int32_t CompletePacket(UdDevice *dev) {
  if (dev->rxScanned < 1 || dev->rxScanned > dev->rxCount) dev->rxScanned = 1;
  for (int32_t i = dev->rxScanned; i < dev->rxCount; i++)
    if ((dev->rxBuffer[i] & BIT7) == 0) return i;
  dev->rxScanned = dev->rxCount;
  return 0;
}

static void Consume(UdDevice *dev, int32_t length) {
  dev->rxCount -= length;
  memmove(dev->rxBuffer, dev->rxBuffer + length, (size_t)dev->rxCount);
  dev->rxScanned = 1;
}

static void Finish(UdDevice *dev, GiEvent *ev) {
  switch (ev->type) {
    case GI_BUTTON_EVENT:
      if (dev->dataMode == 1) ev->current = UdRemapButtons(dev->model, ev->current);
      UdButtonDelta(dev, ev);
      break;
    case GI_MOTION_EVENT:
    case GI_ZERO_EVENT:
      if (dev->dataMode == 1) {
        /* At most 512 × 29: no overflow. The device's z axes point the other way. */
        ev->tx *= UD_B7_AXIS_SCALE;
        ev->ty *= UD_B7_AXIS_SCALE;
        ev->tz *= -UD_B7_AXIS_SCALE;
        ev->rx *= UD_B7_AXIS_SCALE;
        ev->ry *= UD_B7_AXIS_SCALE;
        ev->rz *= -UD_B7_AXIS_SCALE;
      }
      break;
    default:
      break;
  }
}

int32_t UdB7Parse(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev, UdB7Interpret interpret) {
  if (dev == NULL || ev == NULL || interpret == NULL || count < 0 || (bytes == NULL && count > 0))
    return UD_FAIL(UD_BAD_ARGUMENT);
  Append(dev, bytes, count);
  for (;;) {
    int32_t length = CompletePacket(dev);
    if (length == 0) return UD_OK;
    int32_t result = interpret(dev->rxBuffer, length, ev);
    Consume(dev, length);
    if (result == UD_PACKET_EVENT) {
      Finish(dev, ev);
      return UD_EVENT_READY;
    }
  }
}

/* Counts only from a packet alone in the buffer with its first byte kept:
 * while a run is dropped, or packets wait uncollected, nothing is known of
 * what comes next. Asking for the next packet's first byte as well costs no
 * latency, because the packet cannot be read before it anyway. */
int32_t UdB7BytesWanted(const UdDevice *dev, UdB7Length fixedLength) {
  if (dev == NULL || fixedLength == NULL || dev->rxDiscard || dev->rxCount <= 0 ||
      dev->rxTail != dev->rxCount)
    return 0;
  int32_t length = fixedLength(dev->rxBuffer[0]);
  if (length <= 0 || dev->rxTail >= length) return 0;
  return length - dev->rxTail + 1;
}

/* ---- Operations ---------------------------------------------------------- */

int32_t UdB7OpOpen(UdDevice *dev) {
  if (dev == NULL || dev->model == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  int32_t result = UdIdentify(dev, &dev->model->ident);
  if (result != UD_OK) return result; /* logged where it arose */
  UdResetReceive(dev);
  dev->dataMode = 1;
  dev->lastButtons = 0;
  return UD_OK;
}

int32_t UdB7OpClose(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return UdComClose(dev) == 0 ? UD_OK : UD_BAD_ARGUMENT; /* logged where it failed */
}

int32_t UdB7OpBeep(UdDevice *dev, const char *pattern) {
  if (dev == NULL || pattern == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  char text[UD_B7_TEXT_MAX + 1];
  size_t n = strnlen(pattern, UD_B7_TEXT_MAX);
  if (n + 1 > UD_B7_TEXT_MAX) return UD_FAIL(UD_BAD_ARGUMENT); /* "B" and the pattern do not fit */
  text[0] = 'B';
  memcpy(text + 1, pattern, n);
  text[n + 1] = '\0';
  uint8_t command[UD_B7_COMMAND_SIZE];
  int32_t length = UdB7EncodeCommand(command, text);
  if (length < 0) return UD_FAIL(UD_BAD_ARGUMENT);
  UdComWrite(dev, command, length); /* a lost beep harms nothing; the serial layer logged it */
  return UD_OK;
}

int32_t UdB7OpReset(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return UdComWrite(dev, kReset, sizeof kReset) == (int32_t)sizeof kReset ? UD_OK : UD_BAD_ARGUMENT;
}

int32_t UdB7OpRezero(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return UdComWrite(dev, kRezero, sizeof kRezero) == (int32_t)sizeof kRezero ? UD_OK : UD_BAD_ARGUMENT;
}
