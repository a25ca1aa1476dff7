/* udcomwin.h — the Win32 serial layer of the device layer (udcomwin_win.cpp):
 * the port functions behind UdWin32System and what the driver's main loop
 * needs besides them (the wake-up handle to wait on, arming the wake-up).
 * No Win32 types here: handles travel as void *. */
#ifndef GYX_UDCOMWIN_H
#define GYX_UDCOMWIN_H

#include <stdint.h>

#include "uddev.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The UdCom… contract of udsystem.h, on a Win32 COM port. */
int32_t UdComWinOpen(UdDevice *dev);
int32_t UdComWinClose(UdDevice *dev);
int32_t UdComWinRead(UdDevice *dev, uint8_t *buf, int32_t max);
int32_t UdComWinWrite(UdDevice *dev, const uint8_t *bytes, int32_t count);

/* The device's read event (an auto-reset event HANDLE) for the main loop's
 * wait, or null while the port is closed. It is signalled when input may be
 * waiting: a comm-event wait or a pending read completed; the wait that sees
 * the signal takes it. */
void *UdComReadEvent(UdDevice *dev);

/* Arms the wake-up of an open port: 1 when input is already waiting (process
 * it, then arm again), 0 when a wake-up is pending on the read event or the
 * port sleeps through a packet's bytes (UdComDueIn; also when the port is not
 * open), -1 (logged) when the port cannot be armed. */
int32_t UdComArm(UdDevice *dev);

/* Milliseconds until the port's sleep ends and UdComArm must be called again
 * (0: now), or -1 when it does not sleep. */
int32_t UdComDueIn(UdDevice *dev);

#ifdef __cplusplus
}
#endif

#endif
