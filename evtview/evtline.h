/* evtline.h — what the event test utility shows for an event: the lines of
 * one event (a combo event gives two), the dominant axis of the Single view,
 * and the rule that keeps the event list short. Called by the main dialog;
 * portable, unit-tested natively. */
#ifndef GYX_EVTLINE_H
#define GYX_EVTLINE_H

#include <stdint.h>

#include "evtstr.h"
#include "lib/gyrantrix.h"

#define EV_LINE_SIZE 512 /* room for the longest line any table text can make */

/* The axis choice of the main dialog. */
enum { EV_AXIS_SINGLE = 0, EV_AXIS_MULTIPLE = 1 };

/* The list keeps this many lines: before a line is added to a list that
 * holds more than EV_LIST_KEEP - 1, its first line goes. */
#define EV_LIST_KEEP 51

/* Index 0..5 (tx, ty, tz, rx, ry, rz) of the axis with the largest absolute
 * value; on a tie the earlier axis. */
int EvDominantAxis(const GiEvent *event);

/* The lines of one event of device n: types 1 and 3 their button line;
 * types 2, 3 and 4 their motion line (after the button line for 3), all six
 * axes with EV_AXIS_MULTIPLE, the dominant one with EV_AXIS_SINGLE; type 5
 * its text; any other type "Unknown Data". Returns the number of lines. */
int EvEventLines(const EvStrings *s, const GiEvent *event, int32_t n, int axis, char lines[2][EV_LINE_SIZE]);

/* 1 when a list holding count lines must lose its first line before the
 * next one is added. */
int EvListMustDropFirst(int count);

#endif
