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

/* Query records: the same bytes in memory and in the driver's replies. */
typedef struct GiPortInfo {
  int32_t deviceId;
  int32_t deviceType;   /* 1, 2, 3 or 5 */
  int32_t deviceClass;  /* 61, 62 or 63 */
  char typeName[128];
  char portName[128];
} GiPortInfo;

typedef struct GiDriverInfo {
  int32_t major;
  int32_t minor;
  int32_t build;
  char version[128];
  char date[128];
} GiDriverInfo;

typedef struct GiDeviceInfo {
  int32_t deviceType;
  int32_t numButtons;
  int32_t numDegrees;
  int32_t canBeep;
  char firmware[128];
} GiDeviceInfo;

/* Device-type mask: bit n (byte n / 8, bit n % 8) selects type or class n. */
typedef struct GiTypeMask {
  uint8_t bits[8];
} GiTypeMask;

/* User-interface mode bits: which driver-side steps an application leaves
 * to the driver (-1 all, 0 none). */
#define GI_UI_ALL (-1)
#define GI_UI_FILTERS 0x01
#define GI_UI_FUNCTIONS 0x02
#define GI_UI_RESETS 0x04
#define GI_UI_SENSITIVITY 0x08
#define GI_UI_DIALOG_POPUP 0x20

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
static_assert(sizeof(GiPortInfo) == 268, "GiPortInfo crosses the channel");
static_assert(__builtin_offsetof(GiPortInfo, typeName) == 12, "GiPortInfo.typeName");
static_assert(__builtin_offsetof(GiPortInfo, portName) == 140, "GiPortInfo.portName");
static_assert(sizeof(GiDriverInfo) == 268, "GiDriverInfo crosses the channel");
static_assert(__builtin_offsetof(GiDriverInfo, version) == 12, "GiDriverInfo.version");
static_assert(__builtin_offsetof(GiDriverInfo, date) == 140, "GiDriverInfo.date");
static_assert(sizeof(GiDeviceInfo) == 144, "GiDeviceInfo crosses the channel");
static_assert(__builtin_offsetof(GiDeviceInfo, firmware) == 16, "GiDeviceInfo.firmware");
static_assert(sizeof(GiTypeMask) == 8, "GiTypeMask crosses the channel");
#endif

#endif
