/* boxes.h — the driver's message boxes: caption "gyxsrv", texts from the
 * string table. */
#ifndef GYX_BOXES_H
#define GYX_BOXES_H

/* Results of DrvBox beside the button pressed (IDOK, IDYES, IDNO). */
#define BOX_NOT_SHOWN 0    /* quiet */
#define BOX_NO_STRING (-1) /* the text could not be loaded */

/* Shows box `id` (its arguments fill the %s of its text) unless quiet. */
int DrvBox(int id, int quiet, const char *arg1, const char *arg2);

#endif
