/* uddevqv.h — the Quorvanel protocol's pieces that need no port: the packet
 * decoder and the command encoder, exposed for the unit tests. The protocol
 * itself is reached through udQuorvanelOps (udmodel.h) and the Ud… calls. */
#ifndef GYX_UDDEVQV_H
#define GYX_UDDEVQV_H

#include <stdint.h>

enum {
  QV_DECODE_SIZE = 128, /* a packet that decodes to more is dropped */
  QV_BEEP_MAX = 32,     /* longest beep pattern sent */
  QV_COMMAND_SIZE = QV_BEEP_MAX + 2
};

/* Decodes the caret escapes of one packet (its bytes up to and including its
 * CR) into out[QV_DECODE_SIZE]: ^M -> CR, ^Q -> XON, ^S -> XOFF, ^^ -> ^; a
 * caret before any other byte drops both and restarts decoding behind the
 * packet type byte. Returns the decoded length, or -1 when the packet would
 * decode to more than QV_DECODE_SIZE bytes (out[0] then still holds the
 * packet type). */
int32_t QvDecode(const uint8_t *packet, int32_t length, uint8_t *out);

/* Builds the beep command "B<pattern>\r" into out[QV_COMMAND_SIZE]; returns
 * its length, or -1 when the pattern is longer than QV_BEEP_MAX or holds a
 * byte outside printable ASCII (a CR in it would end the command early and
 * let the rest through as a command of its own). */
int32_t QvEncodeBeep(uint8_t *out, const char *pattern);

#endif
