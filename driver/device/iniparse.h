/* iniparse.h — reading the configuration ("gyrantx.ini" and the per-port
 * application files) into device records. Called once by UdLoadDevices; the
 * profile functions come from the installed system (udsystem.h). */
#ifndef GYX_INIPARSE_H
#define GYX_INIPARSE_H

#include <stdint.h>

#include "uddev.h"

#define INI_DEFAULT_HOME "\\Program Files\\Halvorin\\Gyrantrix\\Win32"
#define INI_DEFAULT_VERSION "8.0"
#define INI_DEFAULT_APPNAME "Gyrantrix"
#define INI_DEFAULT_MENU_BUTTON 30

/* Fills up to count records from file: every record gets "homedir" and
 * "version"; the configured ports among "COM1:" … "COM4:" (as many ports as
 * there are records) fill the first records in port order, the records left
 * over are marked empty (type -1). Returns the number of configured devices,
 * UD_NO_DEVICE when a configured port names no known model, UD_BAD_ARGUMENT
 * for null records, a negative count or no installed system. */
int32_t IniParse(UdDevice *devs, int32_t count, const char *file);

/* The Win32 profile functions behind the system set (iniparse_win.cpp). */
int32_t IniWinString(const char *section, const char *key, const char *def, char *buf, int32_t size,
                     const char *file);
int32_t IniWinSection(const char *section, char *buf, int32_t size, const char *file);
int32_t IniWinInt(const char *section, const char *key, int32_t def, const char *file);

#endif
