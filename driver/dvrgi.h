/* dvrgi.h — the driver side of the library's calls: the work behind each
 * request, done on the driver's device table. Same names as the application
 * side, kept apart in namespace dvr. Results are library codes (GI_*). */
#ifndef GYX_DVRGI_H
#define GYX_DVRGI_H

#include <stdint.h>

#include "dvrhandle.h"
#include "lib/gyrantrix.h"

struct UdDevice;

namespace dvr {

int32_t GiGetNumDevices(void);
struct UdDevice *GiIsDeviceID(int32_t id);
DvrHandle *GiIsHandle(uint32_t value);
/* Driver handle value, or 0 with the code in GiLastError. */
uint32_t GiOpen(const char *name, int32_t id, const GiTypeMask *mask, int32_t mode, void *window,
                QueueLink *queue);
int32_t GiClose(uint32_t h);
int32_t GiGetDevicePort(int32_t id, GiPortInfo *info);
int32_t GiGetDriverInfo(GiDriverInfo *info);
int32_t GiGetDeviceID(uint32_t h);
int32_t GiGetDeviceInfo(uint32_t h, GiDeviceInfo *info);
int32_t GiBeep(uint32_t h, const char *pattern);
int32_t GiRezero(uint32_t h);
int32_t GiGrabDevice(uint32_t h, int32_t grab);
int32_t GiReleaseDevice(uint32_t h);
int32_t GiGetUiMode(uint32_t h, int32_t *mode);
int32_t GiSetUiMode(uint32_t h, int32_t mode);
int32_t GiGetDataMode(int32_t id, int32_t *mode);
int32_t GiSetDataMode(int32_t id, int32_t mode);
int32_t GiWriteDevice(uint32_t h, const uint8_t *bytes, int32_t count);
int32_t GiConverse(uint32_t h, const uint8_t *bytes, int32_t count, uint8_t *reply, int32_t *replyLength);

}  // namespace dvr

#endif
