/* ui_win.cpp — the settings window "Master Gyrantrix Driver Settings": the
 * modeless dialog from template 101, its procedure, and the Win32 view through
 * which the portable logic (uidlg.cpp) acts on it. Called by the main loop,
 * the focus routing and the motion filter, all on the driver's one thread. */
#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "deliver.h"
#include "dvrfocus.h"
#include "gyxextrn.h"
#include "gyxsrv_res.h"
#include "ui.h"
#include "uiaxeswin.h"
#include "uidlg.h"
#include "uiwindow.h"

static_assert(UI_SB_LINELEFT == SB_LINELEFT && UI_SB_LINERIGHT == SB_LINERIGHT, "scroll codes");
static_assert(UI_SB_PAGELEFT == SB_PAGELEFT && UI_SB_PAGERIGHT == SB_PAGERIGHT, "scroll codes");
static_assert(UI_SB_THUMBPOSITION == SB_THUMBPOSITION, "scroll codes");

static HWND gWnd;
static HINSTANCE gInst;
static HICON gIcon;
static UiDlg gDlg;
static int gReady;          /* the logic's state exists: messages may reach it */
static ULONGLONG gCaughtUp; /* when the window last caught up with the current device */

/* Even while the window is away, what it shows is never older than this
 * (the focus poll's period): programs that read its controls see the
 * current device. */
#define CATCH_UP_MS 250

/* ---- The view ------------------------------------------------------------ */

/* The window's controls never change while it lives, and every GetDlgItem
 * asks the window system for the dialog's children: look each up once. */
enum { CONTROL_FIRST = IDC_HIDE, CONTROL_LAST = IDC_AXES };
static HWND gControls[CONTROL_LAST - CONTROL_FIRST + 1];

static HWND Control(int32_t id) {
  if (id < CONTROL_FIRST || id > CONTROL_LAST) return GetDlgItem(gWnd, id);
  HWND *c = &gControls[id - CONTROL_FIRST];
  if (*c == NULL) *c = GetDlgItem(gWnd, id);
  return *c;
}

static void SetText(void *, int32_t id, const char *text) {
  HWND c = Control(id);
  if (c) SetWindowTextA(c, text);
}

static void SetCheck(void *, int32_t id, int32_t checked) {
  HWND c = Control(id);
  if (c) SendMessageA(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

static int32_t GetCheck(void *, int32_t id) {
  HWND c = Control(id);
  return c && SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static void Enable(void *, int32_t id, int32_t enabled) {
  HWND c = Control(id);
  if (c) EnableWindow(c, enabled ? TRUE : FALSE);
}

static void SetRange(void *, int32_t id, int32_t min, int32_t max) {
  HWND c = Control(id);
  if (c) SetScrollRange(c, SB_CTL, min, max, FALSE);
}

static void SetPos(void *, int32_t id, int32_t pos, int32_t redraw) {
  HWND c = Control(id);
  if (c) SetScrollPos(c, SB_CTL, pos, redraw ? TRUE : FALSE);
}

static int32_t GetPos(void *, int32_t id) {
  HWND c = Control(id);
  return c ? GetScrollPos(c, SB_CTL) : UI_SCROLL_MIDDLE;
}

static void Topmost(void *, int32_t topmost) {
  SetWindowPos(gWnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

static void BringUp(void *ctx, int32_t topmost) {
  HWND front = topmost ? GetForegroundWindow() : NULL;
  ShowWindow(gWnd, SW_SHOWNORMAL);
  Topmost(ctx, topmost);
  if (front && front != gWnd) SetForegroundWindow(front);
}

static void ToBottom(void *) {
  SetWindowPos(gWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

static void PutAway(void *ctx) {
  ToBottom(ctx);
  ShowWindow(gWnd, SW_MINIMIZE);
}

/* Help is an HTML page beside the program, opened by whatever the user has
 * for such pages. */
static void OpenHelp(void *) {
  char module[MAX_PATH], page[MAX_PATH + 16];
  DWORD n = GetModuleFileNameA(NULL, module, sizeof module);
  if (n == 0 || n >= sizeof module || UiHelpPath(module, page, sizeof page) != 0) {
    GiLogError(__FILE__, __LINE__, GI_FAILED);
    return;
  }
  INT_PTR r = (INT_PTR)ShellExecuteA(gWnd, "open", page, NULL, NULL, SW_SHOWNORMAL);
  if (r <= 32) GiLogError(__FILE__, __LINE__, GI_FAILED);
}

static struct DvrHandle *FindFocus(void *, int32_t device) {
  return DvrFindFocus(device);
}

static int32_t Deliver(void *, struct DvrHandle *h, const GiEvent *ev) {
  return DvrDeliver(h, ev);
}

static const UiView kView = {
    .setText = SetText,
    .setCheck = SetCheck,
    .getCheck = GetCheck,
    .enable = Enable,
    .setScrollRange = SetRange,
    .setScrollPos = SetPos,
    .getScrollPos = GetPos,
    .bringUp = BringUp,
    .putAway = PutAway,
    .setTopmost = Topmost,
    .sendToBottom = ToBottom,
    .openHelp = OpenHelp,
    .findFocus = FindFocus,
    .deliver = Deliver,
};

/* ---- The dialog procedure -------------------------------------------------- */

static void Quit(void) {
  gDvrQuit = 1;
  if (gWnd) DestroyWindow(gWnd);
}

static void InitDialog(HWND w) {
  HMENU menu = GetSystemMenu(w, FALSE);
  if (menu) {
    DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  }
  SendMessageA(w, WM_SETICON, ICON_SMALL, (LPARAM)gIcon);
  SendMessageA(w, WM_SETICON, ICON_BIG, (LPARAM)gIcon);
}

/* Minimised, the window shows its icon in the middle of what is left of it. */
static void PaintIcon(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  if (!dc) return;
  SendMessageA(w, WM_ICONERASEBKGND, (WPARAM)dc, 0);
  RECT r;
  GetClientRect(w, &r);
  int x = (r.right - r.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (r.bottom - r.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, gIcon);
  EndPaint(w, &ps);
}

static INT_PTR CALLBACK SettingsProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  (void)lp;
  switch (msg) {
    case WM_INITDIALOG:
      InitDialog(w);
      return TRUE;
    case WM_COMMAND:
      /* Clicks, and the keyboard's equivalents, arrive as BN_CLICKED. */
      if (gReady && HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDC_AXES) {
        UiAxesOpen(gInst, w, gDlg.device);
        return TRUE;
      }
      return gReady && HIWORD(wp) == BN_CLICKED && UiDlgCommand(&gDlg, LOWORD(wp));
    case WM_HSCROLL:
      if (gReady) UiDlgScroll(&gDlg, LOWORD(wp), (short)HIWORD(wp));
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(w)) return FALSE;
      PaintIcon(w);
      return TRUE;
    case WM_NCPAINT:
      /* A posted WM_PAINT would find nothing to paint: invalidate instead. */
      if (IsIconic(w)) InvalidateRect(w, NULL, TRUE);
      return FALSE;
    case WM_QUERYDRAGICON:
      return (INT_PTR)gIcon;
    case WM_QUERYOPEN:
      if (gReady) UiDlgRestored(&gDlg);
      return FALSE; /* the default answer lets the window open */
    case WM_SYSCOMMAND:
      if (gReady && (wp & 0xFFF0) == SC_MINIMIZE) UiDlgMinimizing(&gDlg);
      return FALSE; /* the default processing minimises */
    case WM_CLOSE:
      Quit();
      return TRUE;
    case WM_ENDSESSION:
      /* wParam 0: the session goes on after all, and so does the driver. */
      if (wp) Quit();
      return TRUE;
    case WM_NCDESTROY:
      gWnd = NULL;
      memset(gControls, 0, sizeof gControls);
      gReady = 0;
      return FALSE;
  }
  return FALSE;
}

/* ---- The main loop's calls ------------------------------------------------- */

int UiCreate(void *instance) {
  HINSTANCE inst = (HINSTANCE)instance;
  gInst = inst;
  gIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_GYXSRV));
  if (!gIcon) GiLogError(__FILE__, __LINE__, GI_FAILED); /* the window goes on without it */
  gWnd = CreateDialogA(inst, MAKEINTRESOURCEA(IDD_SETTINGS), NULL, SettingsProc);
  if (!gWnd) return GiLogError(__FILE__, __LINE__, -1);
  UiDlgInit(&gDlg, &kView, NULL);
  gReady = 1;
  return 0;
}

void UiPump(void) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      Quit();
      continue;
    }
    HWND axes = (HWND)UiAxesWindow();
    if (axes && IsDialogMessageA(axes, &msg)) continue;
    if (gWnd && IsDialogMessageA(gWnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void UiCatchUp(void) {
  if (!gReady) return;
  UiDlgCatchUp(&gDlg);
  gCaughtUp = GetTickCount64();
}

void UiShowDevice(int index) {
  if (!gReady) return;
  UiDlgFollowDevice(&gDlg, index);
  if (gDlg.pending >= 0 && GetTickCount64() - gCaughtUp >= CATCH_UP_MS) UiCatchUp();
}

void UiFollowFocus(struct DvrHandle *h) {
  if (!gReady) return;
  if (h) UiDlgFollowDevice(&gDlg, h->device->index);
  UiDlgNoteHandle(&gDlg, h);
  UiDlgApplyMode(&gDlg, h ? (uint32_t)h->uiMode : (uint32_t)GI_UI_ALL);
}

void UiDestroy(void) {
  UiAxesClose();
  if (gWnd) DestroyWindow(gWnd);
}

/* ---- The motion filter's and the focus routing's calls --------------------- */

void UiToggleSettings(void) {
  if (gReady) UiDlgToggle(&gDlg);
}

void UiRezero(UdDevice *dev) {
  UiRezeroDevice(dev);
}

void *UiSettingsWindow(void) {
  return gWnd;
}

int UiIsSettingsWindow(void *w) {
  return w && (w == gWnd || w == UiAxesWindow());
}
