/* udextern.cpp — storage of the device layer's process-wide tables: the four
 * device records and the model table (see udextern.h). */
#include "udextern.h"

#include <stddef.h>

UdDevice gUdDevices[UD_MAX_DEVICES];
int32_t gUdDeviceCount = -1;
UdModel *gUdModels = NULL;
int32_t gUdModelCount = -1;
