/* gyxsrv_res.h — resource ids of the driver: the string of message box n is id n. */
#ifndef GYXSRV_RES_H
#define GYXSRV_RES_H

#define IDS_SHUTDOWN_OK 1
#define IDS_NOT_RUNNING 2
#define IDS_APPS_ATTACHED 3
#define IDS_SHUTDOWN_ERROR 4
#define IDS_ALREADY_RUNNING 5
#define IDS_NO_TRANSPORT 6
#define IDS_NO_INIT 7
#define IDS_NO_DEVICE 8
#define IDS_UNEXPECTED_DEVICE 9
#define IDS_BAD_PORT 10

#define IDI_GYXSRV 100

#endif
