/* evtmode.h — the user-interface-mode boxes of layout B: the mode word each
 * click makes, and which boxes read checked for a word. The dialog sends the
 * word to the driver (GiSetUiMode) and shows the boxes as these functions
 * say. Portable, unit-tested natively. */
#ifndef GYX_EVTMODE_H
#define GYX_EVTMODE_H

#include <stdint.h>

/* The word after the user clicked box id (IDC_ALL_CONTROLS .. IDC_DIALOG_POPUP)
 * when the word was mode; checked is the box's state after the click (what
 * an automatic box shows; ignored for "All controls" and "No controls",
 * which set -1 and 0). An id that is no mode box leaves the word. */
int32_t EvModeAfterClick(int32_t mode, int id, int checked);

/* 1 when box id reads checked for the word: "All controls" exactly for -1,
 * "No controls" exactly for 0, each function box when its bit is set. */
int EvModeBoxChecked(int32_t mode, int id);

/* The mode boxes in the order of their ids, and their number. */
extern const int kEvModeBoxes[];
#define EV_MODE_BOX_COUNT 7

#endif
