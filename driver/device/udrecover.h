/* udrecover.h — a device whose port fails and comes back: when to declare it
 * lost, when to try it again and how the tries back off (UdHealth), and the
 * steps over the device layer that close it and open it again (UdRecover…).
 * Called by the driver's main loop; the clock is the caller's. */
#ifndef GYX_UDRECOVER_H
#define GYX_UDRECOVER_H

#include <stdint.h>

#include "uddev.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  UD_HEALTH_SERVING = 0, /* open; its input is read */
  UD_HEALTH_LOST = 1,    /* its port failed: closed, tried again from time to time */

  /* A controller at rest sends nothing, so silence proves nothing: only the
   * port failing does. One failed read can be a hiccup; a failure that is
   * still there when the input is next armed or read is not. */
  UD_LOST_AFTER_FAILURES = 2,
  UD_RETRY_FIRST_MS = 250, /* the first try after the loss */
  UD_RETRY_MAX_MS = 2000,  /* tries never lie further apart */
  /* A try that finds a port but no answer costs one identification attempt
   * (five reads 100 ms apart) of the driver's one thread, not the seven of
   * the start-up. */
  UD_RETRY_IDENT_ATTEMPTS = 1
};

typedef struct UdHealth {
  int32_t state;       /* UD_HEALTH_… */
  int32_t failures;    /* port failures in a row while serving */
  int64_t lostAt;      /* clock at the loss */
  int64_t retryAt;     /* clock of the next try while lost */
  int32_t backoff;     /* ms between the last try and the next */
  int32_t tries;       /* tries since the loss */
  int32_t recoveries;  /* times the device came back */
  int64_t recoveredMs; /* loss to return, the last time */
} UdHealth;

void UdHealthInit(UdHealth *h);
/* One look at the port while serving: result < 0 is a failure (a read or an
 * arm the port refused), anything else a working port. 1 when the device is
 * to be declared lost now, else 0. */
int32_t UdHealthNote(UdHealth *h, int32_t result);
/* The device was closed as lost at now: the first try is UD_RETRY_FIRST_MS away. */
void UdHealthLose(UdHealth *h, int64_t now);
/* 1 when the device is lost and its next try is due at now. */
int32_t UdHealthDue(const UdHealth *h, int64_t now);
/* A try at now ended: ok 1 (serving again) or 0 (the wait doubles, at most
 * UD_RETRY_MAX_MS). */
void UdHealthTried(UdHealth *h, int64_t now, int32_t ok);
/* Milliseconds from now to the next try (0 when due), or cap when the device
 * is serving or the try lies further away. */
int32_t UdHealthWait(const UdHealth *h, int64_t now, int32_t cap);

/* ---- Over the device table ------------------------------------------------
 * The record of device i keeps its index, handle lists, slots and settings
 * while it is lost; only its port and its operations go and come back, so
 * applications keep their handles and get its events again. */

/* Forgets every device's history: all serving. */
void UdRecoverReset(void);
/* The health of device i (0..UD_MAX_DEVICES-1), or null. */
UdHealth *UdRecoverHealth(int32_t i);
/* Notes one look at device i's port (UdHealthNote); when that declares it
 * lost, closes it and returns 1 (its wake-up handle is gone). 0 otherwise. */
int32_t UdRecoverNote(int32_t i, int32_t result, int64_t now);
/* Tries every lost device whose try is due: opens its port and identifies and
 * initialises it again (one identification attempt). Returns how many came
 * back (their wake-ups must be armed again). */
int32_t UdRecoverPoll(int64_t now);
/* Milliseconds until the next due try of any device, at most cap. */
int32_t UdRecoverWait(int64_t now, int32_t cap);
/* 1 when device i is lost (closed, waiting for its next try). */
int32_t UdRecoverIsLost(int32_t i);

#ifdef __cplusplus
}
#endif

#endif
