/* inihomed.h — the installation directory as "gyrantx.ini" names it.
 * Called by the diagnostic log (of the driver and of every application) and
 * by the library when it starts the driver; implemented over the Win32
 * profile functions (inihomed_win.cpp). */
#ifndef GYX_INIHOMED_H
#define GYX_INIHOMED_H

#ifdef __cplusplus
extern "C" {
#endif

/* The value of key "homedirectory" in section "gyrantrix" of `file` (a bare
 * name lies in the Windows directory), or "\Program Files\Halvorin\Gyrantrix\Win32"
 * when the file or the key is missing. The text is cut to size - 1 characters
 * and NUL-terminated. Returns the number of characters placed in buf; 0 when
 * buf is null or size < 1 (nothing is written then). */
int IniHomeDir(char *buf, int size, const char *file);

#ifdef __cplusplus
}
#endif

#endif
