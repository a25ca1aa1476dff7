/* ring.h — the byte ring of an event queue and its record codec, shared by
 * the driver (writer) and the library (reader). Offsets come from shared
 * memory another process writes, so every function takes them by value,
 * checks them, and never touches a byte outside [ring, ring + size). */
#ifndef GYX_RING_H
#define GYX_RING_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Record header: 2-byte sequence number, 2-byte payload length. */
#define RING_RECORD_HEADER 4

/* Offsets are valid when both lie in [0, size). */
int RingOffsetsValid(int32_t readOff, int32_t writeOff, int32_t size);

/* Bytes the writer may still put (one byte always stays empty); -1 for bad offsets. */
int32_t RingFree(int32_t readOff, int32_t writeOff, int32_t size);

/* Bytes the reader may take; -1 for bad offsets. */
int32_t RingReadable(int32_t readOff, int32_t writeOff, int32_t size);

/* Copies n bytes in at *writeOff, wrapping at the end; the caller has checked room. */
void RingWriteBytes(uint8_t *ring, int32_t size, int32_t *writeOff, const void *data, int32_t n);

/* Copies n bytes out from *readOff (peek leaves the offset alone when
 * advance is 0); -1 when fewer than n bytes are readable. */
int RingReadBytes(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, void *out, int32_t n,
                  int advance);

/* Writes one record (sequence, length, payload) when it fits: 0, or -13 (no
 * room, nothing written), or -17 (corrupt offsets, nothing written). */
int RingPutRecord(uint8_t *ring, int32_t size, int32_t readOff, int32_t *writeOff, uint16_t seq,
                  const void *payload, uint16_t length);

/* Reads the record numbered `wanted` into buf, discarding older records
 * before it. 0 on success with *readOff moved past it; -1 when the wanted
 * record is older than the oldest one held (nothing consumed); -17 when the
 * ring holds no complete record where one is expected, or a record does not
 * fit buf (nothing consumed: the caller resynchronises the queue). */
int RingReadRecord(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, uint16_t wanted,
                   void *buf, int32_t capacity, int32_t *length);

/* The oldest record's number and the first n bytes of its payload (fewer
 * when it is shorter; *got says how many), nothing consumed: 0, or -1 when
 * the ring holds no complete record. */
int RingPeekRecord(const uint8_t *ring, int32_t size, int32_t readOff, int32_t writeOff, uint16_t *seq,
                   void *out, int32_t n, int32_t *got);

#ifdef __cplusplus
}
#endif

#endif
