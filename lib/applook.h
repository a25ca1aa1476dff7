/* applook.h — a handle's notices in its window's message queue. Handles of
 * one device in one window share the message number, and Win32 shows only the
 * first such message; to reach a handle's notice behind another handle's, the
 * other's is taken off the queue and kept aside in its own handle record,
 * with a stand-in posted behind so that the application's loop still comes
 * back for it. Called by GiGetEvent (gtevent.cpp). */
#ifndef GYX_APPLOOK_H
#define GYX_APPLOOK_H

#include "gistate.h"

/* wParam bits 8..31 of a stand-in; the driver's notices carry 0 there, and
 * every receiver reads only the low byte (the slot). */
#define APP_STANDIN_MARK 0x5A470000u

/* The handle's next notice: the oldest one kept aside, else the first of its
 * slot in the window's queue, looking past other handles' notices (which go
 * aside for their own handles). 1 with *out filled, and the notice taken when
 * remove is set; 0 when the handle has none. */
int AppLookNext(GiHandle h, int remove, GiGetEventData *out);

/* AppLookNext with remove set, in one queue call where that is safe: when h
 * is the only open handle with its window and message number and has
 * nothing aside, the first such message can only be its own notice, so it
 * is taken without looking first (anything else there, a stand-in or a
 * notice of a handle closed since, has no reader and is dropped). */
int AppLookTakeNext(GiHandle h, GiGetEventData *out);

/* Puts a notice just taken by AppLookTakeNext back in front of the handle's
 * others: kept aside with a stand-in posted, as a look would have kept it. */
void AppLookPutBack(GiHandle h, const GiGetEventData *notice);

/* The message-driven form, for a message of h (GiFindEventHandle said so).
 * Notices kept aside are older than any still queued, so the oldest of them
 * is translated first and the message takes its place at the end. 1 with
 * *use the notice to translate; 0 for a stand-in with nothing left to stand
 * for (a skip). */
int AppLookTake(GiHandle h, const GiGetEventData *data, GiGetEventData *use);

#endif
