/* inihomed_win.cpp — IniHomeDir over GetPrivateProfileStringA. Part of the
 * input library: its diagnostic log and its driver start read it. */
#include <windows.h>

#include "inihomed.h"

int IniHomeDir(char *buf, int size, const char *file) {
  if (buf == NULL || size < 1) return 0;
  return (int)GetPrivateProfileStringA("gyrantrix", "homedirectory",
                                       "\\Program Files\\Halvorin\\Gyrantrix\\Win32", buf, (DWORD)size, file);
}
