/* evtabout_win.cpp — the About dialog of the event test utility, opened from
 * the main dialog's system menu (evtplat.h). */
#include <windows.h>

#include "evtplat.h"

static INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dlg, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void EvRunAbout(void *owner) {
  if (DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUTBOX), (HWND)owner, AboutProc, 0) ==
      -1)
    GiLogError(__FILE__, __LINE__, GI_FAILED);
}
