// rawclient.h: a test process as a client of the driver below the input
// library: the request block through appmmap, an event queue read by hand,
// and a window of its own that receives the driver's notices.
#ifndef GYX_HARNESS_RAWCLIENT_H
#define GYX_HARNESS_RAWCLIENT_H

#include <windows.h>

#include <string>
#include <vector>

#include "lib/appmmap.h"
#include "lib/gyrantrix.h"

// One request: words (little-endian), then raw bytes.
struct RawRequest {
  std::vector<uint8_t> data;
  RawRequest &Word(int32_t v);
  RawRequest &Bytes(const void *p, size_t n);
};

// Sends code with the request's data; with want_reply, reads the reply into
// *reply. Returns the AppMmapSend status, or the AppMmapReceive result.
int RawCall(int32_t code, const RawRequest &req, bool want_reply, std::vector<uint8_t> *reply = nullptr);

// Word i of a reply (0 when the reply is too short).
int32_t RawWord(const std::vector<uint8_t> &reply, size_t i);

// The 20-byte open reply.
struct RawOpen {
  int rc = 0;  // RawCall's result
  int32_t status = -1, handle = 0, device = -1, slot = -1;
  uint32_t message = 0;
};

// REQ_OPEN as the library sends it (type mask present, all bits).
RawOpen RawOpenDevice(HWND window, int32_t device = -1, int32_t eventMask = 31,
                      const char *name = "rawclient");

// A notice the driver posted to one of our windows.
struct RawNotice {
  UINT message;
  unsigned slot, kind, seq;
};

// A visible top-level window of this process for notices; made the
// foreground window so that its process has the focus.
HWND RawMakeWindow(const char *title);

// Takes every waiting notice with `message` for window (pumping for up to
// waitMs until at least `atLeast` arrived).
std::vector<RawNotice> RawTakeNotices(HWND window, UINT message, size_t atLeast, unsigned long waitMs);

// Brings window to the front and waits until Windows reports it there.
bool RawForeground(HWND window, unsigned long timeoutMs = 3000);

#endif
