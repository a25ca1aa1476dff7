// ring_fuzz.cpp — the application's reading of an event queue, fed rings and
// offsets as a hostile or broken writer could leave them: any ring size the
// attach handshake accepts, any offsets (valid or not), any record headers,
// any wanted sequence number and reader capacity. It reads as the library
// does (offsets taken once and checked, then RingReadRecord into a buffer of
// exactly the capacity) and checks that a failure consumes nothing and a
// success stays inside the ring and the buffer. A second part writes records
// of lengths from the input with the writer's own codec at any valid offsets
// and checks that the reader gives back exactly what was written.
//
// Input: ring size, read and write offsets, then up to eight reads (wanted
// number, capacity), then the ring's bytes, then the round-trip script.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "fuzzkit.h"
#include "lib/channel.h"
#include "lib/ring.h"
#include "lib/seqnum.h"

namespace {

// Ring sizes the library accepts at attach: more than a record header, at
// most the channel's ring.
int32_t RingSize(uint16_t v) {
  return RING_RECORD_HEADER + 1 + (int32_t)(v % (CHANNEL_RING_SIZE - RING_RECORD_HEADER));
}

// One read as AppMmapReadEvent makes it, against the ring in place.
int ReadOnce(const uint8_t *ring, int32_t size, int32_t *readOff, int32_t writeOff, uint16_t wanted,
             int32_t capacity) {
  if (!RingOffsetsValid(*readOff, writeOff, size)) return TRANS_INCOMPLETE;
  // Exactly capacity bytes, on the heap: a byte written past it is a report.
  std::vector<uint8_t> buf((size_t)capacity);
  int32_t before = *readOff, length = -1;
  int rc = RingReadRecord(ring, size, readOff, writeOff, wanted, buf.data(), capacity, &length);
  FUZZ_CHECK(rc == 0 || rc == TRANS_NOT_ATTACHED || rc == TRANS_INCOMPLETE);
  if (rc != 0) {
    FUZZ_CHECK(*readOff == before);
  } else {
    FUZZ_CHECK(*readOff >= 0 && *readOff < size);
    FUZZ_CHECK(length >= 0 && length <= capacity);
    // What was consumed can never be more than what was readable.
    int32_t used = *readOff - before;
    if (used < 0) used += size;
    FUZZ_CHECK(used <= RingReadable(before, writeOff, size));
  }
  return rc;
}

void HostileReads(FuzzReader &in) {
  const int32_t size = RingSize(in.Word16());
  int32_t readOff = (int16_t)in.Word16();  // negative and out of range too
  const int32_t writeOff = (int16_t)in.Word16();
  struct Read {
    uint16_t wanted;
    int32_t capacity;
  } reads[8];
  const int numReads = 1 + in.Byte() % 8;
  for (int i = 0; i < numReads; i++) {
    reads[i].wanted = in.Word16();
    reads[i].capacity = in.Byte() % 2 ? GI_EVENT_FULL_SIZE : in.Word16() % (CHANNEL_RING_SIZE + 1);
  }
  std::vector<uint8_t> ring((size_t)size, 0);
  size_t n;
  const uint8_t *bytes = in.Take((size_t)size, &n);
  memcpy(ring.data(), bytes, n);
  for (int i = 0; i < numReads; i++)
    ReadOnce(ring.data(), size, &readOff, writeOff, reads[i].wanted, reads[i].capacity);
}

// The writer's codec and the reader's agree on every record that fits.
void RoundTrip(FuzzReader &in) {
  const int32_t size = RingSize(in.Word16());
  std::vector<uint8_t> ring((size_t)size, 0xA5);
  int32_t readOff = in.Word16() % size;
  int32_t writeOff = readOff;
  uint16_t seq = SeqNext(in.Word16());  // never 0
  struct Put {
    uint16_t seq;
    std::vector<uint8_t> payload;
  };
  std::vector<Put> puts;
  const int numPuts = in.Byte() % 40;
  for (int i = 0; i < numPuts; i++) {
    uint16_t length = (uint16_t)(in.Byte() % 2 ? GI_EVENT_SHORT_SIZE : in.Word16() % (size + 8));
    std::vector<uint8_t> payload(length);
    for (auto &b : payload) b = (uint8_t)(seq + (&b - payload.data()));
    int32_t freeBefore = RingFree(readOff, writeOff, size);
    int rc = RingPutRecord(ring.data(), size, readOff, &writeOff, seq, payload.data(), length);
    if (length + RING_RECORD_HEADER <= freeBefore) {
      FUZZ_CHECK(rc == 0);
      puts.push_back({seq, payload});
      seq = SeqNext(seq);
    } else {
      FUZZ_CHECK(rc == TRANS_LENGTH);
    }
  }
  // Read some records by their own numbers and pass over the others, as the
  // library does when it reads the newest notice; the records passed over go
  // through the same buffer, so it must hold the longest.
  size_t longest = 0;
  for (const Put &p : puts) longest = p.payload.size() > longest ? p.payload.size() : longest;
  for (size_t i = 0; i < puts.size(); i++) {
    if (i + 1 < puts.size() && in.Byte() % 2) continue;
    std::vector<uint8_t> buf(longest + 1);
    int32_t length = -1;
    int rc = RingReadRecord(ring.data(), size, &readOff, writeOff, puts[i].seq, buf.data(),
                            (int32_t)buf.size(), &length);
    FUZZ_CHECK(rc == 0);
    FUZZ_CHECK((size_t)length == puts[i].payload.size());
    FUZZ_CHECK(length == 0 || memcmp(buf.data(), puts[i].payload.data(), (size_t)length) == 0);
  }
  FUZZ_CHECK(readOff == writeOff);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzReader in(data, size);
  HostileReads(in);
  RoundTrip(in);
  return 0;
}
