// setwinui.h: the driver's settings window as a test in another process sees
// it (find it, read its controls, click buttons, scroll with the mouse), and
// a client application in its own process (gyx_chanclient) that logs what it
// receives. For setwin_test.cpp.
#ifndef GYX_TESTS_SETWINUI_H
#define GYX_TESTS_SETWINUI_H

#include <windows.h>

#include <string>
#include <vector>

#include "harness/gyxchanproc.h"
#include "harness/harness.h"

namespace setwin {

constexpr const char *kCaption = "Master Gyrantrix Driver Settings";

// The settings window of process pid, or NULL.
inline HWND FindSettings(DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "#32770", kCaption)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

inline HWND WaitSettings(DWORD pid, unsigned long ms = 15000) {
  HWND found = nullptr;
  GyxWaitFor([&] { return (found = FindSettings(pid)) != nullptr; }, ms, 20);
  return found;
}

inline std::string Text(HWND dlg, int id) {
  return GyxDialogItemText(dlg, id);
}
inline bool Checked(HWND dlg, int id) {
  return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline bool Enabled(HWND dlg, int id) {
  return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE;
}
inline int ScrollPos(HWND dlg, int id) {
  return (int)SendMessageA(GetDlgItem(dlg, id), SBM_GETPOS, 0, 0);
}

// Up: restored and visible. Away: minimised.
inline bool IsUp(HWND dlg) {
  return IsWindowVisible(dlg) && !IsIconic(dlg);
}
inline bool WaitUp(HWND dlg, bool up, unsigned long ms = 5000) {
  return GyxWaitFor([&] { return IsUp(dlg) == up && (up || IsIconic(dlg)); }, ms, 20);
}

// A click on a button as the button itself handles one (it notifies the
// window, which runs the command before this returns).
inline bool Click(HWND dlg, int id) {
  HWND b = GetDlgItem(dlg, id);
  if (!b) return false;
  SendMessageA(b, BM_CLICK, 0, 0);
  return true;
}

// A real mouse click at a screen point (the window must be in front there).
inline void ClickScreen(POINT p) {
  int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  for (INPUT &i : in) {
    i.type = INPUT_MOUSE;
    i.mi.dx = (LONG)((p.x * 65535LL + cx / 2) / (cx - 1));
    i.mi.dy = (LONG)((p.y * 65535LL + cy / 2) / (cy - 1));
    i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
  }
  in[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
  in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

// Clicks a horizontal scroll bar's left (or right) arrow with the mouse and
// waits until its position has moved, or until ms passed.
inline int ClickArrow(HWND dlg, int id, bool left, unsigned long ms = 3000) {
  HWND bar = GetDlgItem(dlg, id);
  RECT r;
  GetWindowRect(bar, &r);
  int arrow = GetSystemMetrics(SM_CXHSCROLL);
  POINT p = {left ? r.left + arrow / 2 : r.right - 1 - arrow / 2, (r.top + r.bottom) / 2};
  int before = ScrollPos(dlg, id);
  ClickScreen(p);
  GyxWaitFor([&] { return ScrollPos(dlg, id) != before; }, ms, 20);
  return ScrollPos(dlg, id);
}

// A client application in its own process (harness/gyxchanproc.h).
using Client = GyxChanClient;

}  // namespace setwin

#endif
