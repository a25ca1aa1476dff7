/* apptrans.cpp — one message for one handle: recognise it, read its record
 * out of the handle's event queue, resynchronise a queue that is out of step
 * with the messages, and notice the driver's end (see apptrans.h). */
#include "apptrans.h"

#include "appgi.h"
#include "appmmap.h"
#include "evmath.h"
#include "reqcodes.h"
#include "seqnum.h"

void AppDriverLost(void) {
  gGiDriverLoss = GI_LOSS_TEARING_DOWN;
  GiTerminate();
  gGiDriverLoss = GI_LOSS_DONE;
}

/* Empties the queue in the driver and remembers the number of its reset
 * notice: every message up to it names a record the reset has thrown away.
 * Whatever the request meets, the message is skipped: a failed reset, even
 * one that finds the driver gone, changes no library state. The library ends
 * only on the driver's farewell or on a read that finds the driver gone;
 * meanwhile every request-based call already says GI_NO_DRIVER. */
static int ResetQueue(GiHandle h) {
  uint8_t arg[4], reply[WIRE_RESET_REPLY];
  WirePut32(arg, h->driverHandle);
  if (AppRequestReply(REQ_RESET_QUEUE, arg, sizeof arg, reply, sizeof reply) == GI_NO_ERROR) {
    uint16_t seq = WireGet16(reply + WIRE_RESET_SEQUENCE);
    if (seq != 0) h->lastSeq = seq;
  }
  return APPTRANS_SKIP;
}

int AppTranslate(GiHandle h, const GiGetEventData *data, GiEvent *event) {
  QueueLink *queue = GiQueue(h);
  if (!queue || data->message != h->message || (int32_t)(data->wParam & 0xFFu) != queue->slot)
    return APPTRANS_SKIP;
  const uint32_t kind = AppNoticeKind(data);
  if (kind == NOTICE_QUEUE_RESET) return APPTRANS_SKIP;
  if (kind == NOTICE_DRIVER_EXIT) {
    AppDriverLost();
    return APPTRANS_GONE;
  }
  const uint16_t seq = AppNoticeSeq(data);
  /* A notice for a record already read (the driver repeats the last number
   * when a ring is full) or thrown away by a reset: nothing to read. Reading
   * would find the ring empty and reset it again, losing what came since. */
  if (h->lastSeq != 0 && !SeqNewer(h->lastSeq, seq)) return APPTRANS_SKIP;
  int rc = AppMmapReadEvent(queue, seq, event, GI_EVENT_FULL_SIZE);
  if (rc == 0) {
    h->lastSeq = seq;
    /* Any process can write the ring: its numbers are bounded before the
     * folding and the time step do arithmetic with them. */
    if (event->type == GI_MOTION_EVENT || event->type == GI_COMBO_EVENT || event->type == GI_ZERO_EVENT)
      EvBoundMotion(event);
    return APPTRANS_EVENT;
  }
  if (rc == TRANS_NO_DRIVER) {
    AppDriverLost();
    return APPTRANS_GONE;
  }
  if (rc == TRANS_INCOMPLETE) return ResetQueue(h);
  return APPTRANS_SKIP; /* already read past: a stale message */
}
