// How long a port sleeps before reading a packet's remaining bytes: the line
// time of one character from the model's settings, and the sleep through all
// but the last few bytes (none when it would be too short to be worth it).
#include <gtest/gtest.h>

#include "driver/device/udpace.h"

namespace {

UdModel Line(int32_t baud, int32_t dataBits, int32_t parity, int32_t stopBits) {
  UdModel m = {};
  m.baudRate = baud;
  m.dataBits = dataBits;
  m.parity = parity;
  m.stopBits = stopBits;
  return m;
}

TEST(UdPace, CharacterTimeCountsStartParityAndStopBits) {
  struct {
    UdModel model;
    int32_t micros;
  } cases[] = {
      {Line(9600, 8, 0, 1), 1041},  // 10 bits: every model of the table
      {Line(9600, 7, 2, 1), 1041},  // mark parity: 7 + 1 + start + stop
      {Line(9600, 8, 4, 2), 1250},  // even parity and two stop bits: 12 bits
      {Line(9600, 7, 3, 2), 1145},  // odd parity, two stop bits: 11 bits
      {Line(1200, 8, 0, 1), 8333},  // slower line
      {Line(115200, 8, 0, 1), 86},  // faster line
      {Line(0, 8, 0, 1), 0},        // no line speed
      {Line(-9600, 8, 0, 1), 0},
  };
  for (auto &c : cases)
    EXPECT_EQ(UdByteMicros(&c.model), c.micros) << c.model.baudRate << " " << c.model.parity;
  EXPECT_EQ(UdByteMicros(nullptr), 0);
}

TEST(UdPace, SleepLeavesTheLastBytesToTheRead) {
  UdModel m9600 = Line(9600, 8, 0, 1), fast = Line(115200, 8, 0, 1), slow = Line(300, 8, 0, 1);
  struct {
    const UdModel *model;
    int32_t want, micros;
  } cases[] = {
      {&m9600, 0, 0},
      {&m9600, 1, 0},
      {&m9600, UD_PACE_TAIL_BYTES, 0},  // the read takes them all
      {&m9600, UD_PACE_TAIL_BYTES + 1, 1041},
      {&m9600, 16, 14 * 1041},  // a whole Quorvanel motion packet
      {&m9600, -5, 0},
      {&fast, 12, 0},  // 10 x 86 us: not worth a wake-up
      {&fast, 14, 1032},
      {&slow, 1000000, 1000000},  // never more than a second
      {nullptr, 16, 0},
  };
  for (auto &c : cases) EXPECT_EQ(UdPaceMicros(c.model, c.want), c.micros) << c.want;
}

}  // namespace
