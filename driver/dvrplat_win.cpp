/* dvrplat_win.cpp — the driver core's window-system services over Win32
 * (see dvrplat.h). */
#include <windows.h>
/* windows.h first: bcrypt.h needs its types. */
#include <bcrypt.h>

#include "device/inikeys.h"
#include "dvrplat.h"
#include "lib/gyrantrix.h"

static_assert(INI_VK_BACK == VK_BACK && INI_VK_TAB == VK_TAB && INI_VK_RETURN == VK_RETURN, "keys");
static_assert(INI_VK_SHIFT == VK_SHIFT && INI_VK_CONTROL == VK_CONTROL && INI_VK_MENU == VK_MENU, "keys");
static_assert(INI_VK_ESCAPE == VK_ESCAPE && INI_VK_SPACE == VK_SPACE && INI_VK_PRIOR == VK_PRIOR, "keys");
static_assert(INI_VK_NEXT == VK_NEXT && INI_VK_END == VK_END && INI_VK_HOME == VK_HOME, "keys");
static_assert(INI_VK_LEFT == VK_LEFT && INI_VK_UP == VK_UP && INI_VK_RIGHT == VK_RIGHT, "keys");
static_assert(INI_VK_DOWN == VK_DOWN && INI_VK_INSERT == VK_INSERT && INI_VK_DELETE == VK_DELETE, "keys");
static_assert(INI_VK_LWIN == VK_LWIN && INI_VK_F1 == VK_F1 && INI_VK_F1 + 23 == VK_F24, "keys");

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

int32_t DvrPlatSendKeys(const DvrKeyInput *keys, int32_t count) {
  enum { MAX_KEYS = 16 };
  if (!keys || count <= 0 || count > MAX_KEYS) return 0;
  INPUT in[MAX_KEYS] = {};
  for (int32_t i = 0; i < count; i++) {
    in[i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = keys[i].vk;
    in[i].ki.wScan = (WORD)MapVirtualKeyA(keys[i].vk, MAPVK_VK_TO_VSC);
    in[i].ki.dwFlags = keys[i].up ? KEYEVENTF_KEYUP : 0;
    /* The arrows and the editing block are extended keys: without the flag
     * they would arrive as the numeric keypad's. */
    if ((keys[i].vk >= VK_PRIOR && keys[i].vk <= VK_DOWN) || keys[i].vk == VK_INSERT ||
        keys[i].vk == VK_DELETE || keys[i].vk == VK_LWIN)
      in[i].ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  }
  UINT sent = SendInput((UINT)count, in, sizeof(INPUT));
  if (sent != (UINT)count) GiLogError(__FILE__, __LINE__, GI_FAILED);
  return (int32_t)sent;
}
