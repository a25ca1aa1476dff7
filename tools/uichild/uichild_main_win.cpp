/* uichild_main_win.cpp — gyx_uichild.exe, the program the harness's UI helpers
 * are tested against: a list of 30 lines, buttons, an automatic and a manual
 * check box, a hidden control and a system-menu item. Every reaction is shown
 * in the edit control IDC_LAST, so a test reads back what its action did. */
#include <windows.h>

#include <stdio.h>

#include "uichild_res.h"

static int gAdded;

static void Note(HWND dlg, const char *text) {
  SetDlgItemTextA(dlg, IDC_LAST, text);
}

static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  char text[64];
  switch (msg) {
    case WM_INITDIALOG: {
      for (int i = 0; i < 30; i++) {
        snprintf(text, sizeof text, "line %d", i);
        SendDlgItemMessageA(dlg, IDC_LIST, LB_ADDSTRING, 0, (LPARAM)text);
      }
      HMENU sys = GetSystemMenu(dlg, FALSE);
      AppendMenuA(sys, MF_SEPARATOR, 0, NULL);
      AppendMenuA(sys, MF_STRING, IDM_HELLO, "&Hello...");
      Note(dlg, "ready");
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_HELLO) {
        Note(dlg, "hello");
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            snprintf(text, sizeof text, "select %d",
                     (int)SendDlgItemMessageA(dlg, IDC_LIST, LB_GETCURSEL, 0, 0));
            Note(dlg, text);
          }
          return TRUE;
        case IDC_ADD:
          snprintf(text, sizeof text, "added %d", ++gAdded);
          SendDlgItemMessageA(dlg, IDC_LIST, LB_ADDSTRING, 0, (LPARAM)text);
          Note(dlg, text);
          return TRUE;
        case IDC_BOX:
          MessageBoxA(dlg, "A box of its own.", "Gyx UI Child Box", MB_OK);
          Note(dlg, "box closed");
          return TRUE;
        case IDC_AUTO:
          snprintf(text, sizeof text, "auto %d", (int)IsDlgButtonChecked(dlg, IDC_AUTO));
          Note(dlg, text);
          return TRUE;
        case IDC_MANUAL:
          /* A box the program sets: it follows the automatic one. */
          CheckDlgButton(dlg, IDC_MANUAL, IsDlgButtonChecked(dlg, IDC_AUTO));
          Note(dlg, "manual");
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dlg, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UICHILD), NULL, DialogProc, 0);
  return r == IDOK ? 0 : 1;
}
