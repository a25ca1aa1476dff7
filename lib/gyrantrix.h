/* gyrantrix.h — the public interface of the Gyrantrix input library.
 * Any C or C++ application includes this one header and links the static
 * library. Records here cross the shared-memory channel byte for byte, so
 * their layouts are pinned below.
 *
 * Conventions: every call stores its outcome in GiLastError and returns it
 * (calls that return something else say so). Calls are made from the thread
 * that owns the application's window; the library keeps no lock. */
#ifndef GYRANTRIX_H
#define GYRANTRIX_H

#include <stdint.h>

#include "gitypes.h"

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

/* Arguments of GiOpen, GiSetTypeMask and GiGetEvent. */
#define GI_ANY_DEVICE (-1)  /* device ID: the first device the type mask selects */
#define GI_ALL_TYPES (-1)   /* GiSetTypeMask: every device type and class */
#define GI_EVENT_MODE 1     /* events are announced by window messages */
#define GI_POLL_MODE 2      /* refused by the driver (GI_UNSUPPORTED) */
#define GI_FIXED_PERIOD 0x1 /* GiGetEvent: motion per 50 ms instead of weighted by time */

/* User-interface mode bits (GiSetUiMode): -1 allows every function, 0 none. */
#define GI_UI_ALL (-1)
#define GI_UI_FILTERS 0x01
#define GI_UI_FUNCTIONS 0x02
#define GI_UI_RESETS 0x04
#define GI_UI_SENSITIVITY 0x08
#define GI_UI_DIALOG_POPUP 0x20

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
  int32_t period; /* milliseconds the motion values cover */
  uint8_t rest[84];
} GiEvent;

#define GI_EVENT_TEXT(ev) ((char *)&(ev)->last)
#define GI_EVENT_TEXT_SIZE 128
#define GI_EVENT_SHORT_SIZE 48
#define GI_EVENT_FULL_SIZE 132

/* An open device. The record behind it belongs to the library. */
typedef struct GiHandleRecord *GiHandle;

/* Open data: the window that receives the driver's messages, as a 32-bit
 * value (Win32 window handles fit in 32 bits), and a reserved word. */
typedef struct GiOpenData {
  uint32_t window;
  uint32_t reserved;
} GiOpenData;

/* A window message as GiGetEvent reads it. */
typedef struct GiGetEventData {
  uint32_t message;
  uint32_t wParam; /* bits 0..7: the slot of the handle's event queue */
  uint32_t lParam; /* bits 0..15: sequence number; 16..23: kind */
} GiGetEventData;

/* Device-type mask: bit n (byte n / 8, bit n % 8) selects device type or
 * class n, 1..63. Types 1, 2, 3 and classes 62, 63 can be opened. */
typedef struct GiTypeMask {
  uint8_t bits[8];
} GiTypeMask;

/* What GiDispatch hands a handler: the handle's window and event queue. */
typedef struct GiWindowQueue {
  void *window;
  void *queue;
} GiWindowQueue;

typedef int32_t (*GiEventHandler)(GiWindowQueue *pair, GiGetEventData *data, GiEvent *event, int32_t user);

typedef struct GiHandlerPair {
  GiEventHandler handler; /* may be null: events of its type are ignored */
  int32_t user;           /* handed to the handler unchanged */
} GiHandlerPair;

/* Dispatch table: one pair per event type 1..5, in that order. */
typedef struct GiEventHandlers {
  GiHandlerPair type[5];
} GiEventHandlers;

/* Query records, laid out exactly as the driver's replies carry them. */
typedef struct GiPortInfo {
  int32_t deviceId;
  int32_t deviceType;  /* device type number: 1, 2, 3 or 5 */
  int32_t deviceClass; /* 61, 62 or 63 */
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
  int32_t canBeep; /* non-zero: the device has a beeper */
  char firmware[128];
} GiDeviceInfo;

/* The last outcome of any call of this process. */
extern int32_t GiLastError;

/* Lifecycle. GiInitialize starts "gyxsrv.exe" from the configured home
 * directory when no driver runs and waits for it (up to 20 s). */
int32_t GiInitialize(void);
void GiTerminate(void);

/* Devices: indices 0..count-1; GiDeviceIndex maps one to its device ID. */
int32_t GiGetNumDevices(void);        /* -1 when not initialised */
int32_t GiDeviceIndex(int32_t index); /* -1 on failure */

/* Opening. The window is any HWND of the calling thread (it converts to void *). */
void GiOpenWinInit(GiOpenData *data, void *window);
/* Values 1..63 or GI_ALL_TYPES, ended by 0. */
int32_t GiSetTypeMask(GiTypeMask *mask, ...);
/* mask may be null (every type); it is reduced in place to the openable bits.
 * Returns null on failure with the code in GiLastError. */
GiHandle GiOpen(const char *appName, int32_t deviceId, GiTypeMask *mask, int32_t mode, GiOpenData *data);
int32_t GiClose(GiHandle handle);
/* The handle when it is live, else null (with the code in GiLastError). */
GiHandle GiIsHandle(GiHandle handle);

/* Events. Hand every window message to the library first:
 *   GiGetEventWinInit(&d, msg, wParam, lParam);
 *   if (GiFindEventHandle(&d, &h)) r = GiGetEvent(h, 0, &d, &ev);
 * GiGetEvent returns GI_IS_EVENT (ev filled), GI_SKIP_EVENT (message consumed,
 * no event), GI_NOT_EVENT (not the library's message) or an error. With data
 * null it polls the handle's window for its next message instead. */
void GiGetEventWinInit(GiGetEventData *data, uint32_t message, uintptr_t wParam, intptr_t lParam);
int32_t GiFindEventHandle(const GiGetEventData *data, GiHandle *handle);
int32_t GiGetEvent(GiHandle handle, int32_t options, GiGetEventData *data, GiEvent *event);
/* Calls the handler for the event's type; its result, or 0. */
int32_t GiDispatch(GiHandle handle, GiGetEventData *data, GiEvent *event, GiEventHandlers *handlers);
/* Lowest button newly pressed / released by a button or combo event, or -1. */
int32_t GiButtonPressed(const GiEvent *event);
int32_t GiButtonReleased(const GiEvent *event);

/* Queries and commands. */
int32_t GiGetDevicePort(int32_t deviceId, GiPortInfo *info);
int32_t GiGetDriverInfo(GiDriverInfo *info);
int32_t GiGetDeviceID(GiHandle handle); /* -1 on failure */
int32_t GiGetDeviceInfo(GiHandle handle, GiDeviceInfo *info);
int32_t GiBeep(GiHandle handle, const char *pattern); /* first 14 characters */
int32_t GiRezero(GiHandle handle);
/* grab != 0: the exclusive slot (events regardless of focus); 0: the
 * background slot (events while no application with the device is in front). */
int32_t GiGrabDevice(GiHandle handle, int32_t grab);
int32_t GiReleaseDevice(GiHandle handle);
/* handle null: every open handle of this process. */
int32_t GiSetUiMode(GiHandle handle, int32_t mode);

/* Text of a code (0 to 13), "" for any other; the buffer is reused by the next call. */
const char *GiErrorString(int32_t code);

/* Appends "(module:line) code" to gyrantx.log in the home directory when the
 * environment variable DEBUG_GYRANTRIX is defined; returns code unchanged. */
int32_t GiLogError(const char *file, int32_t line, int32_t code);

#ifdef __cplusplus
}
#define GI_LAYOUT_ASSERT static_assert
#else
#define GI_LAYOUT_ASSERT _Static_assert
#endif
/* Checked in C and C++, for every target the library is built for (x86_64
 * and i686 alike): a 32-bit application and a 64-bit driver must agree. */
GI_LAYOUT_ASSERT(sizeof(GiEvent) == 132, "GiEvent crosses the channel");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, last) == 4, "GiEvent.last");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, current) == 8, "GiEvent.current");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, pressed) == 12, "GiEvent.pressed");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, released) == 16, "GiEvent.released");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, tx) == 20, "GiEvent.tx");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, ty) == 24 && __builtin_offsetof(GiEvent, tz) == 28,
                 "GiEvent.ty, tz");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, rx) == 32 && __builtin_offsetof(GiEvent, ry) == 36,
                 "GiEvent.rx, ry");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, rz) == 40, "GiEvent.rz");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiEvent, period) == 44, "GiEvent.period");
GI_LAYOUT_ASSERT(sizeof(GiOpenData) == 8, "GiOpenData crosses the channel");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiOpenData, reserved) == 4, "GiOpenData.reserved");
GI_LAYOUT_ASSERT(sizeof(GiGetEventData) == 12, "GiGetEventData");
GI_LAYOUT_ASSERT(sizeof(GiTypeMask) == 8, "GiTypeMask crosses the channel");
GI_LAYOUT_ASSERT(sizeof(GiPortInfo) == 268, "GiPortInfo crosses the channel");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiPortInfo, typeName) == 12, "GiPortInfo.typeName");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiPortInfo, portName) == 140, "GiPortInfo.portName");
GI_LAYOUT_ASSERT(sizeof(GiDriverInfo) == 268, "GiDriverInfo crosses the channel");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiDriverInfo, build) == 8, "GiDriverInfo.build");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiDriverInfo, version) == 12, "GiDriverInfo.version");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiDriverInfo, date) == 140, "GiDriverInfo.date");
GI_LAYOUT_ASSERT(sizeof(GiDeviceInfo) == 144, "GiDeviceInfo crosses the channel");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiDeviceInfo, canBeep) == 12, "GiDeviceInfo.canBeep");
GI_LAYOUT_ASSERT(__builtin_offsetof(GiDeviceInfo, firmware) == 16, "GiDeviceInfo.firmware");
#undef GI_LAYOUT_ASSERT

#endif
