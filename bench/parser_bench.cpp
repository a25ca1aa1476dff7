/* parser_bench.cpp — native speed of the packet parsers (Quorvanel, and the
 * bit-7 framed Quorvanel Stick and Lumeqaro 700), through UdParseInput exactly
 * as the driver's input loop calls it, over a long stream of mixed packets
 * (escapes and malformed packets included). Every pass checks that the parser
 * produced the events the stream holds, so a fast wrong parser reports an
 * error instead of a figure.
 * Run by bench/run.sh; Google Benchmark prints bytes per second. */
#include <benchmark/benchmark.h>

#include <string.h>

#include <vector>

#include "bench/b7stream.h"
#include "bench/qvstream.h"
#include "driver/device/udextern.h"
#include "driver/device/uddev.h"
#include "driver/device/udmodel.h"
#include "driver/device/udsystem.h"

namespace {

/* The operating system as the parser sees it: writes (the initialisation a
 * device message triggers) succeed and are counted; nothing else is used. */
int64_t gWrites;
int32_t ComOpen(UdDevice *) {
  return 0;
}
int32_t ComClose(UdDevice *) {
  return 0;
}
int32_t ComRead(UdDevice *, uint8_t *, int32_t) {
  return 0;
}
int32_t ComWrite(UdDevice *, const uint8_t *, int32_t count) {
  gWrites++;
  return count;
}
void SleepMs(int32_t) {}
int32_t ProfileString(const char *, const char *, const char *def, char *buf, int32_t size, const char *) {
  if (!buf || size < 1) return 0;
  strncpy(buf, def ? def : "", (size_t)size - 1);
  buf[size - 1] = 0;
  return (int32_t)strlen(buf);
}
int32_t ProfileSection(const char *, char *, int32_t, const char *) {
  return 0;
}
int32_t ProfileInt(const char *, const char *, int32_t def, const char *) {
  return def;
}
int32_t Log(const char *, int32_t, int32_t code) {
  return code;
}
const UdSystem kSystem = {ComOpen,       ComClose,       ComRead,    ComWrite, SleepMs,
                          ProfileString, ProfileSection, ProfileInt, Log};

const int64_t kStreamBytes = 8 << 20; /* 8 MiB: about half a million packets */

struct Stream {
  std::vector<uint8_t> bytes;
  QvStreamCounts counts;
  int rc;
};

const Stream &StreamFor(const char *modelKey) {
  static Stream s2200, s3200;
  Stream &s = modelKey[0] == '3' ? s3200 : s2200;
  if (s.bytes.empty()) s.rc = QvMakeStream(&s.bytes, kStreamBytes, 20240531u, modelKey, &s.counts);
  return s;
}

struct B7Stream {
  std::vector<uint8_t> bytes;
  B7StreamCounts counts;
  int rc;
};

const B7Stream &B7StreamFor(int32_t type) {
  static B7Stream stick, lumeqaro;
  B7Stream &s = type == GI_TYPE_LUMEQARO_700 ? lumeqaro : stick;
  if (s.bytes.empty())
    s.rc = B7MakeStream(&s.bytes, kStreamBytes, 20240531u,
                        type == GI_TYPE_LUMEQARO_700 ? "lumeqaro" : "stick", &s.counts);
  return s;
}

/* A device record open in cooked mode, as the driver has it after start-up. */
UdDevice *OpenDevice(int32_t type) {
  UdUseSystem(&kSystem);
  UdLoadModels();
  UdDevice *dev = &gUdDevices[0];
  memset(dev, 0, sizeof *dev);
  dev->index = 0;
  dev->type = type;
  dev->model = UdFindModel(type, 0);
  dev->dataMode = 1;
  dev->ops = dev->model->ops;
  return dev;
}

/* Feeds the stream in reads of `chunk` bytes; returns the events made. */
int64_t ParseAll(UdDevice *dev, const std::vector<uint8_t> &bytes, int32_t chunk) {
  int64_t events = 0;
  GiEvent ev;
  for (size_t at = 0; at < bytes.size(); at += (size_t)chunk) {
    int32_t n = (int32_t)(bytes.size() - at < (size_t)chunk ? bytes.size() - at : (size_t)chunk);
    int32_t r = UdParseInput(dev, bytes.data() + at, n, &ev);
    while (r == UD_EVENT_READY) {
      events++;
      benchmark::DoNotOptimize(ev);
      r = UdParseInput(dev, nullptr, 0, &ev);
    }
  }
  return events;
}

/* range(0): model type (1 = 2200, 2 = 3200); range(1): bytes per read
 * (1 as at 9600 baud, where every byte wakes the driver; 256 as the
 * driver's largest read). */
void BM_QuorvanelParse(benchmark::State &state) {
  const int32_t type = (int32_t)state.range(0);
  const int32_t chunk = (int32_t)state.range(1);
  const Stream &s = StreamFor(type == 2 ? "3200" : "2200");
  if (s.rc != 0) {
    state.SkipWithError("the stream could not be made");
    return;
  }
  UdDevice *dev = OpenDevice(type);
  int64_t wrong = 0;
  for (auto _ : state) {
    int64_t events = ParseAll(dev, s.bytes, chunk);
    if (events != s.counts.events()) wrong++;
  }
  if (wrong) {
    state.SkipWithError("the parser's events differ from the packets in the stream");
    return;
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)s.bytes.size());
  state.SetItemsProcessed((int64_t)state.iterations() * s.counts.events());
  const double packets = (double)(s.counts.events() + s.counts.malformed);
  state.counters["packets"] = packets;
  state.counters["escaped%"] = 100.0 * (double)s.counts.escaped / packets;
  state.counters["malformed%"] = 100.0 * (double)s.counts.malformed / packets;
}

/* range(0): model type (3 = Quorvanel Stick, 5 = Lumeqaro 700); range(1):
 * bytes per read, as above. */
void BM_Bit7Parse(benchmark::State &state) {
  const int32_t type = (int32_t)state.range(0);
  const int32_t chunk = (int32_t)state.range(1);
  const B7Stream &s = B7StreamFor(type);
  if (s.rc != 0) {
    state.SkipWithError("the stream could not be made");
    return;
  }
  UdDevice *dev = OpenDevice(type);
  int64_t wrong = 0;
  for (auto _ : state) {
    int64_t events = ParseAll(dev, s.bytes, chunk);
    UdResetReceive(dev); /* the stream ends in the first byte of a packet */
    if (events != s.counts.events()) wrong++;
  }
  if (wrong) {
    state.SkipWithError("the parser's events differ from the packets in the stream");
    return;
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)s.bytes.size());
  state.SetItemsProcessed((int64_t)state.iterations() * s.counts.events());
  const double packets = (double)(s.counts.events() + s.counts.malformed);
  state.counters["packets"] = packets;
  state.counters["malformed%"] = 100.0 * (double)s.counts.malformed / packets;
}

BENCHMARK(BM_QuorvanelParse)
    ->ArgNames({"type", "read"})
    ->Args({1, 256})
    ->Args({1, 1})
    ->Args({2, 256})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

BENCHMARK(BM_Bit7Parse)
    ->ArgNames({"type", "read"})
    ->Args({GI_TYPE_QUORVANEL_STICK, 256})
    ->Args({GI_TYPE_QUORVANEL_STICK, 1})
    ->Args({GI_TYPE_LUMEQARO_700, 256})
    ->Args({GI_TYPE_LUMEQARO_700, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
