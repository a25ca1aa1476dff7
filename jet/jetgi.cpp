// The demo of this process and its ties to the input library: the library's
// calls as the settings' device operations, and the motion handler that
// GiDispatch calls for motion, combo and zero events.
#include "jet/jetgi.h"

#include "jet/process.h"

Jet gJet;

const JetDeviceOps kJetLibraryOps = {
    .beep = GiBeep,
    .grab = GiGrabDevice,
    .release = GiReleaseDevice,
    .rezero = GiRezero,
};

int32_t OnDeviceMotion(GiWindowQueue *, GiGetEventData *, GiEvent *event, int32_t) {
  JetApplyMotion(&gJet, event);
  return 0;
}
