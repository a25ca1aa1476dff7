// The "Jet Gyrantrix Settings" dialog: its procedure (commands, the
// sensitivity scroll bar, Quit, Help), the refresh of its controls from the
// settings, and the controller-button handler, which changes the same
// settings. The rules themselves are portable (settings.cpp).
#include "jet/jetplat.h"

#include <shellapi.h>

#include "jet/jet_res.h"
#include "jet/jetgi.h"
#include "jet/settings.h"

static_assert(JET_SCROLL_LINE_LEFT == SB_LINELEFT && JET_SCROLL_LINE_RIGHT == SB_LINERIGHT &&
                  JET_SCROLL_PAGE_LEFT == SB_PAGELEFT && JET_SCROLL_PAGE_RIGHT == SB_PAGERIGHT &&
                  JET_SCROLL_THUMB_POSITION == SB_THUMBPOSITION,
              "the portable scroll codes are Win32's");

namespace {

void Check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

void CloseMain() {
  if (gJetWindows.main != nullptr) SendMessageA(gJetWindows.main, WM_CLOSE, 0, 0);
}

// Help is an HTML page beside the program, opened with the shell.
void OpenHelp(HWND owner) {
  char program[MAX_PATH + 1] = {};
  char page[MAX_PATH + 16];
  const DWORD n = GetModuleFileNameA(nullptr, program, 256);
  if (n == 0 || n >= 256 || JetHelpPath(page, sizeof page, program) < 0) {
    GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
    return;
  }
  const INT_PTR r =
      reinterpret_cast<INT_PTR>(ShellExecuteA(owner, "open", page, nullptr, nullptr, SW_SHOWNORMAL));
  if (r <= 32) GiLogError(__FILE__, __LINE__, static_cast<int32_t>(r));
}

}  // namespace

void RefreshSettingsDialog() {
  HWND d = gJetWindows.settings;
  if (d == nullptr || !IsWindow(d)) return;
  const JetState &s = gJet.state;
  Check(d, IDC_JET_TRANSLATION, s.translationOn);
  Check(d, IDC_JET_ROTATION, s.rotationOn);
  Check(d, IDC_JET_SINGLE_AXIS, s.singleAxis);
  Check(d, IDC_JET_KEEP_IN_VIEW, s.keepInView);
  Check(d, IDC_JET_SNAP_TO_GRID, s.snapToGrid);
  Check(d, IDC_JET_NO_GRAB, s.grabMode == JET_NO_GRAB);
  Check(d, IDC_JET_EXCLUSIVE_GRAB, s.grabMode == JET_EXCLUSIVE_GRAB);
  Check(d, IDC_JET_DEFAULT_GRAB, s.grabMode == JET_DEFAULT_GRAB);
  HWND bar = GetDlgItem(d, IDC_JET_SENSITIVITY);
  SetScrollRange(bar, SB_CTL, 0, JET_SCROLL_STEPS - 1, FALSE);
  SetScrollPos(bar, SB_CTL, SensitivityToScrollPos(s.sensitivity, JET_SCROLL_STEPS), TRUE);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      // Created before JetMain stores its handle: refresh this one.
      if (gJetWindows.settings == nullptr) gJetWindows.settings = dialog;
      RefreshSettingsDialog();
      return TRUE;
    case WM_CLOSE:
      CloseMain();
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDC_JET_QUIT) {
        CloseMain();
      } else if (id == IDC_JET_HELP) {
        OpenHelp(dialog);
      } else if (!JetSettingsCommand(&gJet, id, &kJetLibraryOps)) {
        return FALSE;
      }
      RefreshSettingsDialog();
      return TRUE;
    }
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_JET_SENSITIVITY)) return FALSE;
      JetSettingsScroll(&gJet, LOWORD(wParam), static_cast<int16_t>(HIWORD(wParam)), &kJetLibraryOps);
      RefreshSettingsDialog();
      return TRUE;
    default:
      return FALSE;
  }
}

int32_t OnDeviceButtons(GiWindowQueue *, GiGetEventData *, GiEvent *event, int32_t) {
  const int32_t released = GiButtonReleased(event);
  const int32_t pressed = GiButtonPressed(event);
  if (JetButtons(&gJet, released, pressed, &kJetLibraryOps)) RefreshSettingsDialog();
  return 0;
}
