/* udmodel.h — what the protocol files (uddevqv, uddevqs, uddevlq) share:
 * the common identification procedure, the operations every model answers
 * the same way, and each protocol's operations table. Not for callers outside
 * the device layer: they use uddev.h. */
#ifndef GYX_UDMODEL_H
#define GYX_UDMODEL_H

#include <stdint.h>

#include "uddev.h"

enum {
  UD_IDENT_ATTEMPTS = 7,
  UD_IDENT_READS = 5, /* reads per attempt, each after UD_IDENT_PAUSE_MS */
  UD_IDENT_PAUSE_MS = 100,
  UD_IDENT_READ_SIZE = 128
};

/* Opens the port and identifies the device: up to 7 attempts of probe then
 * 5 × (100 ms pause, read up to 128 bytes, look for the prefix with at least
 * replyLength bytes from it). UD_OK with ident filled and the port open;
 * UD_PORT_ERROR when the port cannot be opened; UD_NO_DEVICE (port closed
 * again) when no reply came. */
int32_t UdIdentify(UdDevice *dev, const UdProbe *probe);

/* Operations every model answers alike. */
int32_t UdOpWriteUnsupported(UdDevice *dev, const uint8_t *bytes, int32_t count);
int32_t UdOpGetPeriod(UdDevice *dev, int32_t *period); /* UD_PERIOD_MS */
int32_t UdOpGetDataMode(UdDevice *dev, int32_t *mode); /* dataMode */
int32_t UdOpSetDataMode(UdDevice *dev, int32_t mode);  /* sets dataMode */

/* The operations of each protocol; the model table (udtable) names them. */
extern const UdOps udQuorvanelOps; /* the ball models, 2200 and 3200 (uddevqv) */
extern const UdOps udStickOps;     /* the Quorvanel Stick (uddevqs) */
extern const UdOps udLumeqaroOps;  /* the Lumeqaro 700 (uddevlq) */

#endif
