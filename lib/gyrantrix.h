/* gyrantrix.h — the public interface of the Gyrantrix input library.
 * Any C or C++ application includes this one header and links the static
 * library. Records here cross the shared-memory channel byte for byte, so
 * their layouts are pinned below. */
#ifndef GYRANTRIX_H
#define GYRANTRIX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: every call stores its outcome in GiLastError and returns it. */
enum {
  GI_NO_ERROR = 0,
  GI_FAILED = 1,
  GI_BAD_HANDLE = 2,
  GI_BAD_ID = 3,
  GI_BAD_VALUE = 4,
  GI_IS_EVENT = 5,
  GI_SKIP_EVENT = 6,
  GI_NOT_EVENT = 7,
  GI_NO_DRIVER = 8,
  GI_DRIVER_NOT_RESPONDING = 9,
  GI_UNSUPPORTED = 10,
  GI_UNINITIALIZED = 11,
  GI_WRONG_DRIVER = 12,
  GI_INTERNAL_ERROR = 13
};

/* Event types. */
enum {
  GI_BUTTON_EVENT = 1,
  GI_MOTION_EVENT = 2,
  GI_COMBO_EVENT = 3,
  GI_ZERO_EVENT = 4,
  GI_EXCEPTION_EVENT = 5
};

/* The event record: 48 bytes travel for types 1 to 4, all 132 for type 5,
 * whose NUL-terminated text takes the 128 bytes after the type word
 * (GI_EVENT_TEXT). */
typedef struct GiEvent {
  int32_t type;
  uint32_t last;     /* buttons before this event, bit n = button n */
  uint32_t current;  /* buttons after it */
  uint32_t pressed;  /* current & ~last */
  uint32_t released; /* last & ~current */
  int32_t tx, ty, tz;
  int32_t rx, ry, rz;
  int32_t period;    /* milliseconds the motion values cover */
  uint8_t rest[84];
} GiEvent;

#define GI_EVENT_TEXT(ev) ((char *)&(ev)->last)
#define GI_EVENT_TEXT_SIZE 128
#define GI_EVENT_SHORT_SIZE 48
#define GI_EVENT_FULL_SIZE 132

/* The last outcome of any call of this process. */
extern int32_t GiLastError;

/* Text of a code (0 to 13), "" for any other; the buffer is reused by the next call. */
const char *GiErrorString(int32_t code);

/* Appends "(module:line) code" to gyrantx.log in the home directory when the
 * environment variable DEBUG_GYRANTRIX is defined; returns code unchanged. */
int32_t GiLogError(const char *file, int32_t line, int32_t code);

#ifdef __cplusplus
}
static_assert(sizeof(GiEvent) == 132, "GiEvent crosses the channel");
static_assert(__builtin_offsetof(GiEvent, last) == 4, "GiEvent.last");
static_assert(__builtin_offsetof(GiEvent, tx) == 20, "GiEvent.tx");
static_assert(__builtin_offsetof(GiEvent, period) == 44, "GiEvent.period");
#endif

#endif
