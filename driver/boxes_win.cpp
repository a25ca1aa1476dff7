/* boxes_win.cpp — the driver's message boxes (see boxes.h). */
#include <windows.h>

#include <stdio.h>

#include "boxes.h"
#include "gyxsrv_res.h"
#include "lib/gyrantrix.h"

int DrvBox(int id, int quiet, const char *arg1, const char *arg2) {
  if (quiet) return BOX_NOT_SHOWN;
  char format[512], text[512];
  if (LoadStringA(GetModuleHandleA(NULL), (UINT)id, format, sizeof format) <= 0) {
    GiLogError(__FILE__, __LINE__, GI_FAILED);
    return BOX_NO_STRING;
  }
  snprintf(text, sizeof text, format, arg1 ? arg1 : "", arg2 ? arg2 : "");
  UINT style = id == IDS_APPS_ATTACHED ? (MB_YESNO | MB_ICONQUESTION) : (MB_OK | MB_ICONEXCLAMATION);
  return MessageBoxA(NULL, text, "gyxsrv", style);
}
