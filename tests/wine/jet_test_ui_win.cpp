// jet_test_ui_win.cpp: finding, reading and clicking the jet demo's windows
// from a test process, its state query, and screen captures (jet_test_ui.h).
#include "jet_test_ui.h"

#include <cstring>

#include "harness/gyxwait.h"
#include "jet/jetquery.h"

namespace {

struct Search {
  const char *cls;
  const char *title;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
  Search *s = reinterpret_cast<Search *>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s->pid) return TRUE;
  char text[256];
  if (GetClassNameA(hwnd, text, sizeof text) == 0 || std::strcmp(text, s->cls) != 0) return TRUE;
  if (s->title != nullptr) {
    GetWindowTextA(hwnd, text, sizeof text);
    if (std::strcmp(text, s->title) != 0) return TRUE;
  }
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND JetUiWaitWindow(const char *cls, const char *title, DWORD pid, unsigned long timeoutMs) {
  Search s = {cls, title, pid, nullptr};
  GyxWaitFor(
      [&] {
        EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
        return s.found != nullptr;
      },
      timeoutMs, 20);
  return s.found;
}

int64_t JetUiQuery(HWND demo, int item) {
  static const UINT query = RegisterWindowMessageA(JET_QUERY_MESSAGE);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(demo, query, static_cast<WPARAM>(item), 0, SMTO_BLOCK, 5000, &result)) return -1;
  return static_cast<int64_t>(result);
}

float JetUiQueryFloat(HWND demo, int item) {
  const uint32_t bits = static_cast<uint32_t>(JetUiQuery(demo, item));
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::vector<float> JetUiMatrix(HWND demo, int first) {
  std::vector<float> m;
  for (int i = 0; i < 16; ++i) m.push_back(JetUiQueryFloat(demo, first + i));
  return m;
}

bool JetUiChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int JetUiScrollPos(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, SBM_GETPOS, 0, 0));
}

void JetUiClick(HWND dialog, int id) {
  SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

void JetUiScroll(HWND dialog, int id, int code, int position) {
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::vector<std::string> JetUiComboLines(HWND dialog, int id) {
  std::vector<std::string> lines;
  const LRESULT n = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    // The wide form: Wine hands another process the A form's text as UTF-16.
    wchar_t wide[512] = {};
    char text[1024] = {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    lines.push_back(text);
  }
  return lines;
}

int JetUiComboSelection(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

JetUiPixels JetUiCapture(HWND window) {
  JetUiPixels p;
  RECT r;
  if (!GetClientRect(window, &r)) return p;
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return p;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (mem != nullptr && dib != nullptr) {
    HGDIOBJ old = SelectObject(mem, dib);
    if (BitBlt(mem, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY)) {
      GdiFlush();
      p.width = w;
      p.height = h;
      const uint32_t *px = static_cast<const uint32_t *>(bits);
      p.rgb.assign(px, px + static_cast<size_t>(w) * h);
      for (uint32_t &v : p.rgb) v &= 0x00FFFFFFu;
    }
    SelectObject(mem, old);
  }
  if (dib != nullptr) DeleteObject(dib);
  if (mem != nullptr) DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return p;
}

int JetUiCount(const JetUiPixels &p, uint32_t rgb) {
  int n = 0;
  for (uint32_t v : p.rgb) n += v == rgb;
  return n;
}

int JetUiDiffer(const JetUiPixels &a, const JetUiPixels &b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (size_t i = 0; i < a.rgb.size(); ++i) n += a.rgb[i] != b.rgb[i];
  return n;
}
