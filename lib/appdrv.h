/* appdrv.h — attaching to the driver, starting "gyxsrv.exe" from the home
 * directory when none runs and waiting for it. Called by GiInitialize. */
#ifndef GYX_APPDRV_H
#define GYX_APPDRV_H

#include <stdint.h>

#define APPDRV_PROGRAM "gyxsrv.exe"
#define APPDRV_FIRST_WAIT 5000 /* ms before the first new attempt */
#define APPDRV_RETRY_WAIT 1500 /* ms before each attempt */
#define APPDRV_RETRIES 10

/* 0 when attached; else the library code (logged): 8 when no driver could
 * be found or started, 1 for any other failure. */
int32_t AppConnect(void);

#endif
