/* dvrkeys.h — buttons as keystrokes: while no library client is in front,
 * a button with a key in the configuration goes to the window in front as
 * that key's press and release instead of as a button event. Called by the
 * routing of each event (dvrroute.cpp); the keys go out through dvrplat.h. */
#ifndef GYX_DVRKEYS_H
#define GYX_DVRKEYS_H

#include <stdint.h>

#include "device/uddev.h"
#include "dvrhandle.h"
#include "dvrplat.h"

enum { DVR_KEY_INPUTS = 5 }; /* four modifiers and the key */

/* 1 when the device's mapped buttons become keystrokes: the window in front
 * belongs to no process with a handle on the device that would receive them
 * (focus is null, or only the background slot receives), no application has
 * grabbed the device, and the window in front is not the driver's own.
 * frontProcess is the process of the window in front (0: none). */
int DvrKeysWanted(const UdDevice *dev, const DvrHandle *focus, uint32_t frontProcess, int settingsInFront);

/* The inputs of key going down (modifiers first, then the key) or coming up
 * (the key first, then the modifiers in reverse): their count, 0 for none. */
int32_t DvrKeyInputs(const UdKey *key, int up, DvrKeyInput out[DVR_KEY_INPUTS]);

/* Takes the mapped buttons out of a button or combined event: a press
 * becomes the key's press when wanted; the release of a button whose key is
 * down becomes the key's release whether wanted or not, so no key is left
 * held. Returns 0 when nothing of the event is left to deliver (a combined
 * event with motion left becomes a motion event), else 1. */
int DvrKeysTake(UdDevice *dev, GiEvent *ev, int wanted);

#endif
