/* uddevqs.cpp — the Quorvanel Stick protocol (type GI_TYPE_QUORVANEL_STICK):
 * how its "D", "K" and "R" packets read. Framing, commands and the finishing
 * of events are the bit-7 protocols' shared ones (udbit7). Reached through
 * udStickOps (bottom). */
#include "uddevqs.h"

#include <string.h>

#include "udbit7.h"
#include "udmodel.h"

enum {
  QS_MOTION_LENGTH = 12, /* "D", then 11 bytes of 7 data bits */
  QS_BUTTON_LENGTH = 4   /* "K", the buttons, two bytes not used */
};

/* Data bits of byte i of a packet. */
static uint32_t Bits(const uint8_t *p, int i) {
  return p[i] & 0x7Fu;
}

int32_t QsInterpret(const uint8_t *p, int32_t length, GiEvent *ev) {
  if (p == NULL || ev == NULL || length < 1) return UD_PACKET_SKIPPED;
  switch (p[0]) {
    case 'D': {
      if (length != QS_MOTION_LENGTH) return UD_PACKET_SKIPPED;
      uint32_t b1 = Bits(p, 1), b2 = Bits(p, 2), b3 = Bits(p, 3), b4 = Bits(p, 4), b5 = Bits(p, 5);
      uint32_t b6 = Bits(p, 6), b7 = Bits(p, 7), b8 = Bits(p, 8), b9 = Bits(p, 9), b10 = Bits(p, 10);
      memset(ev, 0, sizeof *ev);
      /* A bit stream, most significant first: period and six 10-bit axes. */
      ev->period = (int32_t)(b1 << 3 | b2 >> 4);
      ev->tx = UdB7Signed10(b2 << 6 | b3 >> 1);
      ev->ty = UdB7Signed10((b3 << 7 | b4) << 2 | b5 >> 5);
      ev->tz = UdB7Signed10(b5 << 5 | b6 >> 2);
      ev->rx = UdB7Signed10((b6 << 7 | b7) << 1 | b8 >> 6);
      ev->ry = UdB7Signed10(b8 << 4 | b9 >> 3);
      ev->rz = UdB7Signed10(b9 << 7 | b10);
      int moving = ev->tx | ev->ty | ev->tz | ev->rx | ev->ry | ev->rz;
      ev->type = moving ? GI_MOTION_EVENT : GI_ZERO_EVENT;
      return UD_PACKET_EVENT;
    }
    case 'K':
      if (length != QS_BUTTON_LENGTH) return UD_PACKET_SKIPPED;
      memset(ev, 0, sizeof *ev);
      ev->type = GI_BUTTON_EVENT;
      ev->current = Bits(p, 1);
      return UD_PACKET_EVENT;
    case 'R': {
      memset(ev, 0, sizeof *ev);
      ev->type = GI_EXCEPTION_EVENT;
      /* The bytes as received, cut so that the text keeps its NUL. */
      int32_t n = length < GI_EVENT_TEXT_SIZE - 1 ? length : GI_EVENT_TEXT_SIZE - 1;
      memcpy(GI_EVENT_TEXT(ev), p, (size_t)n);
      return UD_PACKET_EVENT;
    }
    default:
      return UD_PACKET_SKIPPED;
  }
}

static int32_t QsParse(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev) {
  return UdB7Parse(dev, bytes, count, ev, QsInterpret);
}

/* Lengths of the packets that have one (device messages have none). */
static int32_t QsFixedLength(uint8_t first) {
  return first == 'D' ? QS_MOTION_LENGTH : first == 'K' ? QS_BUTTON_LENGTH : 0;
}

static int32_t QsBytesWanted(const UdDevice *dev) {
  return UdB7BytesWanted(dev, QsFixedLength);
}

const UdOps udStickOps = {
    .open = UdB7OpOpen,
    .close = UdB7OpClose,
    .parse = QsParse,
    .beep = UdB7OpBeep,
    .reset = UdB7OpReset,
    .rezero = UdB7OpRezero,
    .write = UdOpWriteUnsupported,
    .getPeriod = UdOpGetPeriod,
    .getDataMode = UdOpGetDataMode,
    .setDataMode = UdOpSetDataMode,
    .bytesWanted = QsBytesWanted,
};
