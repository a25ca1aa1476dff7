// msgbox_main_win.cpp: command line of gyx_msgbox.exe, a console program:
//   gyx_msgbox.exe <caption> [--press ok|yes|no|cancel|<id>] [--timeout <ms>]
// Waits (default 5000 ms) for a visible message box with that caption, prints
// its text on stdout, then presses the button if asked. Exit codes: 0 found
// (and pressed), 1 not found, 2 bad usage or the press failed.
#include "gyxmsgbox.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: gyx_msgbox.exe <caption> [--press ok|yes|no|cancel|<id>] [--timeout <ms>]\n"
               "  prints the text of the visible message box with that caption;\n"
               "  exit 0 found (and pressed), 1 not found, 2 bad usage or press failed\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  const char *caption = nullptr;
  int button = 0;
  unsigned long timeoutMs = 5000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--press") == 0 && i + 1 < argc) {
      button = GyxButtonId(argv[++i]);
      if (button == 0) return Usage();
    } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      char *end = nullptr;
      timeoutMs = std::strtoul(argv[++i], &end, 10);
      if (*end != '\0' || end == argv[i]) return Usage();
    } else if (!caption && std::strncmp(argv[i], "--", 2) != 0) {
      caption = argv[i];
    } else {
      return Usage();
    }
  }
  if (!caption) return Usage();
  // Plain "\n" line ends for the shell scripts that read the text.
  _setmode(_fileno(stdout), _O_BINARY);

  HWND box = GyxWaitMessageBox(caption, timeoutMs);
  if (!box) {
    std::fprintf(stderr, "gyx_msgbox: no message box \"%s\" within %lu ms\n", caption, timeoutMs);
    return 1;
  }
  std::printf("%s\n", GyxMessageBoxText(box).c_str());
  std::fflush(stdout);
  if (button != 0 && !GyxPressButton(box, button, timeoutMs > 1000 ? timeoutMs : 1000)) {
    std::fprintf(stderr, "gyx_msgbox: pressing button %d of \"%s\" failed\n", button, caption);
    return 2;
  }
  return 0;
}
