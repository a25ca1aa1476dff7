// gyx_winlist: prints the lines of the first list box of the top-level window
// with a given caption, one per line, then exits 0; exit 1 when no such window or
// list box exists, 2 for bad arguments.
//   gyx_winlist "Gyrantrix Test Utility" [last N lines]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

static BOOL CALLBACK FindListBox(HWND child, LPARAM out) {
  char cls[32] = {0};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "ListBox") != 0) return TRUE;
  *reinterpret_cast<HWND *>(out) = child;
  return FALSE;
}

int main(int argc, char **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: gyx_winlist CAPTION [LAST]\n");
    return 2;
  }
  HWND top = FindWindowA(nullptr, argv[1]);
  if (!top) {
    std::fprintf(stderr, "gyx_winlist: no window \"%s\"\n", argv[1]);
    return 1;
  }
  HWND list = nullptr;
  EnumChildWindows(top, FindListBox, reinterpret_cast<LPARAM>(&list));
  if (!list) {
    std::fprintf(stderr, "gyx_winlist: \"%s\" has no list box\n", argv[1]);
    return 1;
  }
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count == LB_ERR) return 1;
  LRESULT first = 0;
  if (argc == 3) {
    long last = std::strtol(argv[2], nullptr, 10);
    if (last > 0 && last < count) first = count - last;
  }
  for (LRESULT i = first; i < count; ++i) {
    // Wide: Wine hands an ANSI LB_GETTEXT of another process's list the wide
    // text unconverted.
    wchar_t wide[512];
    char line[1024];
    LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len == LB_ERR || len >= static_cast<LRESULT>(sizeof wide / sizeof wide[0])) continue;
    len = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    if (len == LB_ERR) continue;
    int n =
        WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(len), line, sizeof line - 1, nullptr, nullptr);
    line[n > 0 ? n : 0] = '\0';
    std::printf("%s\n", line);
  }
  return 0;
}
