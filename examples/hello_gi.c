/* hello_gi.c — the smallest Gyrantrix application: a window that prints
 * every event of the first controller. */
#include <windows.h>
#include <stdio.h>
#include "gyrantrix.h"
int main(void) {
  if (GiInitialize() != GI_NO_ERROR) return printf("%s\n", GiErrorString(GiLastError)), 1;
  HWND w = CreateWindowA("STATIC", "My App", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, 0, 0, 0, 0);
  GiOpenData od;
  GiOpenWinInit(&od, w);
  GiHandle dev = GiOpen("My App", GiDeviceIndex(0), NULL, GI_EVENT_MODE, &od);
  MSG m;
  GiGetEventData d;
  GiEvent ev;
  GiHandle h;
  while (dev && GetMessageA(&m, NULL, 0, 0) > 0) {
    GiGetEventWinInit(&d, m.message, m.wParam, m.lParam);
    if (!GiFindEventHandle(&d, &h))
      DispatchMessageA(&m);
    else if (GiGetEvent(h, 0, &d, &ev) == GI_IS_EVENT)
      printf("type %d  t %d %d %d  r %d %d %d  per %d\n", (int)ev.type, (int)ev.tx, (int)ev.ty, (int)ev.tz,
             (int)ev.rx, (int)ev.ry, (int)ev.rz, (int)ev.period);
  }
  GiClose(dev);
  GiTerminate();
  return 0;
}
