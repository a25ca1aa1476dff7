/* evtstr.h — the event test utility's texts: the string table 101..128 as
 * the program uses it. Every text starts as the one built in (evtview_res.h);
 * the Win32 side offers each text of the program's string table, and a text
 * is taken only when it asks for the same arguments as the built-in one, so a
 * changed table can reword a message but never make a format read arguments
 * that are not there. Portable; unit-tested natively. */
#ifndef GYX_EVTSTR_H
#define GYX_EVTSTR_H

#include <stdarg.h>
#include <stddef.h>

#include "evtview_res.h"

#define EV_TEXT_SIZE 256 /* longest text taken from the table, with its NUL */
#define EV_TEXT_COUNT (IDS_LAST - IDS_FIRST + 1)

typedef struct EvStrings {
  const char *text[EV_TEXT_COUNT]; /* the text in use for id IDS_FIRST + i */
  char loaded[EV_TEXT_COUNT][EV_TEXT_SIZE];
} EvStrings;

/* Every text the built-in one. */
void EvStringsInit(EvStrings *s);

/* Offers a text of the table for id. 0 when taken; -1 when refused (unknown
 * id, null, too long, or other arguments than the built-in text asks for), in
 * which case the text in use stays. */
int EvStringsOffer(EvStrings *s, int id, const char *text);

/* The text in use for id; "" for an id outside 101..128. */
const char *EvString(const EvStrings *s, int id);

/* The arguments a printf format asks for, as a signature: one word per
 * conversion, separated by blanks ("d s ld d"); d/i count as d and u/o/x/X
 * as u, since they take the same argument. 0 on success; -1 when the format
 * asks for something this program never passes (widths from arguments, %n,
 * floating point, pointers) or the signature does not fit. */
int EvFormatSignature(const char *format, char *sig, size_t size);

/* printf of text id into out (always NUL-terminated, cut to size). The
 * arguments must be those of the built-in text. Returns the length written. */
int EvFormat(const EvStrings *s, int id, char *out, size_t size, ...);
int EvFormatV(const EvStrings *s, int id, char *out, size_t size, va_list ap);

/* A fixed-size text field of a record that crossed the channel, as a C
 * string: at most size-1 characters of src, NUL-terminated, whether src was
 * or not. */
void EvCopyField(char *dst, size_t dstSize, const char *src, size_t srcSize);

#endif
