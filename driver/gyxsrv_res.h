/* gyxsrv_res.h — resource ids of the driver: the string of message box n is
 * id n; the settings window's template, pictures and control ids. Plain
 * defines, read by the resource compiler and by portable code alike. */
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

/* The settings window. */
#define IDD_SETTINGS 101
#define IDB_SETTINGS 103 /* the picture beside the sensitivity group */
#define IDI_GYXSRV 105

#define IDC_HIDE 1000
#define IDC_HELP_PAGE 1001
#define IDC_TRANSLATION 1002
#define IDC_ROTATION 1003
#define IDC_SINGLE_AXIS 1004
#define IDC_SENSITIVITY 1007
#define IDC_DEFAULTS 1008
#define IDC_REZERO 1009
#define IDC_BUTTON1 1012
#define IDC_BUTTON2 1013
#define IDC_BUTTON3 1014
#define IDC_BUTTON4 1015
#define IDC_APPLICATION 1016
#define IDC_DEVICE 1017
#define IDC_STAY_ON_TOP 1018
#define IDC_BUTTON5 1019
#define IDC_BUTTON6 1021
#define IDC_BUTTON7 1022
#define IDC_BUTTON8 1023
#define IDC_BUTTON9 1024
#define IDC_LEFT 1025
#define IDC_RIGHT 1026
#define IDC_AXES 1030 /* opens the Axes dialog */

/* The Axes dialog: one row per axis, tx … rz, each control id plus the
 * axis's index. */
#define IDD_AXES 110
#define IDC_AXES_DEVICE 1031
#define IDC_AXIS_SCALE 1040
#define IDC_AXIS_INVERT 1050
#define IDC_AXIS_DEAD_ZONE 1060
#define IDC_AXIS_FROM 1070

#endif
