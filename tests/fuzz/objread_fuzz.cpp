// objread_fuzz.cpp — the jet demo's object-file reader over arbitrary file
// contents, followed by what the loader does with a list it returns (points
// and lines, midpoints). Checks the list's shape: every record a MOVEI or
// DRAWI with w = 1, the end marker last, and an object whose lines name
// existing, distinct points.
//
// The input is the whole file. Parse errors go to stderr as the demo writes
// them; run with -close_fd_mask=2 to keep them out of the log.
#include <stdint.h>
#include <stdio.h>
#include <sys/mman.h>
#include <unistd.h>

#include "fuzzkit.h"
#include "jet/object.h"

namespace {

int gFile = -1;       // one in-memory file, rewritten for every input
char gPath[64] = "";  // its name as the reader opens it

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  gFile = memfd_create("objfile", 0);
  FUZZ_CHECK(gFile >= 0);
  snprintf(gPath, sizeof gPath, "/proc/self/fd/%d", gFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FUZZ_CHECK(ftruncate(gFile, 0) == 0);
  FUZZ_CHECK(pwrite(gFile, data, size, 0) == (ssize_t)size);

  ObjectCommand *commands = ReadObjectFile(gPath);
  if (commands == nullptr) return 0;
  const int32_t count = CountObjectCommands(commands);
  FUZZ_CHECK(count > 0);
  for (int32_t i = 0; i < count; i++) {
    FUZZ_CHECK(commands[i].type == OBJECT_MOVEI || commands[i].type == OBJECT_DRAWI);
    FUZZ_CHECK(commands[i].w == 1.0f);
  }
  FUZZ_CHECK(commands[count].type == OBJECT_END);

  WireObject object;
  FUZZ_CHECK(BuildWireObject(&object, commands, count) == OBJECT_OK);
  FUZZ_CHECK(object.pointCount >= 1 && object.pointCount <= count);
  FUZZ_CHECK(object.lineCount >= 0 && object.lineCount <= count);
  for (int32_t i = 0; i < object.lineCount; i++) {
    const ObjectLine &l = object.lines[i];
    FUZZ_CHECK(l.from >= 0 && l.from < object.pointCount);
    FUZZ_CHECK(l.to >= 0 && l.to < object.pointCount);
    FUZZ_CHECK(l.from != l.to);
  }
  ComputeLineMidpoints(object.lines, object.lineCount, object.points);
  FreeWireObject(&object);
  FreeObjectCommands(commands);
  return 0;
}
