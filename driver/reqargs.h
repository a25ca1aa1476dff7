/* reqargs.h — reading a request's arguments by running total: each read asks
 * for the bytes it needs, and once the total passes the request length every
 * further read fails, so no handler ever reads outside the request data. */
#ifndef GYX_REQARGS_H
#define GYX_REQARGS_H

#include <stdint.h>

typedef struct ReqArgs {
  const uint8_t *data;
  int32_t length; /* bytes of request data */
  int32_t used;   /* running total of the bytes asked for */
  int ok;         /* 0 once a read went past the data or a count was negative */
} ReqArgs;

void ReqArgsInit(ReqArgs *a, const uint8_t *data, int32_t length);
/* One little-endian 32-bit word; 0 and *v untouched when short. */
int ReqArgWord(ReqArgs *a, int32_t *v);
/* n raw bytes (n >= 0): *p points at them inside the data. */
int ReqArgBytes(ReqArgs *a, int32_t n, const uint8_t **p);

/* Little-endian word into a reply buffer. */
void ReqPutWord(uint8_t *out, int32_t v);

#endif
