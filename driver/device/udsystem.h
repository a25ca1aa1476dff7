/* udsystem.h — what the device layer needs from the operating system: the
 * serial port, the clock, the profile (INI) functions and the failure log.
 * The driver installs the Win32 set (UdWin32System, built from the *_win.cpp
 * files) before it loads the device table; the native tests install a virtual
 * port and an in-memory profile, so the portable logic runs without hardware. */
#ifndef GYX_UDSYSTEM_H
#define GYX_UDSYSTEM_H

#include <stdint.h>

#include "uddev.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct UdSystem {
  /* Serial port of a device record (contract below, UdCom…). */
  int32_t (*comOpen)(UdDevice *dev);
  int32_t (*comClose)(UdDevice *dev);
  int32_t (*comRead)(UdDevice *dev, uint8_t *buf, int32_t max);
  int32_t (*comWrite)(UdDevice *dev, const uint8_t *bytes, int32_t count);
  /* Blocks the calling thread for ms milliseconds. */
  void (*sleep)(int32_t ms);
  /* Win32 profile semantics: section and key names match without regard to
   * case; a missing file, section or key gives the default. profileString
   * copies the value (or def) cut to size - 1 characters, NUL-terminated, and
   * returns the characters copied; profileSection returns the characters of
   * the section's entries (0 for a missing or empty section). */
  int32_t (*profileString)(const char *section, const char *key, const char *def, char *buf, int32_t size,
                           const char *file);
  int32_t (*profileSection)(const char *section, char *buf, int32_t size, const char *file);
  int32_t (*profileInt)(const char *section, const char *key, int32_t def, const char *file);
  /* Records one failure (module path, line, code); returns code. */
  int32_t (*log)(const char *file, int32_t line, int32_t code);
} UdSystem;

/* Installs sys for every later call of the device layer: 0, or -1 (nothing
 * changes) when sys is null or has a null entry. */
int32_t UdUseSystem(const UdSystem *sys);
/* The installed set, or null. */
const UdSystem *UdCurrentSystem(void);
/* The Win32 set (win64 build only). */
const UdSystem *UdWin32System(void);

/* Logs a failure once, where it arises, through the installed log; returns code. */
int32_t UdFail(const char *file, int32_t line, int32_t code);
#define UD_FAIL(code) UdFail(__FILE__, __LINE__, (code))

/* The serial port of a device, through the installed system:
 * UdComOpen  -> 0, or UD_PORT_ERROR (also for a null device or no system);
 *               opens dev->portName with the settings of dev->model.
 * UdComClose -> 0, or UD_PORT_ERROR; DTR and RTS drop, everything is released.
 * UdComRead  -> bytes placed in buf (0..max) without waiting, or -1. 0 also
 *               while a read the system left pending has not completed: its
 *               bytes come with a later call.
 * UdComWrite -> count, or -1 (null device or bytes, count < 1, port refused). */
int32_t UdComOpen(UdDevice *dev);
int32_t UdComClose(UdDevice *dev);
int32_t UdComRead(UdDevice *dev, uint8_t *buf, int32_t max);
int32_t UdComWrite(UdDevice *dev, const uint8_t *bytes, int32_t count);

#ifdef __cplusplus
}
#endif

#endif
