/* jetgi.h — the event handlers GiDispatch calls for the demo of this process
 * (gJet). Motion is portable (jetgi.cpp); buttons refresh the settings
 * dialog, so their handler is in the Win32 layer (jetdlg_win.cpp). */
#ifndef GYX_JET_JETGI_H
#define GYX_JET_JETGI_H

#include <stdint.h>

#include "jet/jet.h"

/* Motion, combo and zero events: moves the world or the pointer. Returns 0. */
int32_t OnDeviceMotion(GiWindowQueue *pair, GiGetEventData *data, GiEvent *event, int32_t user);
/* Button and combo events: the button table, and button 31 on release. Returns 0. */
int32_t OnDeviceButtons(GiWindowQueue *pair, GiGetEventData *data, GiEvent *event, int32_t user);

#endif
