/* udpace.cpp — line time of a packet's remaining bytes (see udpace.h). */
#include "udpace.h"

int32_t UdByteMicros(const UdModel *model) {
  if (model == nullptr || model->baudRate <= 0) return 0;
  int32_t bits = 1 + model->dataBits + (model->parity >= 2 && model->parity <= 4 ? 1 : 0) +
                 (model->stopBits == 2 ? 2 : 1);
  /* Rounded down: a sleep that ends a little early leaves one more byte to
   * the read, one that ends late delays the packet. */
  return (int32_t)(1000000LL * bits / model->baudRate);
}

int32_t UdPaceMicros(const UdModel *model, int32_t want) {
  if (want <= UD_PACE_TAIL_BYTES) return 0;
  int64_t us = (int64_t)UdByteMicros(model) * (want - UD_PACE_TAIL_BYTES);
  if (us < UD_PACE_MIN_US) return 0;
  return us > 1000000 ? 1000000 : (int32_t)us;
}
