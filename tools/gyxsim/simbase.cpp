// Byte records, escaped text and number parsing for the controller simulator.
// Used by the model encoders, the command parser and the receive log.
#include "simbase.h"

#include <stdio.h>
#include <string.h>

void SimBytesClear(SimBytes *b) {
  b->count = 0;
}

int SimBytesPut(SimBytes *b, uint8_t value) {
  if (b->count >= SIM_BYTES_MAX) return SIM_ERR_FULL;
  b->data[b->count++] = value;
  return SIM_OK;
}

int SimBytesAppend(SimBytes *b, const uint8_t *bytes, int count) {
  if (count < 0 || count > SIM_BYTES_MAX - b->count) return SIM_ERR_FULL;
  memcpy(b->data + b->count, bytes, (size_t)count);
  b->count += count;
  return SIM_OK;
}

// One byte in escaped form; returns its length (1, 2 or 4).
static int EscapeOne(char *out, uint8_t v) {
  switch (v) {
    case '\r':
      memcpy(out, "\\r", 2);
      return 2;
    case '\n':
      memcpy(out, "\\n", 2);
      return 2;
    case '\t':
      memcpy(out, "\\t", 2);
      return 2;
    case 0:
      memcpy(out, "\\0", 2);
      return 2;
    case '\\':
      memcpy(out, "\\\\", 2);
      return 2;
    default:
      break;
  }
  if (v > 0x20 && v < 0x7F) {
    out[0] = (char)v;
    return 1;
  }
  snprintf(out, 5, "\\x%02x", v);
  return 4;
}

int SimEscape(char *out, int outSize, const uint8_t *bytes, int count) {
  if (!out || outSize < 1) return SIM_ERR_FULL;
  int used = 0;
  for (int i = 0; i < count; i++) {
    char piece[5];
    int n = EscapeOne(piece, bytes[i]);
    if (used + n > outSize - 1) {
      out[used] = 0;
      return SIM_ERR_FULL;
    }
    memcpy(out + used, piece, (size_t)n);
    used += n;
  }
  out[used] = 0;
  return used;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int SimUnescape(SimBytes *out, const char *text) {
  SimBytesClear(out);
  for (const char *p = text; *p; p++) {
    uint8_t v = (uint8_t)*p;
    if (*p == '\\') {
      p++;
      switch (*p) {
        case 'r':
          v = '\r';
          break;
        case 'n':
          v = '\n';
          break;
        case 't':
          v = '\t';
          break;
        case '0':
          v = 0;
          break;
        case '\\':
          v = '\\';
          break;
        case 'x': {
          int hi = HexDigit(p[1]);
          int lo = hi < 0 ? -1 : HexDigit(p[2]);
          if (lo < 0) return SIM_ERR_SYNTAX;
          v = (uint8_t)(hi * 16 + lo);
          p += 2;
          break;
        }
        default:
          return SIM_ERR_SYNTAX;  // includes a trailing backslash
      }
    }
    if (SimBytesPut(out, v) != SIM_OK) return SIM_ERR_FULL;
  }
  return SIM_OK;
}

int SimParseInt(const char *text, int64_t *value) {
  const char *p = text;
  int negative = 0;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (!*p) return SIM_ERR_SYNTAX;
  uint64_t v = 0;
  for (; *p; p++) {
    int d = HexDigit(*p);
    if (d < 0 || d >= base) return SIM_ERR_SYNTAX;
    v = v * (uint64_t)base + (uint64_t)d;
    if (v > 0x7FFFFFFFFFFFull) return SIM_ERR_SYNTAX;  // far beyond any value the simulator takes
  }
  *value = negative ? -(int64_t)v : (int64_t)v;
  return SIM_OK;
}
