/* evtdlg_win.cpp — the main dialog of the event test utility: opening every
 * device, the driver's version and date, the event list, the buttons, the
 * user-interface-mode boxes of layout B, the About item of the system menu,
 * the icon while minimised, and the message loop whose pre-translation
 * offers every message to the input library first (evtplat.h). */
#include <windows.h>

#include <string.h>

#include "evtargs.h"
#include "evtline.h"
#include "evtmode.h"
#include "evtplat.h"

static EvState *gSt;
static HWND gDlg;
static HICON gIconBig, gIconSmall;

static void AddLine(const char *line) {
  HWND list = GetDlgItem(gDlg, IDC_LIST);
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count != LB_ERR && EvListMustDropFirst((int)count)) SendMessageA(list, LB_DELETESTRING, 0, 0);
  LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
  if (at >= 0) SendMessageA(list, LB_SETCURSEL, (WPARAM)at, 0); /* scrolls to it too */
}

static void ShowEvent(GiHandle h, const GiEvent *ev) {
  if (gSt->paused) return; /* taken off the queue all the same */
  char lines[2][EV_LINE_SIZE];
  int n = EvEventLines(&gSt->strings, ev, GiGetDeviceID(h), gSt->axis, lines);
  for (int i = 0; i < n; i++) AddLine(lines[i]);
}

/* The pre-translation: 1 when the message belonged to the library (it is
 * then handled and goes no further), 0 for normal processing. */
static int TakeEvent(UINT message, WPARAM wParam, LPARAM lParam) {
  GiGetEventData data;
  GiHandle h = NULL;
  GiGetEventWinInit(&data, message, wParam, lParam);
  if (!GiFindEventHandle(&data, &h)) return 0;
  GiEvent ev;
  int32_t r = GiGetEvent(h, 0, &data, &ev);
  if (r == GI_IS_EVENT)
    ShowEvent(h, &ev);
  else if (r != GI_SKIP_EVENT)
    EvErrorBox(gSt, IDS_GET_EVENT, GiErrorString(GiLastError));
  return 1;
}

/* Shows one failed open: by type and port when the driver still describes
 * the device, else by index. code is the open's outcome. */
static void ReportOpenFailure(int32_t index, int32_t id, int32_t code) {
  char codeText[EV_TEXT_SIZE];
  EvCopyField(codeText, sizeof codeText, GiErrorString(code), EV_TEXT_SIZE);
  GiPortInfo port;
  if (GiGetDevicePort(id, &port) == GI_NO_ERROR) {
    char type[sizeof port.typeName], name[sizeof port.portName];
    EvCopyField(type, sizeof type, port.typeName, sizeof port.typeName);
    EvCopyField(name, sizeof name, port.portName, sizeof port.portName);
    EvErrorBox(gSt, IDS_OPEN_PORT, type, name, codeText);
  } else {
    EvErrorBox(gSt, IDS_OPEN_INDEX, (int)index, codeText);
  }
}

static void OpenDevices(void) {
  EvState *st = gSt;
  st->count = GiGetNumDevices();
  if (st->count <= 0) {
    EvErrorBox(st, IDS_NO_DRIVER);
    return;
  }
  st->slots = EvSlotCount(st->count);
  if (st->slots < st->count) GiLogError(__FILE__, __LINE__, GI_FAILED); /* the rest stay unopened */
  GiOpenData od;
  GiOpenWinInit(&od, gDlg);
  for (int32_t i = 0; i < st->slots; i++) {
    int32_t id = GiDeviceIndex(i);
    st->handles[i] = GiOpen(EvString(&st->strings, IDS_TITLE), id, NULL, GI_EVENT_MODE, &od);
    if (!st->handles[i]) ReportOpenFailure(i, id, GiLastError);
  }
}

static void ShowDriverInfo(void) {
  GiDriverInfo info;
  if (GiGetDriverInfo(&info) != GI_NO_ERROR) {
    EvErrorBox(gSt, IDS_DRIVER_INFO, GiErrorString(GiLastError));
    return;
  }
  char version[sizeof info.version], date[sizeof info.date], text[EV_LINE_SIZE];
  EvCopyField(version, sizeof version, info.version, sizeof info.version);
  EvCopyField(date, sizeof date, info.date, sizeof info.date);
  EvFormat(&gSt->strings, IDS_DRIVER_VERSION, text, sizeof text, version, (int)info.build);
  SetDlgItemTextA(gDlg, IDC_DRV_VERSION, text);
  SetDlgItemTextA(gDlg, IDC_DRV_DATE, date);
}

static void ShowModeBoxes(void) {
  for (int i = 0; i < EV_MODE_BOX_COUNT; i++) {
    int id = kEvModeBoxes[i];
    CheckDlgButton(gDlg, id, EvModeBoxChecked(gSt->uiMode, id) ? BST_CHECKED : BST_UNCHECKED);
  }
}

/* The word goes to every handle of this program; the driver applies the one
 * of the handle that has the focus. */
static void SetMode(int32_t mode) {
  gSt->uiMode = mode;
  GiSetUiMode(NULL, mode);
  ShowModeBoxes();
}

static void SetUpSystemMenu(HWND dlg) {
  HMENU sys = GetSystemMenu(dlg, FALSE);
  if (!sys) return;
  const char *about = EvString(&gSt->strings, IDS_ABOUTBOX);
  if (about[0]) {
    AppendMenuA(sys, MF_SEPARATOR, 0, NULL);
    AppendMenuA(sys, MF_STRING, IDM_ABOUTBOX, about);
  }
  DeleteMenu(sys, SC_SIZE, MF_BYCOMMAND);
  DeleteMenu(sys, SC_MAXIMIZE, MF_BYCOMMAND);
}

static void SetUpIcons(HWND dlg) {
  HINSTANCE inst = GetModuleHandleA(NULL);
  gIconBig = (HICON)LoadImageA(inst, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                               GetSystemMetrics(SM_CYICON), 0);
  gIconSmall = (HICON)LoadImageA(inst, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0);
  SendMessageA(dlg, WM_SETICON, ICON_BIG, (LPARAM)gIconBig);
  SendMessageA(dlg, WM_SETICON, ICON_SMALL, (LPARAM)gIconSmall);
}

static void InitDialog(HWND dlg) {
  gDlg = dlg;
  gSt->mainWindow = dlg;
  SetUpSystemMenu(dlg);
  SetUpIcons(dlg);
  gSt->paused = 0;
  ShowWindow(GetDlgItem(dlg, IDC_RESUME), SW_HIDE);
  CheckRadioButton(dlg, IDC_SINGLE, IDC_MULTIPLE, gSt->axis == EV_AXIS_SINGLE ? IDC_SINGLE : IDC_MULTIPLE);
  OpenDevices();
  ShowDriverInfo();
  if (gSt->layout == EV_LAYOUT_B) {
    SetMode(GI_UI_ALL);
    for (int i = 0; i < EV_MODE_BOX_COUNT; i++) {
      HWND box = GetDlgItem(dlg, kEvModeBoxes[i]);
      EnableWindow(box, TRUE);
      ShowWindow(box, SW_SHOW);
    }
  }
}

/* Pause and Resume share a place: one is shown, and takes the focus. */
static void SetPaused(int paused) {
  gSt->paused = paused;
  HWND gone = GetDlgItem(gDlg, paused ? IDC_PAUSE : IDC_RESUME);
  HWND shown = GetDlgItem(gDlg, paused ? IDC_RESUME : IDC_PAUSE);
  ShowWindow(gone, SW_HIDE);
  ShowWindow(shown, SW_SHOW);
  SendMessageA(gDlg, WM_NEXTDLGCTL, (WPARAM)shown, TRUE);
}

static int IsModeBox(int id) {
  return id >= IDC_ALL_CONTROLS && id <= IDC_DIALOG_POPUP;
}

static BOOL OnCommand(HWND dlg, int id, int code) {
  switch (id) {
    case IDC_EXIT:
    case IDCANCEL:
      DestroyWindow(dlg);
      return TRUE;
    case IDC_CLEAR:
      SendDlgItemMessageA(dlg, IDC_LIST, LB_RESETCONTENT, 0, 0);
      return TRUE;
    case IDC_PAUSE:
    case IDC_RESUME:
      SetPaused(id == IDC_PAUSE);
      return TRUE;
    case IDC_SINGLE:
    case IDC_MULTIPLE:
      if (code == BN_CLICKED) gSt->axis = id == IDC_SINGLE ? EV_AXIS_SINGLE : EV_AXIS_MULTIPLE;
      return TRUE;
    case IDC_DEVINFO:
      EvRunDeviceInfo(gSt, dlg);
      return TRUE;
  }
  if (IsModeBox(id) && gSt->layout == EV_LAYOUT_B && code == BN_CLICKED) {
    SetMode(EvModeAfterClick(gSt->uiMode, id, IsDlgButtonChecked(dlg, id) == BST_CHECKED));
    return TRUE;
  }
  return FALSE;
}

/* Minimised, the window shows the program icon in the middle of its client
 * area. (Under Wine a minimised window is a bare caption without a client
 * area, so there is nothing to see there.) */
static BOOL PaintIcon(HWND dlg) {
  if (!IsIconic(dlg)) return FALSE;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dlg, &ps);
  SendMessageA(dlg, WM_ICONERASEBKGND, (WPARAM)dc, 0);
  RECT r;
  GetClientRect(dlg, &r);
  int x = (r.right - r.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (r.bottom - r.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, gIconBig);
  EndPaint(dlg, &ps);
  return TRUE;
}

static void CloseDevices(void) {
  for (int32_t i = 0; i < gSt->slots; i++) {
    if (gSt->handles[i]) GiClose(gSt->handles[i]);
    gSt->handles[i] = NULL;
  }
  gSt->slots = 0;
}

static INT_PTR CALLBACK MainProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      InitDialog(dlg);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dlg, LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        EvRunAbout(dlg);
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      return PaintIcon(dlg);
    case WM_QUERYDRAGICON:
      return (INT_PTR)gIconBig;
    case WM_DESTROY:
      CloseDevices();
      gSt->mainWindow = NULL;
      PostQuitMessage(0);
      return TRUE;
  }
  /* The library's messages that a modal loop of this thread (a message box,
   * the device-information or About dialog, the system menu) dispatched
   * instead of pre-translating. They are the registered ones. */
  if (msg >= 0xC000 && msg <= 0xFFFF && TakeEvent(msg, wParam, lParam)) return TRUE;
  return FALSE;
}

int EvRunMainDialog(EvState *st, void *instance) {
  gSt = st;
  int id = st->layout == EV_LAYOUT_B ? IDD_MAIN_B : IDD_MAIN_A;
  HWND dlg = CreateDialogParamA((HINSTANCE)instance, MAKEINTRESOURCEA(id), NULL, MainProc, 0);
  if (!dlg) {
    GiLogError(__FILE__, __LINE__, GI_FAILED);
    return -1;
  }
  MSG m;
  while (GetMessageA(&m, NULL, 0, 0) > 0) {
    if (TakeEvent(m.message, m.wParam, m.lParam)) continue;
    if (IsWindow(gDlg) && IsDialogMessageA(gDlg, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (gIconBig) DestroyIcon(gIconBig);
  if (gIconSmall) DestroyIcon(gIconSmall);
  gIconBig = gIconSmall = NULL;
  gDlg = NULL;
  return 0;
}
