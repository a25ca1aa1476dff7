/* seqnum.cpp — arithmetic of event sequence numbers (see seqnum.h). */
#include "seqnum.h"

uint16_t SeqNext(uint16_t s) {
  return s >= 65535 ? 1 : (uint16_t)(s + 1);
}

uint16_t SeqPrev(uint16_t s) {
  return s <= 1 ? 65535 : (uint16_t)(s - 1);
}

uint32_t SeqForward(uint16_t a, uint16_t b) {
  if (b == a) return 0; /* a number is no distance from itself */
  if (b > a) return (uint32_t)(b - a);
  /* Going round skips 0, hence the extra step back. */
  return (uint32_t)((int32_t)b - (int32_t)a - 1) & 0xFFFFu;
}

int SeqNewer(uint16_t a, uint16_t b) {
  return SeqForward(a, b) < SeqForward(b, a);
}
