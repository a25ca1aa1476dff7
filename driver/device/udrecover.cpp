/* udrecover.cpp — losing a device whose port fails and opening it again when
 * the port works (see udrecover.h). Portable: the clock comes from the caller
 * and the port from the device layer's installed system. */
#include "udrecover.h"

#include <string.h>

#include "udsystem.h"

void UdHealthInit(UdHealth *h) {
  memset(h, 0, sizeof *h);
  h->state = UD_HEALTH_SERVING;
}

int32_t UdHealthNote(UdHealth *h, int32_t result) {
  if (h->state != UD_HEALTH_SERVING) return 0;
  if (result >= 0) {
    h->failures = 0;
    return 0;
  }
  h->failures++;
  return h->failures >= UD_LOST_AFTER_FAILURES ? 1 : 0;
}

void UdHealthLose(UdHealth *h, int64_t now) {
  h->state = UD_HEALTH_LOST;
  h->failures = 0;
  h->lostAt = now;
  h->tries = 0;
  h->backoff = UD_RETRY_FIRST_MS;
  h->retryAt = now + UD_RETRY_FIRST_MS;
}

int32_t UdHealthDue(const UdHealth *h, int64_t now) {
  return h->state == UD_HEALTH_LOST && now >= h->retryAt;
}

void UdHealthTried(UdHealth *h, int64_t now, int32_t ok) {
  if (h->state != UD_HEALTH_LOST) return;
  h->tries++;
  if (ok) {
    h->state = UD_HEALTH_SERVING;
    h->recoveries++;
    h->recoveredMs = now - h->lostAt;
    return;
  }
  h->backoff = h->backoff * 2 > UD_RETRY_MAX_MS ? UD_RETRY_MAX_MS : h->backoff * 2;
  h->retryAt = now + h->backoff;
}

int32_t UdHealthWait(const UdHealth *h, int64_t now, int32_t cap) {
  if (h->state != UD_HEALTH_LOST) return cap;
  int64_t left = h->retryAt - now;
  if (left <= 0) return 0;
  return left < cap ? (int32_t)left : cap;
}

/* ---- Over the device table ---------------------------------------------- */

static UdHealth gHealth[UD_MAX_DEVICES];

void UdRecoverReset(void) {
  for (int i = 0; i < UD_MAX_DEVICES; i++) UdHealthInit(&gHealth[i]);
}

UdHealth *UdRecoverHealth(int32_t i) {
  return i >= 0 && i < UD_MAX_DEVICES ? &gHealth[i] : NULL;
}

int32_t UdRecoverNote(int32_t i, int32_t result, int64_t now) {
  UdHealth *h = UdRecoverHealth(i);
  UdDevice *dev = UdDeviceAt(i);
  if (h == NULL || dev == NULL || !UdHealthNote(h, result)) return 0;
  /* Its port is beyond use: release it, so that the same port can be opened
   * afresh when it works again (a plugged-back adapter is a new device). */
  if (UdDeviceIsOpen(dev)) UdCloseDevice(dev);
  UdHealthLose(h, now);
  UD_FAIL(UD_IO_ERROR);
  return 1;
}

int32_t UdRecoverPoll(int64_t now) {
  int32_t back = 0;
  int32_t count = UdDeviceCount();
  for (int32_t i = 0; i < count && i < UD_MAX_DEVICES; i++) {
    UdHealth *h = &gHealth[i];
    UdDevice *dev = UdDeviceAt(i);
    if (dev == NULL || !UdHealthDue(h, now)) continue;
    UdSetIdentAttempts(UD_RETRY_IDENT_ATTEMPTS);
    int32_t rc = UdDeviceIsOpen(dev) ? UD_OK : UdOpenDevice(dev);
    UdSetIdentAttempts(0);
    UdHealthTried(h, now, rc == UD_OK);
    if (rc == UD_OK) back++;
  }
  return back;
}

int32_t UdRecoverWait(int64_t now, int32_t cap) {
  int32_t wait = cap;
  for (int i = 0; i < UD_MAX_DEVICES; i++) wait = UdHealthWait(&gHealth[i], now, wait);
  return wait;
}

int32_t UdRecoverIsLost(int32_t i) {
  UdHealth *h = UdRecoverHealth(i);
  return h != NULL && h->state == UD_HEALTH_LOST;
}
