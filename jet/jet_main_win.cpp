// jet.exe: a plain Win32 program. It does what an application framework's
// instance-initialisation step would (three-dimensional dialog controls are
// every control's look on Win32, so there is nothing to enable), runs the
// whole demo in JetMain and ends with its code.
#include "jet/jetplat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return JetMain(instance);
}
