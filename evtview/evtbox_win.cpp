/* evtbox_win.cpp — the event test utility's error boxes (evtplat.h). */
#include <windows.h>

#include <stdarg.h>

#include "evtline.h"
#include "evtplat.h"

void EvErrorBox(const EvState *st, int id, ...) {
  char text[EV_LINE_SIZE];
  va_list ap;
  va_start(ap, id);
  EvFormatV(&st->strings, id, text, sizeof text, ap);
  va_end(ap);
  MessageBoxA((HWND)st->mainWindow, text, EvString(&st->strings, IDS_TITLE), MB_OK | MB_ICONERROR);
}
