// Quorvanel 2200 and 3200: CR-terminated text packets with a caret escape,
// numbers as raw bytes inside them. The encoders here are the exact mirror of
// the driver's Quorvanel packet decoder; the tables at the bottom are the models.
#include "simmodel.h"

#include <string.h>

// Bytes that cannot travel as themselves: CR ends a packet, XON/XOFF would be
// taken as flow control, and the caret introduces an escape. Each goes as a
// caret and a letter whose value AND BF gives the byte back.
static int PutEscaped(SimBytes *out, uint8_t v) {
  uint8_t letter = 0;
  switch (v) {
    case 0x0D:
      letter = 'M';
      break;
    case 0x11:
      letter = 'Q';
      break;
    case 0x13:
      letter = 'S';
      break;
    case 0x5E:
      letter = '^';
      break;
    default:
      return SimBytesPut(out, v);
  }
  if (out->count > SIM_BYTES_MAX - 2) return SIM_ERR_FULL;
  SimBytesPut(out, '^');
  return SimBytesPut(out, letter);
}

// 16-bit field, high byte first.
static int PutWord(SimBytes *out, int32_t value) {
  if (value < -32768 || value > 32767) return SIM_ERR_ARGUMENT;
  uint16_t w = (uint16_t)value;
  int rc = PutEscaped(out, (uint8_t)(w >> 8));
  return rc != SIM_OK ? rc : PutEscaped(out, (uint8_t)(w & 0xFF));
}

// Builds a packet in a scratch record so a failure leaves out unchanged.
static int Finish(SimBytes *out, const SimBytes *packet, int rc) {
  if (rc != SIM_OK) return rc;
  return SimBytesAppend(out, packet->data, packet->count);
}

static int QvIsProbe(const uint8_t *command, int count) {
  return count == 3 && memcmp(command, "hv\r", 3) == 0;
}

// Commands travel as they are.
static int QvDecodeCommand(const uint8_t *command, int count, SimBytes *text) {
  SimBytesClear(text);
  return SimBytesAppend(text, command, count) == SIM_OK ? SIM_OK : SIM_ERR_SYNTAX;
}

// The reply goes out as the device's text followed by CR; the driver scans
// the raw bytes for its prefix, so no escaping applies here.
static int QvEncodeReply(const uint8_t *text, int count, SimBytes *out) {
  SimBytes p;
  SimBytesClear(&p);
  int rc = SimBytesAppend(&p, text, count);
  if (rc == SIM_OK) rc = SimBytesPut(&p, '\r');
  return Finish(out, &p, rc);
}

// "K", the 16-bit button field high byte first, CR.
static int QvEncodeButtons(uint32_t raw, SimBytes *out) {
  if (raw > 0xFFFF) return SIM_ERR_ARGUMENT;
  SimBytes p;
  SimBytesClear(&p);
  SimBytesPut(&p, 'K');
  int rc = PutEscaped(&p, (uint8_t)(raw >> 8));
  if (rc == SIM_OK) rc = PutEscaped(&p, (uint8_t)(raw & 0xFF));
  if (rc == SIM_OK) rc = SimBytesPut(&p, '\r');
  return Finish(out, &p, rc);
}

// "D", period, tx, ty, tz, rx, ry, rz as 16-bit fields, CR: 16 bytes once
// the escapes are undone.
static int QvEncodeMotion(const SimMotion *motion, SimBytes *out) {
  if (!motion) return SIM_ERR_ARGUMENT;
  SimBytes p;
  SimBytesClear(&p);
  SimBytesPut(&p, 'D');
  int rc = PutWord(&p, motion->period);
  for (int i = 0; i < 6 && rc == SIM_OK; i++) rc = PutWord(&p, motion->axis[i]);
  if (rc == SIM_OK) rc = SimBytesPut(&p, '\r');
  return Finish(out, &p, rc);
}

// "@", the text, CR and one more byte: the driver consumes the byte after
// a message's CR together with the message, so the device's line feed must
// be there or the next packet would lose its first byte.
static int QvEncodeMessage(const uint8_t *text, int count, SimBytes *out) {
  SimBytes p;
  SimBytesClear(&p);
  SimBytesPut(&p, '@');
  int rc = SIM_OK;
  for (int i = 0; i < count && rc == SIM_OK; i++) rc = PutEscaped(&p, text[i]);
  if (rc == SIM_OK) rc = SimBytesPut(&p, '\r');
  if (rc == SIM_OK) rc = SimBytesPut(&p, '\n');
  return Finish(out, &p, rc);
}

// The driver's initialisation after a successful identification. The
// "FT"/"FR" pair goes as one write but arrives as two CR-ended commands.
static const uint8_t kStep1[] = {'\r'};
static const uint8_t kStep2[] = {'C', 'B', '\r'};
static const uint8_t kStep3[] = {'N', 'T', '\r'};
static const uint8_t kStep4[] = {'F', 'T', 0, '\r'};
static const uint8_t kStep5[] = {'F', 'R', 0, '\r'};
static const uint8_t kStep6[] = {'P', '@', 'r', '@', 'r', '\r'};
static const uint8_t kStep7[] = {'M', 'S', 'S', 'V', '\r'};
static const uint8_t kStep8[] = {'Z', '\r'};
static const SimWire kQvInit[] = {
    {kStep1, sizeof kStep1}, {kStep2, sizeof kStep2}, {kStep3, sizeof kStep3}, {kStep4, sizeof kStep4},
    {kStep5, sizeof kStep5}, {kStep6, sizeof kStep6}, {kStep7, sizeof kStep7}, {kStep8, sizeof kStep8},
};

// Every byte of the button field carries 0x40 so that it stays printable;
// the buttons sit in the six bits below it.
static const SimButtonName kQv2200Buttons[] = {
    {"1", 1u << 0}, {"2", 1u << 1},  {"3", 1u << 2},       {"4", 1u << 3},  {"5", 1u << 8},
    {"6", 1u << 9}, {"7", 1u << 10}, {"rezero", 1u << 11}, {"9", 1u << 12}, {"right", 1u << 12},
};
static const SimButtonName kQv3200Buttons[] = {
    {"right", 1u << 4},
    {"left", 1u << 5},
    {"rezero", 1u << 13},
};

// Identification replies: 46 characters, the digit after "2." tells the
// two models apart (3, 6, 9 for the 3200).
static const char kQv2200Firmware[] = "HvFirmware version 2.14 Quorvanel 2200 SN 0042";
static const char kQv3200Firmware[] = "HvFirmware version 2.30 Quorvanel 3200 SN 0042";
static_assert(sizeof kQv2200Firmware - 1 == 46, "Quorvanel replies are 46 characters");
static_assert(sizeof kQv3200Firmware - 1 == 46, "Quorvanel replies are 46 characters");

const SimModel SimModelQv2200 = {
    .key = "2200",
    .name = "Quorvanel 2200",
    .firmware = kQv2200Firmware,
    .buttons = kQv2200Buttons,
    .buttonCount = sizeof kQv2200Buttons / sizeof kQv2200Buttons[0],
    .buttonIdle = 0x4040,
    .ticksPerMs = 16,
    .initSteps = kQvInit,
    .initStepCount = sizeof kQvInit / sizeof kQvInit[0],
    .checksummed = 0,
    .isProbe = QvIsProbe,
    .decodeCommand = QvDecodeCommand,
    .encodeReply = QvEncodeReply,
    .encodeButtons = QvEncodeButtons,
    .encodeMotion = QvEncodeMotion,
    .encodeMessage = QvEncodeMessage,
};

const SimModel SimModelQv3200 = {
    .key = "3200",
    .name = "Quorvanel 3200",
    .firmware = kQv3200Firmware,
    .buttons = kQv3200Buttons,
    .buttonCount = sizeof kQv3200Buttons / sizeof kQv3200Buttons[0],
    .buttonIdle = 0x4040,
    .ticksPerMs = 16,
    .initSteps = kQvInit,
    .initStepCount = sizeof kQvInit / sizeof kQvInit[0],
    .checksummed = 0,
    .isProbe = QvIsProbe,
    .decodeCommand = QvDecodeCommand,
    .encodeReply = QvEncodeReply,
    .encodeButtons = QvEncodeButtons,
    .encodeMotion = QvEncodeMotion,
    .encodeMessage = QvEncodeMessage,
};
