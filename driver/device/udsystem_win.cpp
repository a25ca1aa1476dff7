/* udsystem_win.cpp — the Win32 set of operating-system services for the
 * device layer: COM ports, Sleep, the profile functions and GiLogError.
 * The driver installs it (UdUseSystem) before it loads the device table. */
#include <windows.h>

#include "iniparse.h"
#include "lib/gyrantrix.h"
#include "udcomwin.h"
#include "udsystem.h"

static void WinSleep(int32_t ms) {
  Sleep((DWORD)(ms < 0 ? 0 : ms));
}

static const UdSystem kWin32System = {
    .comOpen = UdComWinOpen,
    .comClose = UdComWinClose,
    .comRead = UdComWinRead,
    .comWrite = UdComWinWrite,
    .sleep = WinSleep,
    .profileString = IniWinString,
    .profileSection = IniWinSection,
    .profileInt = IniWinInt,
    .log = GiLogError,
};

const UdSystem *UdWin32System(void) {
  return &kWin32System;
}
