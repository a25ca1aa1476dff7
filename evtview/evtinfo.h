/* evtinfo.h — the device-information dialog's texts: the list entry of a
 * device and the details of the selected one, from the records the library
 * filled. Called by the dialog (evtinfo_win.cpp); portable, unit-tested
 * natively. */
#ifndef GYX_EVTINFO_H
#define GYX_EVTINFO_H

#include <stddef.h>
#include <stdint.h>

#include "evtstr.h"
#include "lib/gyrantrix.h"

#define EV_FIELD_SIZE 128

/* What one handle slot knows about its device. Zero-filled when a query
 * failed. */
typedef struct EvSlotInfo {
  GiDeviceInfo device;
  GiPortInfo port;
} EvSlotInfo;

/* The texts of the detail fields. */
typedef struct EvDetails {
  char type[16];
  char name[EV_FIELD_SIZE];
  char buttons[16];
  char degrees[16];
  char beep[EV_FIELD_SIZE];
  char firmware[EV_FIELD_SIZE];
} EvDetails;

/* "Device N on port P" (string 127). */
void EvDeviceEntry(const EvStrings *s, int32_t n, const GiPortInfo *port, char *out, size_t size);

/* Type and counts in decimal, the type name of the port record, "Yes"/"No"
 * (strings 119, 120) for the beeper, the firmware text. */
void EvDeviceDetails(const EvStrings *s, const EvSlotInfo *slot, EvDetails *out);

#endif
