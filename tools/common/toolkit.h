// What the Win32 test tools share: their "--name value" options, a repeatable
// pseudo-random sequence, and the channel's open request for one window, built
// the way a client of the raw channel builds it.
#ifndef GYX_TOOLS_TOOLKIT_H
#define GYX_TOOLS_TOOLKIT_H

#include <stdint.h>
#include <string.h>

#include "lib/gyrantrix.h"
#include "lib/wire.h"

/* The value after the option name, or def when the option is not given. */
static inline const char *ToolArg(int argc, char **argv, const char *name, const char *def) {
  for (int i = 1; i + 1 < argc; i++)
    if (strcmp(argv[i], name) == 0) return argv[i + 1];
  return def;
}

/* xorshift64: the same seed gives the same run, so a failure can be replayed. */
static inline uint32_t ToolRandom(uint64_t *state) {
  *state ^= *state << 13;
  *state ^= *state >> 7;
  *state ^= *state << 17;
  return (uint32_t)(*state >> 16);
}

/* Encodes an open request of device for window with every button and the
 * given event types into req (capacity cap, at least nameSize + WIRE_OPEN_FIXED);
 * returns its length as WireEncodeOpen does. */
static inline int32_t ToolEncodeOpen(uint8_t *req, int32_t cap, const char *name, int32_t nameSize,
                                     int32_t device, uint32_t window, uint32_t events) {
  WireOpenRequest open;
  memset(&open, 0, sizeof open);
  open.name = (const uint8_t *)name;
  open.nameSize = nameSize;
  open.deviceId = device;
  open.maskPresent = 1;
  memset(open.mask, 0xFF, sizeof open.mask);
  open.mode = GI_EVENT_MODE;
  open.window = window;
  open.eventMask = events;
  return WireEncodeOpen(req, cap, &open);
}

#endif
