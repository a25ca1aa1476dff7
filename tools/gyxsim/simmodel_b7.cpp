// Quorvanel Stick and Lumeqaro 700: packets framed by bit 7 (the first byte
// of a packet has it clear, every further byte set), motion as a stream of
// 10-bit fields in 7-bit bytes, commands with a checksum. The encoders are the
// device's side of the driver's bit-7 parsers; the tables at the bottom are
// the models.
//
// A packet ends only where the next one begins, so the simulated device ends
// every report with a CR: its bit 7 is clear, so the report is complete at
// once, and the driver drops the CR itself as a packet of no known type when
// the next report comes. Without it the last report of a burst would wait.
#include <string.h>

#include "simmodel.h"

enum { BIT7 = 0x80, CR = 0x0D };

// The Lumeqaro scrambles motion bytes 2 to 10 with this key, one byte each.
static const uint8_t kLumeqaroKey[9] = {'k', '5', 'V', 'b', '#', 'P', 'w', '9', 'T'};

// Builds a packet in a scratch record so a failure leaves out unchanged.
static int Finish(SimBytes *out, const SimBytes *packet, int rc) {
  if (rc != SIM_OK) return rc;
  return SimBytesAppend(out, packet->data, packet->count);
}

// Fields of 10 bits, most significant bit first, into `bytes` bytes of seven
// data bits each (bit 7 not yet set).
static void Pack(const int32_t *fields, int count, uint8_t *bytes, int n) {
  memset(bytes, 0, (size_t)n);
  int bit = 0;
  for (int f = 0; f < count; f++)
    for (int i = 9; i >= 0; i--, bit++)
      if (((uint32_t)fields[f] >> i) & 1u) bytes[bit / 7] |= (uint8_t)(0x40 >> (bit % 7));
}

static int AxesFit(const SimMotion *m) {
  for (int i = 0; i < 6; i++)
    if (m->axis[i] < -512 || m->axis[i] > 511) return 0;
  return 1;
}

// Text framed as the device frames what it says: the first byte plain, the
// others with bit 7 set, a checksum (XOR of the text) with bit 7 set, CR. The
// driver removes bit 7 from every byte of the reply before it looks at it.
static int B7EncodeReply(const uint8_t *text, int count, SimBytes *out) {
  if (count < 1) return SIM_ERR_ARGUMENT;
  SimBytes p;
  SimBytesClear(&p);
  uint8_t sum = 0;
  int rc = SIM_OK;
  for (int i = 0; i < count && rc == SIM_OK; i++) {
    sum ^= text[i];
    rc = SimBytesPut(&p, i == 0 ? (uint8_t)(text[i] & 0x7F) : (uint8_t)(text[i] | BIT7));
  }
  if (rc == SIM_OK) rc = SimBytesPut(&p, (uint8_t)(sum | BIT7));
  if (rc == SIM_OK) rc = SimBytesPut(&p, CR);
  return Finish(out, &p, rc);
}

// The reset: "reset" encoded, and one byte 80 between its checksum and CR.
static const uint8_t kReset[] = {0x72, 0xE5, 0xF3, 0xE5, 0xF4, 0xF5, 0x80, CR};

// A command as the driver sends it: plain "Z\r" and "?\r", the reset, or c0,
// the rest with bit 7 set, the checksum (XOR of the text) with bit 7 set, CR.
// The text comes back without its encoding, CR kept.
static int B7DecodeCommand(const uint8_t *command, int count, SimBytes *text) {
  SimBytesClear(text);
  if (count < 2 || command[count - 1] != CR || (command[0] & BIT7)) return SIM_ERR_SYNTAX;
  if (count == 2) return SimBytesAppend(text, command, 2);  // one plain character
  if (count == (int)sizeof kReset && memcmp(command, kReset, sizeof kReset) == 0)
    return SimBytesAppend(text, (const uint8_t *)"reset\r", 6);
  uint8_t sum = command[0];
  SimBytesPut(text, command[0]);
  for (int i = 1; i < count - 2; i++) {
    if (!(command[i] & BIT7)) return SIM_ERR_SYNTAX;
    sum ^= (uint8_t)(command[i] & 0x7F);
    SimBytesPut(text, (uint8_t)(command[i] & 0x7F));
  }
  if (command[count - 2] != (uint8_t)(sum | BIT7)) return SIM_ERR_SYNTAX;
  return SimBytesPut(text, CR);
}

// Quorvanel Stick -------------------------------------------------------------

static const uint8_t kStickProbe[] = {0x68, 0xF6, 0x9E, CR};  // "hv" encoded

static int QsIsProbe(const uint8_t *command, int count) {
  return count == (int)sizeof kStickProbe && memcmp(command, kStickProbe, sizeof kStickProbe) == 0;
}

// "K", the seven button bits, two bytes not used; CR.
static int QsEncodeButtons(uint32_t raw, SimBytes *out) {
  if (raw > 0x7F) return SIM_ERR_ARGUMENT;
  const uint8_t p[] = {'K', (uint8_t)(raw | BIT7), BIT7, BIT7, CR};
  return SimBytesAppend(out, p, sizeof p);
}

// "D", then the period and six axes as 10-bit fields in 11 bytes; CR.
static int QsEncodeMotion(const SimMotion *m, SimBytes *out) {
  if (!m || !AxesFit(m) || m->period < 0 || m->period > 1023) return SIM_ERR_ARGUMENT;
  int32_t fields[7] = {m->period};
  memcpy(fields + 1, m->axis, sizeof m->axis);
  uint8_t p[13] = {'D'};
  Pack(fields, 7, p + 1, 11);
  for (int i = 1; i < 12; i++) p[i] |= BIT7;
  p[12] = CR;
  return SimBytesAppend(out, p, sizeof p);
}

// "R" and the text, every byte with bit 7 set; CR.
static int QsEncodeMessage(const uint8_t *text, int count, SimBytes *out) {
  SimBytes p;
  SimBytesClear(&p);
  int rc = SimBytesPut(&p, 'R');
  for (int i = 0; i < count && rc == SIM_OK; i++) rc = SimBytesPut(&p, (uint8_t)(text[i] | BIT7));
  if (rc == SIM_OK) rc = SimBytesPut(&p, CR);
  return Finish(out, &p, rc);
}

// Lumeqaro 700 ------------------------------------------------------------------

static int LqIsProbe(const uint8_t *command, int count) {
  return count == 2 && command[0] == '?' && command[1] == CR;
}

// "K", a byte not used, the button bits, two bytes not used; CR.
static int LqEncodeButtons(uint32_t raw, SimBytes *out) {
  if (raw > 0x7F) return SIM_ERR_ARGUMENT;
  const uint8_t p[] = {'K', BIT7, (uint8_t)(raw | BIT7), BIT7, BIT7, CR};
  return SimBytesAppend(out, p, sizeof p);
}

// "D", a byte not used, six 10-bit axes in nine bytes scrambled with the
// key, a byte not used; CR. The device sends no period.
static int LqEncodeMotion(const SimMotion *m, SimBytes *out) {
  if (!m || !AxesFit(m)) return SIM_ERR_ARGUMENT;
  uint8_t p[13] = {'D'};
  Pack(m->axis, 6, p + 2, 9);
  for (int i = 0; i < 9; i++) p[2 + i] ^= kLumeqaroKey[i];
  for (int i = 1; i < 12; i++) p[i] |= BIT7;
  p[12] = CR;
  return SimBytesAppend(out, p, sizeof p);
}

static int LqEncodeMessage(const uint8_t *, int, SimBytes *) {
  return SIM_ERR_ARGUMENT;  // this model has no device messages
}

// Buttons by their raw bits. Bit 6 is the one that arrives as bit 0.
static const SimButtonName kStickButtons[] = {
    {"right", 1u << 0},
    {"left", 1u << 1},
    {"rezero", 1u << 6},
};
static const SimButtonName kLumeqaroButtons[] = {
    {"1", 1u << 0}, {"2", 1u << 1}, {"3", 1u << 2},      {"4", 1u << 3},
    {"5", 1u << 4}, {"6", 1u << 5}, {"rezero", 1u << 6},
};

// Identification replies: 17 characters for the Stick, 52 for the Lumeqaro.
static const char kStickFirmware[] = "HvV3.21 Stick 042";
static const char kLumeqaroFirmware[] = "!1 Quorvanel (R) V4.03 Lumeqaro 700 SN 00420 1996-05";
static_assert(sizeof kStickFirmware - 1 == 17, "the Stick's reply is 17 characters");
static_assert(sizeof kLumeqaroFirmware - 1 == 52, "the Lumeqaro's reply is 52 characters");

const SimModel SimModelStick = {
    .key = "stick",
    .name = "Quorvanel Stick",
    .firmware = kStickFirmware,
    .buttons = kStickButtons,
    .buttonCount = sizeof kStickButtons / sizeof kStickButtons[0],
    .buttonIdle = 0,
    .ticksPerMs = 1,
    .initSteps = nullptr,
    .initStepCount = 0,
    .checksummed = 1,
    .isProbe = QsIsProbe,
    .decodeCommand = B7DecodeCommand,
    .encodeReply = B7EncodeReply,
    .encodeButtons = QsEncodeButtons,
    .encodeMotion = QsEncodeMotion,
    .encodeMessage = QsEncodeMessage,
};

const SimModel SimModelLumeqaro = {
    .key = "lumeqaro",
    .name = "Lumeqaro 700",
    .firmware = kLumeqaroFirmware,
    .buttons = kLumeqaroButtons,
    .buttonCount = sizeof kLumeqaroButtons / sizeof kLumeqaroButtons[0],
    .buttonIdle = 0,
    .ticksPerMs = 1,
    .initSteps = nullptr,
    .initStepCount = 0,
    .checksummed = 1,
    .isProbe = LqIsProbe,
    .decodeCommand = B7DecodeCommand,
    .encodeReply = B7EncodeReply,
    .encodeButtons = LqEncodeButtons,
    .encodeMotion = LqEncodeMotion,
    .encodeMessage = LqEncodeMessage,
};
