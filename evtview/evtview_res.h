/* evtview_res.h — resource ids of the event test utility, and the texts of
 * its string table. The texts are here once: evtview.rc builds the string
 * table from them, and the portable code keeps them as the fallback for a
 * table entry that is missing or asks for other arguments (evtstr.h). */
#ifndef GYX_EVTVIEW_RES_H
#define GYX_EVTVIEW_RES_H

/* Pictures. */
#define IDR_MAINFRAME 128 /* the program icon */
#define IDB_LOGO 131
#define IDB_DEVICE 134

/* Dialogs. */
#define IDD_ABOUTBOX 100
#define IDD_MAIN_A 102
#define IDD_MAIN_B 103
#define IDD_DEVINFO 104

/* System-menu command of the About item. */
#define IDM_ABOUTBOX 16

/* Main dialog controls (both layouts). */
#define IDC_EXIT 1
#define IDC_PAUSE 1001
#define IDC_LIST 1002
#define IDC_SINGLE 1003
#define IDC_MULTIPLE 1004
#define IDC_RESUME 1005
#define IDC_CLEAR 1007
#define IDC_DEVINFO 1010
#define IDC_DRV_VERSION 1013
#define IDC_DRV_DATE 1014
#define IDC_ALL_CONTROLS 1015
#define IDC_NO_CONTROLS 1016
#define IDC_FILTERS 1017
#define IDC_FUNCTIONS 1018
#define IDC_RESETS 1019
#define IDC_SENSITIVITY 1020
#define IDC_DIALOG_POPUP 1021

/* Device-information dialog controls. */
#define IDC_INFO_CLOSE 1
#define IDC_INFO_LIST 1008
#define IDC_INFO_TYPE 1009
#define IDC_INFO_NAME 1010
#define IDC_INFO_FIRMWARE 1011
#define IDC_INFO_BUTTONS 1012
#define IDC_INFO_DEGREES 1013
#define IDC_INFO_BEEP 1014

/* String table. */
#define IDS_FIRST 101
#define IDS_ABOUTBOX 101
#define IDS_TITLE 102
#define IDS_NO_INIT 103
#define IDS_NO_DRIVER 104
#define IDS_BUTTON_EVENT 105
#define IDS_COMBO_BUTTONS 106
#define IDS_MOTION_SINGLE 107
#define IDS_COMBO_SINGLE 108
#define IDS_MOTION_MULTIPLE 109
#define IDS_COMBO_MULTIPLE 110
#define IDS_EXCEPTION 111
#define IDS_UNKNOWN 112
#define IDS_AXIS_TX 113 /* ty .. rz follow: 114 .. 118 */
#define IDS_YES 119
#define IDS_NO 120
#define IDS_OPEN_PORT 121
#define IDS_OPEN_INDEX 122
#define IDS_DRIVER_INFO 123
#define IDS_GET_EVENT 124
#define IDS_DEVICE_PORT 125
#define IDS_DEVICE_INFO 126
#define IDS_DEVICE_ENTRY 127
#define IDS_DRIVER_VERSION 128
#define IDS_LAST 128

#define EVS_ABOUTBOX "&About Gyrantrix..."
#define EVS_TITLE "Gyrantrix Test Utility"
#define EVS_NO_INIT "Can't initialize Gyrantrix."
#define EVS_NO_DRIVER "No Gyrantrix driver running."
#define EVS_BUTTON_EVENT " %d) Button Event -> lst = %08lx, cur = %08lx, prs = %08lx, rel = %08lx"
#define EVS_COMBO_BUTTONS " %d) Combo Event -> lst = %08lx, cur = %08lx, prs = %08lx, rel = %08lx"
#define EVS_MOTION_SINGLE " %d) Motion Event -> dominant direction %s = %ld, per = %d"
#define EVS_COMBO_SINGLE " %d) Combo Event -> dominant direction %s = %ld, per = %ld"
#define EVS_MOTION_MULTIPLE \
  " %d) Motion Event -> tx = %ld, ty = %ld, tz = %ld, rx = %ld, ry = %ld, rz = %ld, per = %ld"
#define EVS_COMBO_MULTIPLE \
  " %d) Combo Event -> tx = %ld, ty = %ld, tz = %ld, rx = %ld, ry = %ld, rz = %ld, per = %ld"
#define EVS_EXCEPTION " %d) Exception Event -> %s"
#define EVS_UNKNOWN " %d) Unknown Data"
#define EVS_AXIS_TX "tx"
#define EVS_AXIS_TY "ty"
#define EVS_AXIS_TZ "tz"
#define EVS_AXIS_RX "rx"
#define EVS_AXIS_RY "ry"
#define EVS_AXIS_RZ "rz"
#define EVS_YES "Yes"
#define EVS_NO "No"
#define EVS_OPEN_PORT "Can't open device -- type: %s, port: %s.   (%s)"
#define EVS_OPEN_INDEX "Can't open device -- index: %d.   (%s)"
#define EVS_DRIVER_INFO "Can't get driver info.   (%s)"
#define EVS_GET_EVENT "Error getting event.  (%s)"
#define EVS_DEVICE_PORT "Can't get device port info.  (%s)"
#define EVS_DEVICE_INFO "Can't get device info.  (%s)"
#define EVS_DEVICE_ENTRY "Device %d on port %s"
#define EVS_DRIVER_VERSION "%s  (Build %d)"

#endif
