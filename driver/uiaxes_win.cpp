/* uiaxes_win.cpp — the Axes dialog (template 110): a modeless window over
 * the settings window, so the driver's loop keeps serving devices and
 * applications while it is open. OK applies the rows to the device and
 * writes them to its port's section of "gyrantx.ini"; Cancel drops them. */
#include <windows.h>

#include <string.h>

#include "device/iniaxes.h"
#include "device/udextern.h"
#include "gyxsrv_res.h"
#include "uiaxes.h"
#include "uiaxeswin.h"

static HWND gAxes;
static int32_t gAxesDevice = -1; /* the device the open dialog edits */

/* ---- The view ------------------------------------------------------------ */

static void SetText(void *, int32_t id, const char *text) {
  SetDlgItemTextA(gAxes, id, text);
}

static void GetText(void *, int32_t id, char *buf, size_t size) {
  if (size == 0) return;
  buf[0] = '\0';
  GetDlgItemTextA(gAxes, id, buf, (int)size);
}

static void SetCheck(void *, int32_t id, int32_t checked) {
  CheckDlgButton(gAxes, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

static int32_t GetCheck(void *, int32_t id) {
  return IsDlgButtonChecked(gAxes, id) == BST_CHECKED;
}

static void SetChoice(void *, int32_t id, int32_t index) {
  SendDlgItemMessageA(gAxes, id, CB_SETCURSEL, (WPARAM)index, 0);
}

static int32_t GetChoice(void *, int32_t id) {
  LRESULT r = SendDlgItemMessageA(gAxes, id, CB_GETCURSEL, 0, 0);
  return r == CB_ERR ? -1 : (int32_t)r;
}

static const UiAxesView kView = {
    .setText = SetText,
    .getText = GetText,
    .setCheck = SetCheck,
    .getCheck = GetCheck,
    .setChoice = SetChoice,
    .getChoice = GetChoice,
};

/* ---- OK ------------------------------------------------------------------- */

/* The port's axis keys in "gyrantx.ini"; the file's other keys stay. */
static void Save(const UdDevice *dev) {
  IniEntry entries[INI_AXIS_KEYS];
  IniAxesEntries(dev->axes, entries);
  for (const IniEntry &e : entries) {
    if (!WritePrivateProfileStringA(dev->portName, e.key, e.value, UD_CONFIG_FILE)) {
      GiLogError(__FILE__, __LINE__, GI_FAILED);
      MessageBeep(MB_ICONEXCLAMATION);
      return;
    }
  }
}

static void Ok(HWND w) {
  UdDevice *dev = UdDeviceAt(gAxesDevice);
  if (!dev) {
    DestroyWindow(w);
    return;
  }
  UdAxis axes[UD_NUM_AXES];
  int32_t bad = 0;
  if (UiAxesRead(&kView, NULL, axes, &bad) != 0) {
    /* The dialog stays open on the field the user has to mend. */
    MessageBeep(MB_ICONEXCLAMATION);
    HWND c = GetDlgItem(w, bad);
    if (c) {
      SetFocus(c);
      SendMessageA(c, EM_SETSEL, 0, -1);
    }
    return;
  }
  /* One thread: the next event the loop reads is filtered with these. */
  memcpy(dev->axes, axes, sizeof axes);
  Save(dev);
  DestroyWindow(w);
}

/* ---- The dialog procedure -------------------------------------------------- */

static INT_PTR CALLBACK AxesProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      gAxes = w;
      for (int32_t a = 0; a < UD_NUM_AXES; a++) {
        for (int32_t s = 0; s < UD_NUM_AXES; s++)
          SendDlgItemMessageA(w, IDC_AXIS_FROM + a, CB_ADDSTRING, 0, (LPARAM)kIniAxisNames[s]);
      }
      UiAxesShow(&kView, NULL, UdDeviceAt(gAxesDevice));
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) return FALSE;
      if (LOWORD(wp) == IDOK) Ok(w);
      if (LOWORD(wp) == IDCANCEL) DestroyWindow(w);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(w);
      return TRUE;
    case WM_NCDESTROY:
      gAxes = NULL;
      gAxesDevice = -1;
      return FALSE;
  }
  return FALSE;
}

void UiAxesOpen(void *instance, void *owner, int32_t device) {
  if (!UdDeviceAt(device)) return;
  if (gAxes && gAxesDevice != device) DestroyWindow(gAxes); /* the rows were another device's */
  if (gAxes) {
    SetForegroundWindow(gAxes);
    return;
  }
  gAxesDevice = device;
  HWND w = CreateDialogA((HINSTANCE)instance, MAKEINTRESOURCEA(IDD_AXES), (HWND)owner, AxesProc);
  if (!w) {
    gAxesDevice = -1;
    GiLogError(__FILE__, __LINE__, GI_FAILED);
    return;
  }
  ShowWindow(w, SW_SHOWNORMAL);
  SetForegroundWindow(w);
}

void *UiAxesWindow(void) {
  return gAxes;
}

void UiAxesClose(void) {
  if (gAxes) DestroyWindow(gAxes);
}
