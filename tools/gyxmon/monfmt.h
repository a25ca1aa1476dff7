/* monfmt.h — what the console event monitor prints and how it is told what
 * to do: one event as the event test utility words it, and the command line.
 * Called by gyxmon_main_win.cpp; portable. */
#ifndef GYX_MONFMT_H
#define GYX_MONFMT_H

#include <stddef.h>
#include <stdint.h>

#include "lib/gyrantrix.h"

#define MON_LINE_SIZE 256

/* The lines of one event of device N: a combo event gives its button line,
 * then its motion line; every other event one line. single: the motion line
 * names only the dominant axis. Returns the number of lines (1 or 2). */
int MonFormatEvent(const GiEvent *event, int32_t device, int single, char lines[2][MON_LINE_SIZE]);

/* Index of the dominant axis (0 tx .. 5 rz): the largest magnitude, the
 * earlier axis on ties. */
int MonDominantAxis(const GiEvent *event);

typedef struct MonOptions {
  long count;   /* stop after this many events; 0 = no limit */
  long seconds; /* stop after this many seconds; 0 = no limit */
  int single;   /* dominant axis only */
  int fixed;    /* GI_FIXED_PERIOD: motion per 50 ms instead of weighted by time */
  int help;
} MonOptions;

/* 0 with *opt filled; -1 with a message in err for a bad command line. */
int MonParseArgs(int argc, const char *const *argv, MonOptions *opt, char *err, size_t errSize);

extern const char MON_USAGE[];

#endif
