/* ring.cpp — byte ring and record codec of the event queues (see ring.h). */
#include "ring.h"

#include <string.h>

#include "seqnum.h"

int RingOffsetsValid(int32_t readOff, int32_t writeOff, int32_t size) {
  return size > 0 && readOff >= 0 && readOff < size && writeOff >= 0 && writeOff < size;
}

int32_t RingFree(int32_t readOff, int32_t writeOff, int32_t size) {
  if (!RingOffsetsValid(readOff, writeOff, size)) return -1;
  return readOff > writeOff ? readOff - writeOff - 1 : readOff - writeOff + size - 1;
}

int32_t RingReadable(int32_t readOff, int32_t writeOff, int32_t size) {
  if (!RingOffsetsValid(readOff, writeOff, size)) return -1;
  return readOff > writeOff ? writeOff - readOff + size : writeOff - readOff;
}

void RingWriteBytes(uint8_t *ring, int32_t size, int32_t *writeOff, const void *data, int32_t n) {
  if (n <= 0) return; /* an empty payload may come without a buffer */
  const uint8_t *src = (const uint8_t *)data;
  int32_t at = *writeOff;
  int32_t first = size - at < n ? size - at : n;
  memcpy(ring + at, src, (size_t)first);
  memcpy(ring, src + first, (size_t)(n - first));
  at += n;
  if (at >= size) at -= size;
  *writeOff = at;
}

int RingReadBytes(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, void *out, int32_t n,
                  int advance) {
  int32_t avail = RingReadable(*readOff, writeOff, size);
  if (n < 0 || avail < n) return -1;
  uint8_t *dst = (uint8_t *)out;
  int32_t at = *readOff;
  int32_t first = size - at < n ? size - at : n;
  if (dst) {
    memcpy(dst, ring + at, (size_t)first);
    memcpy(dst + first, ring, (size_t)(n - first));
  }
  if (advance) {
    at += n;
    if (at >= size) at -= size;
    *readOff = at;
  }
  return 0;
}

static void PutWord16(uint8_t *ring, int32_t size, int32_t *writeOff, uint16_t v) {
  uint8_t b[2] = {(uint8_t)(v & 0xFF), (uint8_t)(v >> 8)};
  RingWriteBytes(ring, size, writeOff, b, 2);
}

int RingPutRecord(uint8_t *ring, int32_t size, int32_t readOff, int32_t *writeOff, uint16_t seq,
                  const void *payload, uint16_t length) {
  int32_t room = RingFree(readOff, *writeOff, size);
  if (room < 0) return -17;
  if ((int32_t)length + RING_RECORD_HEADER > room) return -13;
  PutWord16(ring, size, writeOff, seq);
  PutWord16(ring, size, writeOff, length);
  RingWriteBytes(ring, size, writeOff, payload, length);
  return 0;
}

static int GetWord16(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, uint16_t *v,
                     int advance) {
  uint8_t b[2];
  if (RingReadBytes(ring, size, readOff, writeOff, b, 2, advance) != 0) return -1;
  *v = (uint16_t)(b[0] | (b[1] << 8));
  return 0;
}

int RingReadRecord(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, uint16_t wanted,
                   void *buf, int32_t capacity, int32_t *length) {
  /* Work on a copy of the offset: it is published only when a whole record
   * has been read, so a failure consumes nothing. */
  int32_t at = *readOff;
  uint16_t seq, len;
  if (GetWord16(ring, size, &at, writeOff, &seq, 0) != 0) return -17;
  if (seq != wanted && SeqNewer(wanted, seq)) return -1;
  for (;;) {
    if (GetWord16(ring, size, &at, writeOff, &seq, 1) != 0) return -17;
    if (GetWord16(ring, size, &at, writeOff, &len, 1) != 0) return -17;
    if ((int32_t)len > capacity) return -17;
    if (RingReadBytes(ring, size, &at, writeOff, buf, len, 1) != 0) return -17;
    if (seq == wanted) break;
  }
  *readOff = at;
  if (length) *length = len;
  return 0;
}

int RingPeekRecord(const uint8_t *ring, int32_t size, int32_t readOff, int32_t writeOff, uint16_t *seq,
                   void *out, int32_t n, int32_t *got) {
  int32_t at = readOff;
  uint16_t number, len;
  if (!RingOffsetsValid(readOff, writeOff, size) || n < 0) return -1;
  if (GetWord16(ring, size, &at, writeOff, &number, 1) != 0) return -1;
  if (GetWord16(ring, size, &at, writeOff, &len, 1) != 0) return -1;
  if (RingReadable(at, writeOff, size) < (int32_t)len) return -1; /* not all of it written yet */
  int32_t take = n < (int32_t)len ? n : (int32_t)len;
  if (RingReadBytes(ring, size, &at, writeOff, out, take, 0) != 0) return -1;
  if (seq) *seq = number;
  if (got) *got = take;
  return 0;
}
