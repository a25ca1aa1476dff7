/* iniparse_win.cpp — the Win32 profile functions (GetPrivateProfile…A) behind
 * the configuration parser; a bare file name lies in the Windows directory.
 * Installed through UdWin32System. */
#include <windows.h>

#include "iniparse.h"

int32_t IniWinString(const char *section, const char *key, const char *def, char *buf, int32_t size,
                     const char *file) {
  if (buf == NULL || size < 1) return 0;
  return (int32_t)GetPrivateProfileStringA(section, key, def, buf, (DWORD)size, file);
}

int32_t IniWinSection(const char *section, char *buf, int32_t size, const char *file) {
  if (buf == NULL || size < 2) return 0;
  return (int32_t)GetPrivateProfileSectionA(section, buf, (DWORD)size, file);
}

int32_t IniWinInt(const char *section, const char *key, int32_t def, const char *file) {
  return (int32_t)GetPrivateProfileIntA(section, key, def, file);
}
