/* uichild_res.h — resource ids of the UI helpers' test program. */
#ifndef GYX_UICHILD_RES_H
#define GYX_UICHILD_RES_H

#define IDD_UICHILD 100
#define IDC_LIST 100
#define IDC_ADD 101
#define IDC_BOX 102
#define IDC_AUTO 103
#define IDC_MANUAL 104
#define IDC_LAST 105
#define IDC_HIDDEN 106
#define IDM_HELLO 16

#endif
