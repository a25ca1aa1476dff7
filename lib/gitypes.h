/* gitypes.h — the numbers that name controller models and model classes. An
 * application sees them in GiPortInfo and GiDeviceInfo and selects devices
 * with them as GiTypeMask bits; the driver's model table is keyed by them. */
#ifndef GYRANTRIX_TYPES_H
#define GYRANTRIX_TYPES_H

/* Device types: one per controller model. */
#define GI_TYPE_QUORVANEL_2200 1
#define GI_TYPE_QUORVANEL_3200 2
#define GI_TYPE_QUORVANEL_STICK 3
#define GI_TYPE_LUMEQARO_700 5 /* 4 names no model */

/* Device classes: a mask bit that selects every model of the class. */
#define GI_CLASS_LUMEQARO 61
#define GI_CLASS_QUORVANEL_STICK 62
#define GI_CLASS_QUORVANEL_BALL 63 /* the 2200 and the 3200 */

#endif
