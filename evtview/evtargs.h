/* evtargs.h — the event test utility's command line: one optional argument
 * chooses the layout of the main dialog. Called by WinMain; portable. */
#ifndef GYX_EVTARGS_H
#define GYX_EVTARGS_H

/* The two layouts: A with the logo, B with the user-interface-mode boxes. */
enum { EV_LAYOUT_A = 0, EV_LAYOUT_B = 1 };

/* Layout B when the first argument that is not a switch (a switch begins
 * with "-" or "/") is exactly "Halvorin", letter case included; else A.
 * argv[0] is the program and is not looked at. */
int EvChooseLayout(int argc, const char *const *argv);

#endif
