/* uidlg.h — the settings window's behaviour, without the window: which device
 * it shows, what its controls say, which control groups are enabled, when it
 * comes up or goes away, and what each command does to the device records.
 * The Win32 side (ui_win.cpp) owns the dialog, hands every message here and
 * lets this file act on the window only through the view table below. */
#ifndef GYX_UIDLG_H
#define GYX_UIDLG_H

#include <stddef.h>
#include <stdint.h>

#include "device/uddev.h"
#include "gyxsrv_res.h"

struct DvrHandle;

enum {
  UI_SCROLL_MIN = 0,    /* scale 0.0625 */
  UI_SCROLL_MIDDLE = 4, /* scale 1.0 */
  UI_SCROLL_MAX = 8,    /* scale 16 */
  UI_NUM_BUTTON_CONTROLS = UD_NUM_LABELS
};

/* Scroll codes of a horizontal scroll bar, numbered as the system numbers
 * them (ui_win.cpp pins the two numberings together). */
enum {
  UI_SB_LINELEFT = 0,
  UI_SB_LINERIGHT = 1,
  UI_SB_PAGELEFT = 2,
  UI_SB_PAGERIGHT = 3,
  UI_SB_THUMBPOSITION = 4
};

/* The window as the logic sees it. Every entry is filled; ctx is passed back
 * unchanged. A control the window lacks is skipped by the view. */
typedef struct UiView {
  void (*setText)(void *ctx, int32_t id, const char *text);
  void (*setCheck)(void *ctx, int32_t id, int32_t checked);
  /* 1 when the check box is checked. */
  int32_t (*getCheck)(void *ctx, int32_t id);
  void (*enable)(void *ctx, int32_t id, int32_t enabled);
  void (*setScrollRange)(void *ctx, int32_t id, int32_t min, int32_t max);
  /* redraw 0 moves the thumb without painting it. */
  void (*setScrollPos)(void *ctx, int32_t id, int32_t pos, int32_t redraw);
  int32_t (*getScrollPos)(void *ctx, int32_t id);
  /* Restore the window above the others (above every window when topmost)
   * without moving it; with topmost, the window that was in front gets the
   * foreground back so that the application keeps the keyboard. */
  void (*bringUp)(void *ctx, int32_t topmost);
  /* Bottom of the z-order, then minimised. */
  void (*putAway)(void *ctx);
  void (*setTopmost)(void *ctx, int32_t topmost);
  void (*sendToBottom)(void *ctx);
  /* Opens the help page beside the program. */
  void (*openHelp)(void *ctx);
  /* The device's focus handle as the request service finds it, or null. */
  struct DvrHandle *(*findFocus)(void *ctx, int32_t device);
  /* The delivery policy of the request service: 0, or negative when lost. */
  int32_t (*deliver)(void *ctx, struct DvrHandle *h, const GiEvent *ev);
} UiView;

/* One button control and the label it shows. */
typedef struct UiLabel {
  int32_t id;
  char text[UD_LABEL_SIZE];
} UiLabel;

/* The window's state: one per driver, one thread. */
typedef struct UiDlg {
  const UiView *view;
  void *ctx;
  int32_t panelShown;  /* the window is up */
  int32_t panelHidden; /* put away by the user or at start: it never comes up on its own */
  int32_t stayOnTop;
  int32_t device;                         /* the device shown, -1 before the first */
  int32_t pending;                        /* the device to show at the next catch-up, or -1 */
  const struct DvrHandle *handle;         /* the focus handle last noted */
  uint32_t uiMode;                        /* 0 before the first update */
  UiLabel labels[UI_NUM_BUTTON_CONTROLS]; /* what each button control shows */
} UiDlg;

/* The eleven button controls in label order: button1..button9, left, right. */
extern const int32_t kUiButtonControls[UI_NUM_BUTTON_CONTROLS];

/* The scale of scroll position pos: 2^(pos-4). */
float UiPositionScale(int32_t pos);
/* The scroll position that shows scale: a scale between two steps shows on
 * the step farther from 1.0 (0.7 on 0.5, 1.5 on 2); 0 and 8 at the ends. */
int32_t UiScalePosition(float scale);

/* The help page's path: modulePath with everything from its last backslash
 * replaced by "\gyxsrv.html". 0, or -1 when it does not fit (out is then ""). */
int32_t UiHelpPath(const char *modulePath, char *out, size_t size);

/* Beep "cC", then rezero; failures are the device layer's to log. */
void UiRezeroDevice(UdDevice *dev);

/* The state of a fresh window over the configured devices: every device's
 * settings to their defaults, device 0 shown, no handle, UI mode -1, and the
 * window put away. */
void UiDlgInit(UiDlg *d, const UiView *view, void *ctx);

/* Stores the shown settings into the current device's record and shows
 * device index; nothing when it is already shown or not configured. */
void UiDlgShowDevice(UiDlg *d, int32_t index);
/* The device that woke the driver or has the focus. While the window is up it
 * is shown at once; while it is away nobody sees its controls, so showing it
 * waits for UiDlgCatchUp or for the window coming up: at full line rate the
 * devices take turns hundreds of times a second, and every switch redraws a
 * dozen controls. Commands and the scroll bar act on the device the window
 * shows (the one whose settings the user clicked), never on one still
 * waiting to be shown. */
void UiDlgFollowDevice(UiDlg *d, int32_t index);
/* Shows the device that UiDlgFollowDevice left waiting, if any. */
void UiDlgCatchUp(UiDlg *d);
void UiDlgNoteHandle(UiDlg *d, const struct DvrHandle *h);
/* Enables the control groups of mode's bits; brings the window up or puts it
 * away as the mode and the user's choices say. */
void UiDlgApplyMode(UiDlg *d, uint32_t mode);
/* The menu button: up when it is away, else away. */
void UiDlgToggle(UiDlg *d);

/* A control's command: 1 when id is one of the window's commands. */
int32_t UiDlgCommand(UiDlg *d, int32_t id);
/* The sensitivity scroll bar; pos is the thumb's position for
 * UI_SB_THUMBPOSITION. */
void UiDlgScroll(UiDlg *d, int32_t code, int32_t pos);
/* A press and a release of button bit k, straight to the focus handle. */
void UiDlgSendButton(UiDlg *d, int32_t bit);
/* The user restores the window from its icon. */
void UiDlgRestored(UiDlg *d);
/* The user minimises the window. */
void UiDlgMinimizing(UiDlg *d);

#endif
