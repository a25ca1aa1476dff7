/* jet_res.h — resource and control numbers of the jet demo, shared by jet.rc
 * and the code (plain #defines: the resource compiler reads this file too). */
#ifndef GYX_JET_RES_H
#define GYX_JET_RES_H

#define IDI_JET 128           /* the main window's class icon */
#define IDD_JET_SETTINGS 129  /* "Jet Gyrantrix Settings" */
#define IDB_JET_PICTURE 130   /* the picture on the settings dialog */
#define IDD_JET_DEVLIST 131   /* "Gyrantrix Device List" */
#define IDS_JET_DEVICE_LINE 1 /* "%s on port %s" */

/* Settings dialog controls. */
#define IDC_JET_TRANSLATION 601
#define IDC_JET_ROTATION 602
#define IDC_JET_SINGLE_AXIS 603
#define IDC_JET_KEEP_IN_VIEW 604
#define IDC_JET_NO_GRAB 605
#define IDC_JET_SENSITIVITY 606
#define IDC_JET_RESET_VIEW 607
#define IDC_JET_DEFAULTS 608
#define IDC_JET_EXCLUSIVE_GRAB 609
#define IDC_JET_REZERO 610
#define IDC_JET_DEFAULT_GRAB 611
#define IDC_JET_QUIT 1001
#define IDC_JET_SNAP_TO_GRID 1003
#define IDC_JET_HELP 9
#define IDC_JET_LESS 612 /* the labels "Less" and "More" and the group boxes */
#define IDC_JET_MORE 613
#define IDC_JET_SENS_GROUP 614
#define IDC_JET_PICTURE 615

/* Device list dialog controls. */
#define IDC_JET_DEVICES 1004
#define IDC_JET_SELECT_TEXT 1005

#endif
