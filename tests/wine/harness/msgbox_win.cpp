// msgbox_win.cpp: message-box look-up and answering (gyxmsgbox.h), shared by
// the harness and the gyx_msgbox tool (tools/msgbox builds this file too).
#include "gyxmsgbox.h"

#include <cstdlib>
#include <cstring>

namespace {

struct Search {
  const char *caption;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  Search *s = reinterpret_cast<Search *>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  char cls[16];
  if (GetClassNameA(hwnd, cls, sizeof cls) == 0 || std::strcmp(cls, "#32770") != 0) return TRUE;
  if (s->pid != 0) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != s->pid) return TRUE;
  }
  const int len = GetWindowTextLengthA(hwnd);
  if (len != static_cast<int>(std::strlen(s->caption))) return TRUE;
  std::string title(static_cast<size_t>(len) + 1, '\0');
  GetWindowTextA(hwnd, &title[0], len + 1);
  title.resize(std::strlen(title.c_str()));
  if (title != s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

unsigned long long NowMs() {
  return GetTickCount64();
}

}  // namespace

HWND GyxFindMessageBox(const char *caption, DWORD pid) {
  Search s = {caption, pid, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND GyxWaitMessageBox(const char *caption, unsigned long timeoutMs, DWORD pid) {
  const unsigned long long deadline = NowMs() + timeoutMs;
  for (;;) {
    if (HWND box = GyxFindMessageBox(caption, pid)) return box;
    if (NowMs() >= deadline) return nullptr;
    Sleep(10);
  }
}

bool GyxNoMessageBoxFor(const char *caption, unsigned long ms, DWORD pid) {
  return GyxWaitMessageBox(caption, ms, pid) == nullptr;
}

std::string GyxDialogItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return "";
  // WM_GETTEXT across processes is marshalled by the system; the length first,
  // since box texts can run to several hundred characters.
  const int len = GetWindowTextLengthA(item);
  if (len <= 0) return "";
  std::string text(static_cast<size_t>(len) + 1, '\0');
  const int got = GetWindowTextA(item, &text[0], len + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

std::string GyxMessageBoxText(HWND box) {
  return GyxDialogItemText(box, 0xFFFF);
}

bool GyxPressButton(HWND box, int id, unsigned long timeoutMs) {
  HWND button = GetDlgItem(box, id);
  if (!button || !IsWindowEnabled(button)) return false;
  // A time-out, so a hung box cannot hang the caller.
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result)) return false;
  const unsigned long long deadline = NowMs() + timeoutMs;
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (NowMs() >= deadline) return false;
    Sleep(5);
  }
  return true;
}

int GyxButtonId(const char *name) {
  static const struct {
    const char *name;
    int id;
  } kNames[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
  for (const auto &n : kNames) {
    if (lstrcmpiA(name, n.name) == 0) return n.id;
  }
  char *end = nullptr;
  const long id = std::strtol(name, &end, 10);
  return (end != name && *end == '\0' && id > 0 && id <= 0xFFFF) ? static_cast<int>(id) : 0;
}
