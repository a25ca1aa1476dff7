/* dvrplat_win.cpp — the driver core's window-system services over Win32
 * (see dvrplat.h). */
#include <windows.h>
/* windows.h first: bcrypt.h needs its types. */
#include <bcrypt.h>

#include "dvrplat.h"
#include "lib/gyrantrix.h"

void *DvrPlatForegroundWindow(void) {
  return GetForegroundWindow();
}

uint32_t DvrPlatWindowProcess(void *window) {
  DWORD pid = 0;
  if (window && GetWindowThreadProcessId((HWND)window, &pid) == 0) pid = 0;
  return pid;
}

int DvrPlatWindowAlive(void *window) {
  return window && IsWindow((HWND)window) ? 1 : 0;
}

/* Only if the system generator fails: a mix of what differs between calls
 * and runs, so values stay distinct, though no longer secret. */
static uint32_t Fallback(void) {
  static uint64_t state;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  state += 0x9E3779B97F4A7C15ull ^ (uint64_t)now.QuadPart ^ ((uint64_t)GetCurrentProcessId() << 32);
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return (uint32_t)(z ^ (z >> 31));
}

uint32_t DvrPlatRandom32(void) {
  uint32_t v = 0;
  NTSTATUS rc = BCryptGenRandom(NULL, (PUCHAR)&v, sizeof v, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (rc < 0) {
    static int logged;
    if (!logged) GiLogError(__FILE__, __LINE__, GI_FAILED);
    logged = 1;
    return Fallback();
  }
  return v;
}
