/* uddevlq.cpp — the Lumeqaro 700 protocol (type GI_TYPE_LUMEQARO_700): its
 * descrambling key and how its "D" and "K" packets read. Framing, commands
 * and the finishing of events are the bit-7 protocols' shared ones (udbit7).
 * Reached through udLumeqaroOps (bottom). */
#include "uddevlq.h"

#include <string.h>

#include "udbit7.h"
#include "udmodel.h"

enum {
  LQ_MOTION_LENGTH = 12, /* "D", a byte not used, 9 scrambled bytes, a byte not used */
  LQ_BUTTON_LENGTH = 5   /* "K", a byte not used, the buttons, two bytes not used */
};

/* The descrambling key: our own, one printable constant per position. */
enum {
  LQ_KEY_B2 = 'k',
  LQ_KEY_B3 = '5',
  LQ_KEY_B4 = 'V',
  LQ_KEY_B5 = 'b',
  LQ_KEY_B6 = '#',
  LQ_KEY_B7 = 'P',
  LQ_KEY_B8 = 'w',
  LQ_KEY_B9 = '9',
  LQ_KEY_B10 = 'T'
};
const uint8_t lqKey[LQ_KEY_LENGTH] = {LQ_KEY_B2, LQ_KEY_B3, LQ_KEY_B4, LQ_KEY_B5, LQ_KEY_B6,
                                      LQ_KEY_B7, LQ_KEY_B8, LQ_KEY_B9, LQ_KEY_B10};

/* Data bits of byte i of a motion packet, descrambled. */
static uint32_t Bits(const uint8_t *p, int i) {
  return (p[i] & 0x7Fu) ^ lqKey[i - 2];
}

int32_t LqInterpret(const uint8_t *p, int32_t length, GiEvent *ev) {
  if (p == NULL || ev == NULL || length < 1) return UD_PACKET_SKIPPED;
  switch (p[0]) {
    case 'D': {
      if (length != LQ_MOTION_LENGTH) return UD_PACKET_SKIPPED;
      uint32_t b2 = Bits(p, 2), b3 = Bits(p, 3), b4 = Bits(p, 4), b5 = Bits(p, 5), b6 = Bits(p, 6);
      uint32_t b7 = Bits(p, 7), b8 = Bits(p, 8), b9 = Bits(p, 9), b10 = Bits(p, 10);
      memset(ev, 0, sizeof *ev);
      /* A bit stream, most significant first: six 10-bit axes, no period. */
      ev->tx = UdB7Signed10(b2 << 3 | b3 >> 4);
      ev->ty = UdB7Signed10(b3 << 6 | b4 >> 1);
      ev->tz = UdB7Signed10((b4 << 7 | b5) << 2 | b6 >> 5);
      ev->rx = UdB7Signed10(b6 << 5 | b7 >> 2);
      ev->ry = UdB7Signed10((b7 << 7 | b8) << 1 | b9 >> 6);
      ev->rz = UdB7Signed10(b9 << 4 | b10 >> 3);
      ev->period = LQ_PERIOD_MS;
      int moving = ev->tx | ev->ty | ev->tz | ev->rx | ev->ry | ev->rz;
      ev->type = moving ? GI_MOTION_EVENT : GI_ZERO_EVENT;
      return UD_PACKET_EVENT;
    }
    case 'K':
      if (length != LQ_BUTTON_LENGTH) return UD_PACKET_SKIPPED;
      memset(ev, 0, sizeof *ev);
      ev->type = GI_BUTTON_EVENT;
      ev->current = p[2] & 0x7Fu;
      return UD_PACKET_EVENT;
    default:
      return UD_PACKET_SKIPPED;
  }
}

static int32_t LqParse(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev) {
  return UdB7Parse(dev, bytes, count, ev, LqInterpret);
}

/* Lengths of the packets that have one. */
static int32_t LqFixedLength(uint8_t first) {
  return first == 'D' ? LQ_MOTION_LENGTH : first == 'K' ? LQ_BUTTON_LENGTH : 0;
}

static int32_t LqBytesWanted(const UdDevice *dev) {
  return UdB7BytesWanted(dev, LqFixedLength);
}

const UdOps udLumeqaroOps = {
    .open = UdB7OpOpen,
    .close = UdB7OpClose,
    .parse = LqParse,
    .beep = UdB7OpBeep,
    .reset = UdB7OpReset,
    .rezero = UdB7OpRezero,
    .write = UdOpWriteUnsupported,
    .getPeriod = UdOpGetPeriod,
    .getDataMode = UdOpGetDataMode,
    .setDataMode = UdOpSetDataMode,
    .bytesWanted = LqBytesWanted,
};
