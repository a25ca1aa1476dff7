// Ring codec and sequence arithmetic of the event queues, as both halves of
// the channel use them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lib/ring.h"
#include "lib/seqnum.h"

namespace {

constexpr int32_t kSize = 1800;

struct Ring {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kSize, 0xEE);
  int32_t rd = 0, wr = 0;
};

std::vector<uint8_t> Payload(int n, uint8_t first) {
  std::vector<uint8_t> p(n);
  for (int i = 0; i < n; i++) p[i] = (uint8_t)(first + i);
  return p;
}

TEST(RingFree, MatchesOneByteGapRule) {
  struct Case {
    int32_t rd, wr, free, readable;
  };
  const Case cases[] = {
      {0, 0, 1799, 0},    {0, 1799, 0, 1799}, {100, 99, 0, 1799},
      {100, 0, 99, 1700}, {0, 52, 1747, 52},  {1798, 50, 1747, 52},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RingFree(c.rd, c.wr, kSize), c.free) << c.rd << "," << c.wr;
    EXPECT_EQ(RingReadable(c.rd, c.wr, kSize), c.readable) << c.rd << "," << c.wr;
  }
}

TEST(RingFree, RejectsOffsetsOutsideTheRing) {
  const int32_t bad[][2] = {{-1, 0}, {0, -1}, {1800, 0}, {0, 1800}, {0x7fffffff, 5}};
  for (auto &b : bad) {
    EXPECT_EQ(RingFree(b[0], b[1], kSize), -1);
    EXPECT_EQ(RingReadable(b[0], b[1], kSize), -1);
  }
}

// Found by the ring fuzzer: a record without payload, given no buffer,
// copied from a null pointer.
TEST(RingRecord, EmptyPayloadWithoutBufferIsAHeaderOnly) {
  Ring r;
  r.rd = r.wr = 1798;
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 7, nullptr, 0), 0);
  EXPECT_EQ(r.wr, 2);
  uint8_t buf[4];
  int32_t length = -1;
  ASSERT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 7, buf, sizeof buf, &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(r.rd, r.wr);
}

TEST(RingRecord, WrapsAcrossTheEndFieldByField) {
  // Write offset 1798: sequence at 1798..1799, length and payload from 0.
  Ring r;
  r.rd = r.wr = 1798;
  auto p = Payload(48, 1);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 0x1234, p.data(), 48), 0);
  EXPECT_EQ(r.wr, 50);
  EXPECT_EQ(r.bytes[1798], 0x34);
  EXPECT_EQ(r.bytes[1799], 0x12);
  EXPECT_EQ(r.bytes[0], 48);
  EXPECT_EQ(r.bytes[1], 0);
  EXPECT_EQ(0, std::memcmp(&r.bytes[2], p.data(), 48));

  uint8_t out[132] = {};
  int32_t len = 0;
  ASSERT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 0x1234, out, sizeof out, &len), 0);
  EXPECT_EQ(len, 48);
  EXPECT_EQ(r.rd, 50);
  EXPECT_EQ(0, std::memcmp(out, p.data(), 48));
}

TEST(RingRecord, FitsExactlyAndNotOneByteMore) {
  // Free space exactly size + 4 takes the record; one byte less refuses it.
  for (int32_t shortBy : {0, 1}) {
    Ring r;
    r.rd = 100;
    r.wr = 100 - 1 - (48 + 4) + shortBy;  // free = rd - wr - 1
    ASSERT_EQ(RingFree(r.rd, r.wr, kSize), 52 - shortBy);
    int32_t before = r.wr;
    auto p = Payload(48, 7);
    int rc = RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 9, p.data(), 48);
    if (shortBy == 0) {
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(RingFree(r.rd, r.wr, kSize), 0);
    } else {
      EXPECT_EQ(rc, -13);
      EXPECT_EQ(r.wr, before);
    }
  }
}

TEST(RingRecord, HoldsThirtyFourMotionRecords) {
  Ring r;
  auto p = Payload(48, 0);
  uint16_t seq = 1;
  int stored = 0;
  while (RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, seq, p.data(), 48) == 0) {
    seq = SeqNext(seq);
    stored++;
  }
  EXPECT_EQ(stored, 34);
}

TEST(RingRecord, ReadSkipsOlderRecordsToTheWantedOne) {
  Ring r;
  for (uint16_t s = 1; s <= 3; s++) {
    auto p = Payload(48, (uint8_t)(s * 10));
    ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, s, p.data(), 48), 0);
  }
  uint8_t out[48];
  ASSERT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 3, out, sizeof out, nullptr), 0);
  EXPECT_EQ(out[0], 30);
  EXPECT_EQ(r.rd, r.wr);
}

TEST(RingRecord, OlderThanOldestIsGoneAndConsumesNothing) {
  Ring r;
  auto p = Payload(48, 0);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 5, p.data(), 48), 0);
  uint8_t out[48];
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 4, out, sizeof out, nullptr), -1);
  EXPECT_EQ(r.rd, 0);
}

TEST(RingRecord, NotYetWrittenOrTruncatedIsIncomplete) {
  Ring r;
  uint8_t out[48];
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 1, out, sizeof out, nullptr), -17);
  // A record whose payload is not all there yet.
  auto p = Payload(48, 0);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 1, p.data(), 48), 0);
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr - 1, 1, out, sizeof out, nullptr), -17);
  EXPECT_EQ(r.rd, 0);
  // Older records and then nothing: the wanted one has not arrived.
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 2, out, sizeof out, nullptr), -17);
  EXPECT_EQ(r.rd, 0);
}

TEST(RingRecord, PeekShowsTheOldestWholeRecordAndConsumesNothing) {
  Ring r;
  r.rd = r.wr = 1798;  // the record wraps: its length and payload start at 0
  uint8_t out[8];
  uint16_t seq = 0;
  int32_t got = -1;
  EXPECT_EQ(RingPeekRecord(r.bytes.data(), kSize, r.rd, r.wr, &seq, out, 4, &got), -1) << "empty";
  auto p = Payload(48, 1);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 0x1234, p.data(), 48), 0);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 0x1235, Payload(2, 9).data(), 2), 0);
  EXPECT_EQ(RingPeekRecord(r.bytes.data(), kSize, r.rd, 40, &seq, out, 4, &got), -1)
      << "payload not all written";
  ASSERT_EQ(RingPeekRecord(r.bytes.data(), kSize, r.rd, r.wr, &seq, out, 4, &got), 0);
  EXPECT_EQ(seq, 0x1234);
  EXPECT_EQ(got, 4);
  EXPECT_EQ(0, std::memcmp(out, p.data(), 4));
  EXPECT_EQ(r.rd, 1798);
  uint8_t whole[48];
  ASSERT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 0x1234, whole, sizeof whole, nullptr), 0);
  ASSERT_EQ(RingPeekRecord(r.bytes.data(), kSize, r.rd, r.wr, &seq, out, 4, &got), 0);
  EXPECT_EQ(seq, 0x1235);
  EXPECT_EQ(got, 2) << "no more than the record holds";
  EXPECT_EQ(RingPeekRecord(r.bytes.data(), kSize, kSize, r.wr, &seq, out, 4, &got), -1) << "bad offset";
}

TEST(RingRecord, RecordLargerThanTheBufferIsRefused) {
  Ring r;
  auto p = Payload(132, 0);
  ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 1, p.data(), 132), 0);
  uint8_t out[48];
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 1, out, sizeof out, nullptr), -17);
  EXPECT_EQ(r.rd, 0);
}

TEST(RingRecord, CorruptOffsetsWriteNothing) {
  Ring r;
  r.rd = 5000;  // an application scribbled over its read offset
  auto p = Payload(48, 0);
  EXPECT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, 1, p.data(), 48), -17);
  EXPECT_EQ(r.wr, 0);
  for (uint8_t b : r.bytes) ASSERT_EQ(b, 0xEE);
}

TEST(SeqNum, WrapsPastZero) {
  EXPECT_EQ(SeqNext(65534), 65535);
  EXPECT_EQ(SeqNext(65535), 1);
  EXPECT_EQ(SeqNext(1), 2);
  EXPECT_EQ(SeqPrev(1), 65535);
  EXPECT_EQ(SeqPrev(2), 1);
}

TEST(SeqNum, OrderOnTheCycle) {
  struct Case {
    uint16_t a, b;
    uint32_t fwd;
    bool newer;
  };
  const Case cases[] = {
      {65534, 65535, 1, true},  {65535, 1, 1, true},      {1, 2, 1, true},  {65535, 2, 2, true},
      {2, 65535, 65533, false}, {1, 65535, 65534, false}, {7, 7, 0, false},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(SeqForward(c.a, c.b), c.fwd) << c.a << "->" << c.b;
    EXPECT_EQ(SeqNewer(c.a, c.b) != 0, c.newer) << c.a << "->" << c.b;
  }
}

TEST(RingRecord, SequenceRunsThroughTheWrapInTheRing) {
  Ring r;
  const uint16_t seqs[] = {65534, 65535, 1, 2};
  for (uint16_t s : seqs) {
    auto p = Payload(48, (uint8_t)s);
    ASSERT_EQ(RingPutRecord(r.bytes.data(), kSize, r.rd, &r.wr, s, p.data(), 48), 0);
  }
  uint8_t out[48];
  // Asking for 1 skips 65534 and 65535, which are older.
  ASSERT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 1, out, sizeof out, nullptr), 0);
  EXPECT_EQ(out[0], 1);
  // 65535 is now older than the oldest held (2): gone.
  EXPECT_EQ(RingReadRecord(r.bytes.data(), kSize, &r.rd, r.wr, 65535, out, sizeof out, nullptr), -1);
}

}  // namespace
