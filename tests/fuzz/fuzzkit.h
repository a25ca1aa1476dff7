// fuzzkit.h — what every fuzz target shares: a check that stops the run with
// a message (libFuzzer keeps the input that failed it), a reader that takes
// numbers and byte runs off the front of the fuzzer's input, and a quiet
// device-layer system (ports that accept every write and hold no bytes, an
// empty profile, a log that only counts).
#ifndef GYX_TESTS_FUZZKIT_H
#define GYX_TESTS_FUZZKIT_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "driver/device/udsystem.h"

// A broken property is a finding like a sanitizer report: print and abort.
#define FUZZ_CHECK(cond)                                                          \
  do {                                                                            \
    if (!(cond)) {                                                                \
      fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
      abort();                                                                    \
    }                                                                             \
  } while (0)

// Takes values off the front of the input; past its end every value is 0 and
// every run is empty, so any input is a valid script.
class FuzzReader {
 public:
  FuzzReader(const uint8_t *data, size_t size) : p_(data), left_(size) {}
  size_t Left() const { return left_; }
  uint8_t Byte() {
    if (left_ == 0) return 0;
    left_--;
    return *p_++;
  }
  uint16_t Word16() { return (uint16_t)(Byte() | Byte() << 8); }
  uint32_t Word32() { return (uint32_t)Word16() | (uint32_t)Word16() << 16; }
  // Up to n bytes; *got tells how many there were.
  const uint8_t *Take(size_t n, size_t *got) {
    const uint8_t *at = p_;
    *got = n < left_ ? n : left_;
    p_ += *got;
    left_ -= *got;
    return at;
  }
  const uint8_t *Rest(size_t *got) { return Take(left_, got); }

 private:
  const uint8_t *p_;
  size_t left_;
};

namespace fuzzkit {

inline int32_t ComOpen(UdDevice *) {
  return 0;
}
inline int32_t ComClose(UdDevice *) {
  return 0;
}
inline int32_t ComRead(UdDevice *, uint8_t *, int32_t) {
  return 0;
}
inline int32_t ComWrite(UdDevice *, const uint8_t *, int32_t count) {
  return count;
}
inline void Sleep(int32_t) {}
inline int32_t ProfileString(const char *, const char *, const char *def, char *buf, int32_t size,
                             const char *) {
  if (buf == nullptr || size < 1) return 0;
  size_t n = strnlen(def ? def : "", (size_t)size - 1);
  memcpy(buf, def, n);
  buf[n] = '\0';
  return (int32_t)n;
}
inline int32_t ProfileSection(const char *, char *buf, int32_t size, const char *) {
  if (buf != nullptr && size >= 2) buf[0] = buf[1] = '\0';
  return 0;
}
inline int32_t ProfileInt(const char *, const char *, int32_t def, const char *) {
  return def;
}
inline int32_t Log(const char *, int32_t, int32_t code) {
  return code;
}

// The quiet system with the given profile functions (null: the empty profile).
inline UdSystem QuietSystem() {
  UdSystem sys = {
      .comOpen = ComOpen,
      .comClose = ComClose,
      .comRead = ComRead,
      .comWrite = ComWrite,
      .sleep = Sleep,
      .profileString = ProfileString,
      .profileSection = ProfileSection,
      .profileInt = ProfileInt,
      .log = Log,
  };
  return sys;
}

}  // namespace fuzzkit

#endif
