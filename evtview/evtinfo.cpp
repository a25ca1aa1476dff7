/* evtinfo.cpp — texts of the device-information dialog (see evtinfo.h). */
#include "evtinfo.h"

#include <stdio.h>
#include <string.h>

void EvDeviceEntry(const EvStrings *s, int32_t n, const GiPortInfo *port, char *out, size_t size) {
  char name[EV_FIELD_SIZE];
  EvCopyField(name, sizeof name, port->portName, sizeof port->portName);
  EvFormat(s, IDS_DEVICE_ENTRY, out, size, (int)n, name);
}

void EvDeviceDetails(const EvStrings *s, const EvSlotInfo *slot, EvDetails *out) {
  memset(out, 0, sizeof *out);
  snprintf(out->type, sizeof out->type, "%d", (int)slot->device.deviceType);
  EvCopyField(out->name, sizeof out->name, slot->port.typeName, sizeof slot->port.typeName);
  snprintf(out->buttons, sizeof out->buttons, "%d", (int)slot->device.numButtons);
  snprintf(out->degrees, sizeof out->degrees, "%d", (int)slot->device.numDegrees);
  EvCopyField(out->beep, sizeof out->beep, EvString(s, slot->device.canBeep ? IDS_YES : IDS_NO),
              EV_TEXT_SIZE);
  EvCopyField(out->firmware, sizeof out->firmware, slot->device.firmware, sizeof slot->device.firmware);
}
