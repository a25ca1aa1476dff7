/* ctltrans.h — the driver's "-shutdown" mode: a client run that asks the
 * running driver to quit and reports the outcome. */
#ifndef GYX_CTLTRANS_H
#define GYX_CTLTRANS_H

/* Runs shutdown mode; returns the process exit code (0 to 3). */
int CtlShutdown(int quiet, int force);

#endif
