/* gyxextrn.h — process-wide state of the driver program, one thread, no locks. */
#ifndef GYX_GYXEXTRN_H
#define GYX_GYXEXTRN_H

/* The main loop ends after the iteration in which this becomes 1. */
extern int gDvrQuit;

#endif
