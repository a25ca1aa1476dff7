/* appplat_win.cpp — the Win32 side of appplat.h: profile lookup, process
 * start, the multimedia clock and the window messages of the thread's queue. */
#include <windows.h>
#include <mmsystem.h>

#include "appplat.h"
#include "inihomed.h"

int AppPlatHomeDir(char *buf, int size) {
  return IniHomeDir(buf, size, "gyrantx.ini");
}

int AppPlatFileExists(const char *path) {
  DWORD attr = GetFileAttributesA(path);
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

int AppPlatStartProgram(const char *path) {
  STARTUPINFOA si;
  PROCESS_INFORMATION pi;
  ZeroMemory(&si, sizeof si);
  ZeroMemory(&pi, sizeof pi);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOW;
  const DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_NEW_PROCESS_GROUP;
  if (!CreateProcessA(path, NULL, NULL, NULL, FALSE, flags, NULL, NULL, &si, &pi)) return 0;
  /* Nothing of the process is kept: its handles would only leak. */
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1;
}

void AppPlatSleep(uint32_t ms) {
  Sleep(ms);
}

uint32_t AppPlatTime(void) {
  return timeGetTime();
}
void AppPlatTimerBegin(void) {
  timeBeginPeriod(1);
}
void AppPlatTimerEnd(void) {
  timeEndPeriod(1);
}

int AppPlatPeekFirst(void *window, uint32_t message, int remove, GiGetEventData *out) {
  /* A filter of 0..0 would match every message: message 0 is never ours. */
  if (message == 0 || !window) return 0;
  MSG msg;
  /* Messages are only ever added behind, so the first one seen without
   * removing it is the one a following PM_REMOVE takes. */
  const UINT how = (remove ? PM_REMOVE : PM_NOREMOVE) | PM_NOYIELD;
  if (!PeekMessageA(&msg, (HWND)window, message, message, how)) return 0;
  out->message = msg.message;
  out->wParam = (uint32_t)msg.wParam;
  out->lParam = (uint32_t)msg.lParam;
  return 1;
}

int AppPlatPost(void *window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  return PostMessageA((HWND)window, message, (WPARAM)wParam, (LPARAM)lParam) ? 1 : 0;
}

void AppPlatDropNotices(void *window, uint32_t message) {
  if (message == 0 || !window) return;
  MSG msg;
  while (PeekMessageA(&msg, (HWND)window, message, message, PM_REMOVE | PM_NOYIELD)) {
  }
}
