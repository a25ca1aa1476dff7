/* evtplat.h — the Win32 layer of the event test utility as the rest of it
 * sees it: the string table, message boxes and the three dialogs. Window and
 * instance handles travel as void *; only the *_win.cpp files include
 * <windows.h>. */
#ifndef GYX_EVTPLAT_H
#define GYX_EVTPLAT_H

#include "evtstate.h"

/* Offers every text of the program's string table to st->strings
 * (evtstr_win.cpp). */
void EvLoadStrings(EvStrings *s, void *instance);

/* An error box: text id formatted with the arguments its text asks for, the
 * caption of string 102, the error icon, owned by st->mainWindow when there
 * is one (evtbox_win.cpp). */
void EvErrorBox(const EvState *st, int id, ...);

/* Creates the main dialog in st->layout and runs it until it ends, offering
 * every message to the input library first (evtmain_win.cpp). 0 when the
 * dialog ran; -1 when it could not be created. */
int EvRunMainDialog(EvState *st, void *instance);

/* The device-information dialog over st's handle slots, modal to owner
 * (evtinfo_win.cpp). */
void EvRunDeviceInfo(EvState *st, void *owner);

/* The About dialog, modal to owner (evtabout_win.cpp). */
void EvRunAbout(void *owner);

#endif
