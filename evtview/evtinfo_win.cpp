/* evtinfo_win.cpp — the device-information dialog: one entry per open
 * device, sorted by its text, and the details of the selected one
 * (evtplat.h; the texts are evtinfo.cpp's). */
#include <windows.h>

#include <string.h>

#include "evtinfo.h"
#include "evtline.h"
#include "evtplat.h"

static EvState *gInfoState;
static EvSlotInfo gSlotInfo[EV_MAX_DEVICES]; /* by handle slot */

static void ShowDetails(HWND dlg) {
  LRESULT sel = SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR) return;
  /* The list sorts its entries, so each keeps the number of its slot. */
  LRESULT slot = SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_GETITEMDATA, (WPARAM)sel, 0);
  if (slot < 0 || slot >= gInfoState->slots) return;
  EvDetails d;
  EvDeviceDetails(&gInfoState->strings, &gSlotInfo[slot], &d);
  SetDlgItemTextA(dlg, IDC_INFO_TYPE, d.type);
  SetDlgItemTextA(dlg, IDC_INFO_NAME, d.name);
  SetDlgItemTextA(dlg, IDC_INFO_BUTTONS, d.buttons);
  SetDlgItemTextA(dlg, IDC_INFO_DEGREES, d.degrees);
  SetDlgItemTextA(dlg, IDC_INFO_BEEP, d.beep);
  SetDlgItemTextA(dlg, IDC_INFO_FIRMWARE, d.firmware);
}

static void FillList(HWND dlg) {
  EvState *st = gInfoState;
  memset(gSlotInfo, 0, sizeof gSlotInfo);
  for (int32_t i = 0; i < st->slots; i++) {
    GiHandle h = st->handles[i];
    if (!h) continue;
    EvSlotInfo *slot = &gSlotInfo[i];
    int32_t n = GiGetDeviceID(h);
    if (GiGetDeviceInfo(h, &slot->device) != GI_NO_ERROR) {
      memset(&slot->device, 0, sizeof slot->device);
      EvErrorBox(st, IDS_DEVICE_INFO, GiErrorString(GiLastError));
      continue;
    }
    if (GiGetDevicePort(n, &slot->port) != GI_NO_ERROR) {
      memset(&slot->port, 0, sizeof slot->port);
      EvErrorBox(st, IDS_DEVICE_PORT, GiErrorString(GiLastError));
      continue;
    }
    char entry[EV_LINE_SIZE];
    EvDeviceEntry(&st->strings, n, &slot->port, entry, sizeof entry);
    LRESULT at = SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_ADDSTRING, 0, (LPARAM)entry);
    if (at >= 0) SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
  }
  if (SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_GETCOUNT, 0, 0) > 0) {
    SendDlgItemMessageA(dlg, IDC_INFO_LIST, LB_SETCURSEL, 0, 0);
    ShowDetails(dlg);
  }
}

static INT_PTR CALLBACK InfoProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      FillList(dlg);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_INFO_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        ShowDetails(dlg);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_INFO_CLOSE || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void EvRunDeviceInfo(EvState *st, void *owner) {
  gInfoState = st;
  if (DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_DEVINFO), (HWND)owner, InfoProc, 0) == -1)
    GiLogError(__FILE__, __LINE__, GI_FAILED);
}
