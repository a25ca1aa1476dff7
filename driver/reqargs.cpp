/* reqargs.cpp — bounded argument reader of the request service (see reqargs.h). */
#include "reqargs.h"

void ReqArgsInit(ReqArgs *a, const uint8_t *data, int32_t length) {
  a->data = data;
  a->length = length < 0 ? 0 : length;
  a->used = 0;
  a->ok = length >= 0;
}

int ReqArgBytes(ReqArgs *a, int32_t n, const uint8_t **p) {
  if (!a->ok || n < 0 || n > a->length - a->used) {
    a->ok = 0;
    return 0;
  }
  if (p) *p = a->data + a->used;
  a->used += n;
  return 1;
}

int ReqArgWord(ReqArgs *a, int32_t *v) {
  const uint8_t *p;
  if (!ReqArgBytes(a, 4, &p)) return 0;
  *v = (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
  return 1;
}

void ReqPutWord(uint8_t *out, int32_t v) {
  uint32_t u = (uint32_t)v;
  out[0] = (uint8_t)u;
  out[1] = (uint8_t)(u >> 8);
  out[2] = (uint8_t)(u >> 16);
  out[3] = (uint8_t)(u >> 24);
}
