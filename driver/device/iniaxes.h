/* iniaxes.h — the per-axis keys of a port's section in "gyrantx.ini"
 * ("txScale", "txInvert", "txDeadZone", "txFrom", … for the six axes): their
 * defaults, the checks of their values, reading them and writing them back.
 * Read by IniParse at start; written by the settings window's Axes dialog. */
#ifndef GYX_INIAXES_H
#define GYX_INIAXES_H

#include <stddef.h>
#include <stdint.h>

#include "udsystem.h"

#define INI_AXIS_SCALE_MAX 16.0f
enum { INI_AXIS_DEAD_ZONE_MAX = 100000, INI_AXIS_KEYS = 4 * UD_NUM_AXES, INI_AXIS_TEXT = 32 };

/* "tx", "ty", "tz", "rx", "ry", "rz". */
extern const char *const kIniAxisNames[UD_NUM_AXES];

/* Scale 1, no inversion, dead zone 0, every axis fed by itself. */
void IniAxesDefaults(UdAxis axes[UD_NUM_AXES]);

/* Value checks: 0 and *out set, or UD_BAD_ARGUMENT (nothing set) for a text
 * that is not wholly such a value. Surrounding blanks are allowed. */
int32_t IniAxisScale(const char *text, float *out);      /* a number from 0 to 16 */
int32_t IniAxisInvert(const char *text, int32_t *out);   /* 0 or 1 */
int32_t IniAxisDeadZone(const char *text, int32_t *out); /* 0 to 100000 */
int32_t IniAxisSource(const char *text, int32_t *out);   /* an axis name, any letter case */

/* Reads the 24 keys of section port into axes (defaults where a key is
 * missing). A bad value is refused: the axis keeps its default for that
 * setting and the refusal is logged once. Returns the number refused. */
int32_t IniReadAxes(const UdSystem *sys, const char *port, const char *file, UdAxis axes[UD_NUM_AXES]);

/* One key and its value text, as they are written back. */
typedef struct IniEntry {
  char key[INI_AXIS_TEXT];
  char value[INI_AXIS_TEXT];
} IniEntry;

/* The 24 entries that reproduce axes when read back, in axis order. */
void IniAxesEntries(const UdAxis axes[UD_NUM_AXES], IniEntry out[INI_AXIS_KEYS]);

/* A scale as its entry shows it ("1", "0.5", "2.25"). */
void IniFormatScale(float scale, char *out, size_t size);

#endif
