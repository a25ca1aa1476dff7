/* evtstr.cpp — the program's texts and the argument check that guards the
 * ones taken from the string table (see evtstr.h). */
#include "evtstr.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static const char *const kBuiltIn[EV_TEXT_COUNT] = {
    EVS_ABOUTBOX,        EVS_TITLE,          EVS_NO_INIT,       EVS_NO_DRIVER,
    EVS_BUTTON_EVENT,    EVS_COMBO_BUTTONS,  EVS_MOTION_SINGLE, EVS_COMBO_SINGLE,
    EVS_MOTION_MULTIPLE, EVS_COMBO_MULTIPLE, EVS_EXCEPTION,     EVS_UNKNOWN,
    EVS_AXIS_TX,         EVS_AXIS_TY,        EVS_AXIS_TZ,       EVS_AXIS_RX,
    EVS_AXIS_RY,         EVS_AXIS_RZ,        EVS_YES,           EVS_NO,
    EVS_OPEN_PORT,       EVS_OPEN_INDEX,     EVS_DRIVER_INFO,   EVS_GET_EVENT,
    EVS_DEVICE_PORT,     EVS_DEVICE_INFO,    EVS_DEVICE_ENTRY,  EVS_DRIVER_VERSION,
};

void EvStringsInit(EvStrings *s) {
  memset(s, 0, sizeof *s);
  for (int i = 0; i < EV_TEXT_COUNT; i++) s->text[i] = kBuiltIn[i];
}

static int IndexOf(int id) {
  return (id >= IDS_FIRST && id <= IDS_LAST) ? id - IDS_FIRST : -1;
}

const char *EvString(const EvStrings *s, int id) {
  int i = IndexOf(id);
  return i < 0 ? "" : s->text[i];
}

/* Appends word to sig (blank-separated); -1 when it does not fit. */
static int AddWord(char *sig, size_t size, size_t *used, const char *word) {
  size_t n = strlen(word) + (*used ? 1 : 0);
  if (*used + n + 1 > size) return -1;
  if (*used) sig[(*used)++] = ' ';
  memcpy(sig + *used, word, strlen(word) + 1);
  *used += strlen(word);
  return 0;
}

int EvFormatSignature(const char *f, char *sig, size_t size) {
  size_t used = 0;
  if (!f || !sig || size == 0) return -1;
  sig[0] = '\0';
  while (*f) {
    if (*f++ != '%') continue;
    if (*f == '%') {
      f++;
      continue;
    }
    while (*f && strchr("-+ #0", *f)) f++;
    while (*f >= '0' && *f <= '9') f++;
    if (*f == '.') {
      f++;
      while (*f >= '0' && *f <= '9') f++;
    }
    if (*f == '*') return -1;
    char word[4] = {0, 0, 0, 0};
    size_t n = 0;
    if (*f == 'h' || *f == 'l') {
      word[n++] = *f++;
      if ((*f == 'h' || *f == 'l') && *f == word[0]) word[n++] = *f++;
    }
    switch (*f) {
      case 'd':
      case 'i':
        word[n++] = 'd';
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        word[n++] = 'u';
        break;
      case 's':
      case 'c':
        if (n) return -1; /* wide characters are never passed */
        word[n++] = *f;
        break;
      default:
        return -1; /* %n, %p, floating point, a format cut short */
    }
    f++;
    if (AddWord(sig, size, &used, word) != 0) return -1;
  }
  return 0;
}

int EvStringsOffer(EvStrings *s, int id, const char *text) {
  int i = IndexOf(id);
  if (i < 0 || !text || strlen(text) >= EV_TEXT_SIZE) return -1;
  char want[64], got[64];
  if (EvFormatSignature(kBuiltIn[i], want, sizeof want) != 0) return -1;
  if (EvFormatSignature(text, got, sizeof got) != 0 || strcmp(want, got) != 0) return -1;
  memcpy(s->loaded[i], text, strlen(text) + 1);
  s->text[i] = s->loaded[i];
  return 0;
}

int EvFormatV(const EvStrings *s, int id, char *out, size_t size, va_list ap) {
  if (!out || size == 0) return 0;
  int n = vsnprintf(out, size, EvString(s, id), ap);
  if (n < 0) {
    out[0] = '\0';
    return 0;
  }
  return (size_t)n >= size ? (int)size - 1 : n;
}

int EvFormat(const EvStrings *s, int id, char *out, size_t size, ...) {
  va_list ap;
  va_start(ap, size);
  int n = EvFormatV(s, id, out, size, ap);
  va_end(ap);
  return n;
}

void EvCopyField(char *dst, size_t dstSize, const char *src, size_t srcSize) {
  if (!dst || dstSize == 0) return;
  size_t n = 0;
  while (src && n < srcSize && n + 1 < dstSize && src[n]) n++;
  if (n) memcpy(dst, src, n);
  dst[n] = '\0';
}
