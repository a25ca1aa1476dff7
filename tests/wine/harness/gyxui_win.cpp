// gyxui_win.cpp: finding and working the windows of another process for the
// Win32 tests (gyxui.h). Only user32 and the harness's own helpers.
#include "gyxui.h"

#include "gyxfile.h"
#include "gyxlinux.h"
#include "gyxpath.h"
#include "gyxwait.h"

#include <cstdio>
#include <cstring>

namespace {

const unsigned long kAnswerMs = 5000;  // how long a program may take to answer one message

struct Search {
  const GyxUiQuery *query;
  std::vector<HWND> found;
  bool all;
};

bool Matches(HWND hwnd, const GyxUiQuery &q) {
  if (q.visible && !IsWindowVisible(hwnd)) return false;
  if (q.pid != 0) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != q.pid) return false;
  }
  if (q.cls) {
    char cls[64];
    if (GetClassNameA(hwnd, cls, sizeof cls) == 0 || std::strcmp(cls, q.cls) != 0) return false;
  }
  if (q.caption && GyxUiText(hwnd) != q.caption) return false;
  if (q.controlId != 0 && !GetDlgItem(hwnd, q.controlId)) return false;
  return true;
}

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
  Search *s = reinterpret_cast<Search *>(param);
  if (!Matches(hwnd, *s->query)) return TRUE;
  s->found.push_back(hwnd);
  return s->all ? TRUE : FALSE;
}

// SendMessageTimeout's answer, or `fail` when the program did not answer.
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT fail) {
  DWORD_PTR result = 0;
  if (!window || !SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result))
    return fail;
  return static_cast<LRESULT>(result);
}

// Wide text as the program's ANSI code page spells it.
std::string Narrow(const std::wstring &wide) {
  if (wide.empty()) return "";
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
  return out;
}

HWND Item(HWND dialog, int id) {
  return dialog ? GetDlgItem(dialog, id) : nullptr;
}

}  // namespace

HWND GyxUiFind(const GyxUiQuery &query) {
  Search s = {&query, {}, false};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found.empty() ? nullptr : s.found.front();
}

std::vector<HWND> GyxUiFindAll(const GyxUiQuery &query) {
  Search s = {&query, {}, true};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND GyxUiWait(const GyxUiQuery &query, unsigned long timeoutMs) {
  HWND found = nullptr;
  GyxWaitFor([&] { return (found = GyxUiFind(query)) != nullptr; }, timeoutMs);
  return found;
}

HWND GyxUiWaitDialog(const char *caption, unsigned long timeoutMs, DWORD pid, int controlId) {
  GyxUiQuery q;
  q.cls = "#32770";
  q.caption = caption;
  q.pid = pid;
  q.controlId = controlId;
  return GyxUiWait(q, timeoutMs);
}

std::string GyxUiText(HWND window) {
  if (!window) return "";
  // Asked of the window itself: GetWindowText of another process's control
  // answers only what the window was created with (an edit's text is not
  // that). Wide: the system converts wide text reliably across processes.
  const LRESULT len = Ask(window, WM_GETTEXTLENGTH, 0, 0, 0);
  if (len <= 0) return "";
  std::wstring text(static_cast<size_t>(len) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kAnswerMs, &got))
    return "";
  text.resize(got <= static_cast<DWORD_PTR>(len) ? static_cast<size_t>(got) : static_cast<size_t>(len));
  return Narrow(text);
}

std::string GyxUiItemText(HWND dialog, int id) {
  return GyxUiText(Item(dialog, id));
}

bool GyxUiItemVisible(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  return item && IsWindowVisible(item);
}

bool GyxUiItemEnabled(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  return item && IsWindowEnabled(item);
}

HWND GyxUiFocus(HWND window) {
  GUITHREADINFO info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (!thread || !GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

int GyxUiFocusId(HWND window) {
  HWND focus = GyxUiFocus(window);
  return focus ? GetDlgCtrlID(focus) : 0;
}

int GyxUiListCount(HWND dialog, int id) {
  HWND list = Item(dialog, id);
  if (!list) return -1;
  const LRESULT n = Ask(list, LB_GETCOUNT, 0, 0, LB_ERR);
  return n == LB_ERR ? -1 : static_cast<int>(n);
}

std::vector<std::string> GyxUiListLines(HWND dialog, int id) {
  std::vector<std::string> lines;
  HWND list = Item(dialog, id);
  const int n = GyxUiListCount(dialog, id);
  for (int i = 0; i < n; i++) {
    const LRESULT len = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, LB_ERR);
    if (len == LB_ERR) break;
    // Wide, as above: Wine hands an ANSI LB_GETTEXT of another process the
    // wide text unconverted.
    std::wstring line(static_cast<size_t>(len) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&line[0]),
                             SMTO_ABORTIFHUNG, kAnswerMs, &got) ||
        static_cast<LRESULT>(got) == LB_ERR)
      break;
    line.resize(static_cast<size_t>(got) <= static_cast<size_t>(len) ? static_cast<size_t>(got)
                                                                     : static_cast<size_t>(len));
    lines.push_back(Narrow(line));
  }
  return lines;
}

int GyxUiListSelection(HWND dialog, int id) {
  HWND list = Item(dialog, id);
  if (!list) return -1;
  const LRESULT sel = Ask(list, LB_GETCURSEL, 0, 0, LB_ERR);
  return sel == LB_ERR ? -1 : static_cast<int>(sel);
}

int GyxUiListTopIndex(HWND dialog, int id) {
  HWND list = Item(dialog, id);
  if (!list) return -1;
  const LRESULT top = Ask(list, LB_GETTOPINDEX, 0, 0, LB_ERR);
  return top == LB_ERR ? -1 : static_cast<int>(top);
}

bool GyxUiListClick(HWND dialog, int id, int index) {
  HWND list = Item(dialog, id);
  const int n = GyxUiListCount(dialog, id);
  if (!list || index < 0 || index >= n) return false;
  // Scrolled so that the line is the first shown (or as near as the end of the
  // list allows), then clicked in the middle of its row.
  Ask(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0, LB_ERR);
  const int top = GyxUiListTopIndex(dialog, id);
  const LRESULT height = Ask(list, LB_GETITEMHEIGHT, 0, 0, LB_ERR);
  if (top < 0 || top > index || height == LB_ERR || height <= 0) return false;
  const int y = (index - top) * static_cast<int>(height) + static_cast<int>(height) / 2;
  const LPARAM at = MAKELPARAM(4, y);
  if (!PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at) || !PostMessageA(list, WM_LBUTTONUP, 0, at))
    return false;
  // Both are handled once a message sent behind them is.
  return Ask(list, WM_NULL, 0, 0, -1) != -1 && GyxUiListSelection(dialog, id) == index;
}

bool GyxUiClick(HWND dialog, int id, unsigned long timeoutMs) {
  HWND button = Item(dialog, id);
  if (!button || !IsWindowEnabled(button)) return false;
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool GyxUiClickAsync(HWND dialog, int id) {
  HWND button = Item(dialog, id);
  if (!button || !IsWindowEnabled(button)) return false;
  return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

int GyxUiCheckState(HWND dialog, int id) {
  HWND box = Item(dialog, id);
  if (!box) return -1;
  return static_cast<int>(Ask(box, BM_GETCHECK, 0, 0, -1));
}

bool GyxUiSetCheck(HWND dialog, int id, bool checked, unsigned long timeoutMs) {
  const int want = checked ? BST_CHECKED : BST_UNCHECKED;
  const int now = GyxUiCheckState(dialog, id);
  if (now < 0) return false;
  if (now != want && !GyxUiClick(dialog, id, timeoutMs)) return false;
  return GyxUiCheckState(dialog, id) == want;
}

bool GyxUiSysCommand(HWND window, WPARAM command) {
  return IsWindow(window) && PostMessageA(window, WM_SYSCOMMAND, command, 0) != 0;
}

namespace {

// Opens window's system menu from the keyboard (Alt+Space) and posts the
// keys (WM_CHAR for a character, WM_KEYDOWN for a virtual key) once the menu
// tracks them; true when the menu took them and closed.
bool WorkSysMenu(HWND window, UINT keyMessage, const std::vector<WPARAM> &keys, unsigned long timeoutMs) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!pid || !PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, ' ')) return false;
  // The menu's own window appears once the program tracks it; only then do
  // the keys reach the menu rather than the dialog.
  GyxUiQuery menu;
  menu.cls = "#32768";
  menu.pid = pid;
  HWND popup = GyxUiWait(menu, timeoutMs);
  if (!popup) return false;
  for (WPARAM key : keys)
    if (!PostMessageA(window, keyMessage, key, 0)) return false;
  return GyxWaitFor([&] { return !IsWindowVisible(popup); }, timeoutMs);
}

}  // namespace

bool GyxUiSysMenuKey(HWND window, char key, unsigned long timeoutMs) {
  return WorkSysMenu(window, WM_CHAR, {static_cast<WPARAM>(static_cast<unsigned char>(key))}, timeoutMs);
}

bool GyxUiSysMenuLast(HWND window, unsigned long timeoutMs) {
  // Up from the first item wraps round to the last.
  return WorkSysMenu(window, WM_KEYDOWN, {VK_UP, VK_RETURN}, timeoutMs);
}

bool GyxUiForeground(HWND window, unsigned long timeoutMs) {
  return GyxWaitFor(
      [&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
      },
      timeoutMs, 20);
}

RECT GyxUiRect(HWND window) {
  RECT r = {0, 0, 0, 0};
  if (window) GetWindowRect(window, &r);
  return r;
}

bool GyxUiScreenshot(HWND window, const std::string &pngPath) {
  const RECT r = GyxUiRect(window);
  if (r.right <= r.left || r.bottom <= r.top) return false;
  char geometry[64];
  std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", static_cast<long>(r.right - r.left),
                static_cast<long>(r.bottom - r.top), static_cast<long>(r.left), static_cast<long>(r.top));
  GyxDeleteFile(pngPath);
  GyxLinuxProcess shot;
  if (!shot.Start({"/bin/bash", GyxSourcePath("scripts/screenshot.sh"), pngPath, geometry})) return false;
  int code = -1;
  if (!shot.Wait(30000, &code) || code != 0) {
    std::fprintf(stderr, "[ gyxui    ] screenshot.sh failed (%d): %s\n", code, shot.Output().c_str());
    return false;
  }
  return GyxFileExists(pngPath);
}

bool GyxUiPngSize(const std::string &pngPath, int *width, int *height) {
  std::string data;
  if (!GyxReadFile(pngPath, &data) || data.size() < 24) return false;
  if (data.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || data.compare(12, 4, "IHDR") != 0) return false;
  auto word = [&](size_t at) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(data.data()) + at;
    return static_cast<int>((p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
  };
  *width = word(16);
  *height = word(20);
  return true;
}
