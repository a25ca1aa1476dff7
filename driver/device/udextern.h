/* udextern.h — the device layer's process-wide tables, shared by its own
 * modules only (udtable, uddev, iniparse). Everyone else goes through uddev.h. */
#ifndef GYX_UDEXTERN_H
#define GYX_UDEXTERN_H

#include "uddev.h"

/* The four device records, one per port; configured ones first. */
extern UdDevice gUdDevices[UD_MAX_DEVICES];
/* Configured records, -1 while no configuration is loaded. */
extern int32_t gUdDeviceCount;
/* The private model table and its row count (-1 while not loaded). */
extern UdModel *gUdModels;
extern int32_t gUdModelCount;

/* Copies src into dst[size], cut to size - 1 characters, NUL-terminated. */
void UdCopyText(char *dst, int32_t size, const char *src);
/* 1 when a and b are equal without regard to ASCII letter case, else 0. */
int32_t UdTextEqualNoCase(const char *a, const char *b);

/* The default configuration file of the driver. */
#define UD_CONFIG_FILE "gyrantx.ini"

#endif
