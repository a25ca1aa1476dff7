/* udbit7.h — what the Quorvanel Stick (uddevqs) and the Lumeqaro (uddevlq)
 * protocols share: packets framed by bit 7 (a packet's first byte has it
 * clear, every further byte set, so a packet ends where the next begins), the
 * command encoding with its checksum, the cooked-mode finishing of events, and
 * the operations both answer alike. Exposed to the unit tests as well. */
#ifndef GYX_UDBIT7_H
#define GYX_UDBIT7_H

#include <stdint.h>

#include "uddev.h"

enum {
  /* Bytes kept of one packet. No data packet comes near it and a device
   * message's text is cut to the event's text area anyway, so the rest of a
   * longer run is dropped as it arrives: the receive buffer never fills with
   * a packet that cannot end. */
  UD_B7_PACKET_MAX = GI_EVENT_TEXT_SIZE,
  UD_B7_TEXT_MAX = 33, /* longest command text: "B" and a 32-character beep pattern */
  UD_B7_COMMAND_SIZE = UD_B7_TEXT_MAX + 2,
  UD_B7_AXIS_SCALE = 29 /* cooked mode: device units to the common scale */
};

/* Encodes a command text c0 c1 … cn-1 as c0, then c1 … cn-1 with bit 7 set,
 * then the XOR of all n characters with bit 7 set, then CR, into
 * out[UD_B7_COMMAND_SIZE]. Returns n + 2, or -1 for a null or empty text or
 * one longer than UD_B7_TEXT_MAX. No byte of the text can end the command
 * early: every one after the first travels with bit 7 set. */
int32_t UdB7EncodeCommand(uint8_t *out, const char *text);

/* The low 10 bits of a field as a two's-complement number, -512 .. 511. */
int32_t UdB7Signed10(uint32_t field);

/* Reads one complete packet (length bytes as received, its first byte at
 * packet[0]): UD_PACKET_EVENT with ev filled (buttons raw, axes as the
 * device counts them), or UD_PACKET_SKIPPED. */
typedef int32_t (*UdB7Interpret)(const uint8_t *packet, int32_t length, GiEvent *ev);

/* The parse operation over the framing: appends the new bytes, consumes
 * complete packets through interpret until one yields an event, and finishes
 * it (cooked mode: buttons remapped by the model's layout, axes × 29 with tz
 * and rz negated; press/release detection in either mode). UD_EVENT_READY,
 * UD_OK (no complete packet left), or UD_BAD_ARGUMENT. */
int32_t UdB7Parse(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev, UdB7Interpret interpret);

/* The bytesWanted operation over the framing, for a model whose packet of
 * first byte t has length fixedLength(t) (0: no fixed length). A packet of
 * known length ends only when the next one's first byte comes, so it wants
 * its missing bytes and that one; a packet of no known length, one that has
 * all its bytes, or none under way: 0 (any byte may come next). */
typedef int32_t (*UdB7Length)(uint8_t first);
int32_t UdB7BytesWanted(const UdDevice *dev, UdB7Length fixedLength);

/* Operations both protocols answer alike. */
int32_t UdB7OpOpen(UdDevice *dev);                      /* identification by the model's row, no set-up */
int32_t UdB7OpClose(UdDevice *dev);                     /* UD_OK, or UD_BAD_ARGUMENT when closing failed */
int32_t UdB7OpBeep(UdDevice *dev, const char *pattern); /* "B<pattern>" encoded; the write is not checked */
int32_t UdB7OpReset(UdDevice *dev);                     /* "reset" encoded and a byte 80 before the CR */
int32_t UdB7OpRezero(UdDevice *dev);                    /* "Z\r", plain */

#endif
