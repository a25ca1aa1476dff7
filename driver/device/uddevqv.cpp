/* uddevqv.cpp — the Quorvanel protocol ("Quorvanel 2200", type 1, and
 * "Quorvanel 3200", type 2): identification and firmware check, the
 * initialisation sequence, the caret-escaped packet parser and the beep,
 * reset and rezero commands. Reached through udQuorvanelOps (bottom). */
#include "uddevqv.h"

#include <string.h>

#include "udmodel.h"
#include "udsystem.h"

enum {
  CR = 0x0D,
  CARET = 0x5E,
  QV_FIRMWARE_DIGIT = 21, /* first digit after "2." in the reply */
  QV_INIT_PAUSE_MS = 1000,
  QV_RESET_PAUSE_MS = 3000,
  QV_MOTION_LENGTH = 16, /* "D", period, six axes, CR */
  QV_BUTTON_LENGTH = 4   /* "K", two mask bytes, CR */
};

/* The set-up commands, one write each. "FT" and "FR" travel together in one
 * 8-byte write. */
static const uint8_t kInitCr[] = {CR};
static const uint8_t kInitCb[] = {'C', 'B', CR};
static const uint8_t kInitNt[] = {'N', 'T', CR};
static const uint8_t kInitFtFr[] = {'F', 'T', 0x00, CR, 'F', 'R', 0x00, CR};
static const uint8_t kInitP[] = {'P', '@', 'r', '@', 'r', CR};
static const uint8_t kInitMssv[] = {'M', 'S', 'S', 'V', CR};
static const uint8_t kRezero[] = {'Z', CR};
static const uint8_t kReset[] = {'@', 'R', 'E', 'S', 'E', 'T', CR};

static const struct {
  const uint8_t *bytes;
  int32_t length;
} kInitSequence[] = {
    {kInitCr, sizeof kInitCr},     {kInitCb, sizeof kInitCb}, {kInitNt, sizeof kInitNt},
    {kInitFtFr, sizeof kInitFtFr}, {kInitP, sizeof kInitP},   {kInitMssv, sizeof kInitMssv},
    {kRezero, sizeof kRezero},
};

/* ---- Commands ------------------------------------------------------------ */

/* A refused write was logged by the serial layer, where it arose. */
static int32_t Send(UdDevice *dev, const uint8_t *bytes, int32_t length) {
  return UdComWrite(dev, bytes, length) == length ? UD_OK : UD_BAD_ARGUMENT;
}

/* The results of the set-up writes are not checked: a device that missed
 * one shows it in its reports, and the next reset sends them all again. */
static void SendInit(UdDevice *dev) {
  for (size_t i = 0; i < sizeof kInitSequence / sizeof kInitSequence[0]; i++)
    UdComWrite(dev, kInitSequence[i].bytes, kInitSequence[i].length);
}

int32_t QvEncodeBeep(uint8_t *out, const char *pattern) {
  if (out == NULL || pattern == NULL) return -1;
  size_t n = strnlen(pattern, QV_BEEP_MAX + 1);
  if (n > QV_BEEP_MAX) return -1;
  out[0] = 'B';
  for (size_t i = 0; i < n; i++) {
    unsigned char c = (unsigned char)pattern[i];
    if (c < 0x20 || c > 0x7E) return -1;
    out[1 + i] = c;
  }
  out[1 + n] = CR;
  return (int32_t)n + 2;
}

/* ---- Packets ------------------------------------------------------------- */

int32_t QvDecode(const uint8_t *packet, int32_t length, uint8_t *out) {
  int32_t pos = 0;
  for (int32_t i = 0; i < length;) {
    uint8_t b = packet[i++];
    if (b == CARET) {
      uint8_t code = i < length ? packet[i++] : 0;
      if (code == 'M' || code == 'Q' || code == 'S')
        b = (uint8_t)(code & 0xBF);
      else if (code == CARET)
        b = CARET;
      else {
        /* A bad escape keeps only the packet type byte decoded so far. */
        if (pos > 1) pos = 1;
        continue;
      }
    }
    if (pos == QV_DECODE_SIZE) return -1;
    out[pos++] = b;
  }
  return pos;
}

static int32_t Signed16(uint8_t high, uint8_t low) {
  return (int16_t)(uint16_t)((high << 8) | low);
}

/* Interprets one decoded packet; UD_PACKET_EVENT with ev filled (buttons
 * already in the device's data mode), or UD_PACKET_SKIPPED. */
static int32_t Interpret(const UdDevice *dev, const uint8_t *d, int32_t length, GiEvent *ev) {
  if (length < 1) return UD_PACKET_SKIPPED;
  switch (d[0]) {
    case 'D': {
      if (length < QV_MOTION_LENGTH || d[QV_MOTION_LENGTH - 1] != CR) return UD_PACKET_SKIPPED;
      memset(ev, 0, sizeof *ev);
      ev->period = (int8_t)d[1] * 256 + d[2];
      ev->tx = Signed16(d[3], d[4]);
      ev->ty = Signed16(d[5], d[6]);
      ev->tz = Signed16(d[7], d[8]);
      ev->rx = Signed16(d[9], d[10]);
      ev->ry = Signed16(d[11], d[12]);
      ev->rz = Signed16(d[13], d[14]);
      int moving = ev->tx | ev->ty | ev->tz | ev->rx | ev->ry | ev->rz;
      ev->type = moving ? GI_MOTION_EVENT : GI_ZERO_EVENT;
      return UD_PACKET_EVENT;
    }
    case 'K':
      if (length < QV_BUTTON_LENGTH || d[QV_BUTTON_LENGTH - 1] != CR) return UD_PACKET_SKIPPED;
      memset(ev, 0, sizeof *ev);
      ev->type = GI_BUTTON_EVENT;
      if (dev->dataMode == 1) {
        uint32_t raw = (uint32_t)d[1] << 8 | d[2];
        ev->current = UdRemapButtons(dev->model, raw);
      } else {
        /* Raw mode: the bytes as the device sends them, each taken as signed. */
        ev->current = (uint32_t)((int32_t)(int8_t)d[1] * 256 | (int32_t)(int8_t)d[2]);
      }
      return UD_PACKET_EVENT;
    case '@': {
      memset(ev, 0, sizeof *ev);
      ev->type = GI_EXCEPTION_EVENT;
      /* The text keeps its terminating NUL inside the 128 bytes. */
      int32_t n = length < GI_EVENT_TEXT_SIZE - 1 ? length : GI_EVENT_TEXT_SIZE - 1;
      memcpy(GI_EVENT_TEXT(ev), d, (size_t)n);
      return UD_PACKET_EVENT;
    }
    default:
      return UD_PACKET_SKIPPED;
  }
}

/* Appends new bytes to the receive buffer. No packet of this protocol comes
 * near the buffer's 1024 bytes, so a run that fills it without a CR is
 * noise: it is dropped together with the rest of the run up to and
 * including its CR, and parsing picks up again at the packet after it. */
static void Append(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  for (int32_t i = 0; i < count; i++) {
    uint8_t b = bytes[i];
    if (dev->rxSkip > 0) { /* the byte that belongs to the last "@" packet */
      dev->rxSkip--;
      continue;
    }
    if (dev->rxDiscard) {
      dev->rxDropped++;
      if (b == CR) dev->rxDiscard = 0;
      continue;
    }
    if (dev->rxCount == UD_RX_SIZE) {
      dev->rxDropped++;
      if (memchr(dev->rxBuffer, CR, UD_RX_SIZE) != NULL)
        continue; /* complete packets the caller has not collected: the newest byte goes */
      dev->rxDropped += UD_RX_SIZE;
      dev->rxCount = 0;
      dev->rxScanned = 0;
      dev->rxDiscard = b != CR;
      continue;
    }
    dev->rxBuffer[dev->rxCount++] = b;
  }
}

/* One pass: the first complete packet in the buffer is decoded, interpreted
 * and removed. UD_OK when no complete packet is buffered. */
static int32_t Pass(UdDevice *dev, GiEvent *ev) {
  /* Bytes arrive a few at a time: search only what no earlier pass has. */
  if (dev->rxScanned < 0 || dev->rxScanned > dev->rxCount) dev->rxScanned = 0;
  /* Usually a byte or two: a plain loop beats memchr's set-up cost. */
  const uint8_t *cr = NULL;
  for (int32_t i = dev->rxScanned; i < dev->rxCount; i++) {
    if (dev->rxBuffer[i] == CR) {
      cr = dev->rxBuffer + i;
      break;
    }
  }
  if (cr == NULL) {
    dev->rxScanned = dev->rxCount;
    return UD_OK;
  }
  int32_t length = (int32_t)(cr - dev->rxBuffer) + 1;

  uint8_t decoded[QV_DECODE_SIZE];
  int32_t decodedLength = QvDecode(dev->rxBuffer, length, decoded);
  int32_t result = UD_PACKET_SKIPPED;
  if (decodedLength >= 0)
    result = Interpret(dev, decoded, decodedLength, ev);
  else
    dev->rxDropped += (uint32_t)length;

  /* A device message takes the one byte behind its CR along, also one too
   * long to decode: that byte is its line feed, not the next packet's type.
   * When the byte has not arrived yet, it is dropped on arrival. */
  int32_t consumed = length;
  if (decodedLength != 0 && decoded[0] == '@') {
    if (dev->rxCount > length)
      consumed++;
    else
      dev->rxSkip = 1;
  }
  dev->rxCount -= consumed;
  dev->rxScanned = 0;
  memmove(dev->rxBuffer, dev->rxBuffer + consumed, (size_t)dev->rxCount);
  return result;
}

static void Finish(UdDevice *dev, GiEvent *ev) {
  switch (ev->type) {
    case GI_BUTTON_EVENT:
      UdButtonDelta(dev, ev);
      break;
    case GI_MOTION_EVENT:
    case GI_ZERO_EVENT:
      if (dev->dataMode == 1) ev->period /= 16; /* sixteenths of a millisecond */
      break;
    case GI_EXCEPTION_EVENT:
      if (GI_EVENT_TEXT(ev)[0] == '@') SendInit(dev); /* the device reports a reset */
      break;
    default:
      break;
  }
}

/* ---- Operations ---------------------------------------------------------- */

static int32_t QvOpen(UdDevice *dev) {
  if (dev == NULL || dev->model == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  int32_t result = UdIdentify(dev, &dev->model->ident);
  if (result != UD_OK) return result;

  /* Both ball models answer the same probe; the firmware digit tells them apart. */
  const char *digits = dev->model->firmwareDigits;
  char digit = dev->ident[QV_FIRMWARE_DIGIT];
  if (digits != NULL && (digit == '\0' || strchr(digits, digit) == NULL)) {
    UdComClose(dev);
    return UD_FAIL(UD_NO_DEVICE);
  }
  UdSleep(QV_INIT_PAUSE_MS);
  SendInit(dev);
  UdResetReceive(dev);
  dev->dataMode = 1;
  dev->lastButtons = 0;
  return UD_OK;
}

static int32_t QvClose(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return UdComClose(dev) == 0 ? UD_OK : UD_BAD_ARGUMENT; /* logged where it failed */
}

static int32_t QvParse(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev) {
  if (dev == NULL || ev == NULL || count < 0 || (bytes == NULL && count > 0)) return UD_FAIL(UD_BAD_ARGUMENT);
  Append(dev, bytes, count);
  for (;;) {
    int32_t result = Pass(dev, ev);
    if (result == UD_OK) return UD_OK;
    if (result == UD_PACKET_EVENT) {
      Finish(dev, ev);
      return UD_EVENT_READY;
    }
  }
}

/* Escapes only lengthen a packet, so its unescaped length is the fewest
 * bytes it can take; past that, any byte may be its CR. A byte to skip or a
 * run being discarded tells nothing about what follows: one at a time. */
static int32_t QvBytesWanted(const UdDevice *dev) {
  if (dev == NULL || dev->rxSkip > 0 || dev->rxDiscard) return 1;
  if (dev->rxCount <= 0) return 0;
  int32_t least = dev->rxBuffer[0] == 'D' ? QV_MOTION_LENGTH : dev->rxBuffer[0] == 'K' ? QV_BUTTON_LENGTH : 0;
  if (memchr(dev->rxBuffer, CR, (size_t)dev->rxCount) != NULL) return 1; /* a packet not yet collected */
  return least - dev->rxCount > 1 ? least - dev->rxCount : 1;
}

static int32_t QvBeep(UdDevice *dev, const char *pattern) {
  if (dev == NULL || pattern == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  uint8_t command[QV_COMMAND_SIZE];
  int32_t length = QvEncodeBeep(command, pattern);
  if (length < 0) return UD_FAIL(UD_BAD_ARGUMENT);
  return Send(dev, command, length);
}

static int32_t QvReset(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  int32_t result = Send(dev, kReset, sizeof kReset);
  if (result != UD_OK) return result;
  UdSleep(QV_RESET_PAUSE_MS);
  SendInit(dev);
  return UD_UNSUPPORTED;
}

static int32_t QvRezero(UdDevice *dev) {
  if (dev == NULL) return UD_FAIL(UD_BAD_ARGUMENT);
  return Send(dev, kRezero, sizeof kRezero);
}

const UdOps udQuorvanelOps = {
    .open = QvOpen,
    .close = QvClose,
    .parse = QvParse,
    .beep = QvBeep,
    .reset = QvReset,
    .rezero = QvRezero,
    .write = UdOpWriteUnsupported,
    .getPeriod = UdOpGetPeriod,
    .getDataMode = UdOpGetDataMode,
    .setDataMode = UdOpSetDataMode,
    .bytesWanted = QvBytesWanted,
};
