/* inikeys.cpp — key combinations in text and the button keys of a port's
 * section (see inikeys.h). */
#include "inikeys.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

const char *const kIniButtonKeys[INI_NUM_BUTTON_KEYS] = {"button1", "button2",    "button3",    "button4",
                                                         "button5", "button6",    "button7",    "button8",
                                                         "button9", "leftbutton", "rightbutton"};
const int32_t kIniButtonBits[INI_NUM_BUTTON_KEYS] = {1, 2, 3, 4, 5, 6, 7, 8, 31, 30, 31};

typedef struct Name {
  const char *text;
  uint8_t vk;
} Name;

static const Name kModifiers[] = {
    {"Ctrl", UD_MOD_CTRL}, {"Shift", UD_MOD_SHIFT}, {"Alt", UD_MOD_ALT}, {"Win", UD_MOD_WIN}};

static const Name kKeys[] = {{"Space", INI_VK_SPACE},   {"Enter", INI_VK_RETURN},   {"Tab", INI_VK_TAB},
                             {"Esc", INI_VK_ESCAPE},    {"Backspace", INI_VK_BACK}, {"Insert", INI_VK_INSERT},
                             {"Delete", INI_VK_DELETE}, {"Home", INI_VK_HOME},      {"End", INI_VK_END},
                             {"PageUp", INI_VK_PRIOR},  {"PageDown", INI_VK_NEXT},  {"Up", INI_VK_UP},
                             {"Down", INI_VK_DOWN},     {"Left", INI_VK_LEFT},      {"Right", INI_VK_RIGHT}};

enum { PART_SIZE = 16 };

/* The key code of one name, 0 when it names no key. */
static uint8_t KeyCode(const char *name) {
  size_t n = strlen(name);
  if (n == 1 && isalnum((unsigned char)name[0])) return (uint8_t)toupper((unsigned char)name[0]);
  if ((name[0] == 'F' || name[0] == 'f') && n >= 2 && n <= 3 && isdigit((unsigned char)name[1]) &&
      (n == 2 || isdigit((unsigned char)name[2])) && name[1] != '0') {
    int f = name[1] - '0';
    if (n == 3) f = f * 10 + (name[2] - '0');
    if (f >= 1 && f <= 24) return (uint8_t)(INI_VK_F1 + f - 1);
  }
  for (const Name &k : kKeys)
    if (strcasecmp(name, k.text) == 0) return k.vk;
  return 0;
}

static uint8_t ModifierBit(const char *name) {
  for (const Name &m : kModifiers)
    if (strcasecmp(name, m.text) == 0) return m.vk;
  return 0;
}

/* Copies the part of s up to the next '+' (or the end) without blanks
 * around it; returns what follows the '+', or null at the end. bad is set
 * when the part does not fit. */
static const char *NextPart(const char *s, char *part, int *bad) {
  const char *end = strchr(s, '+');
  size_t len = end ? (size_t)(end - s) : strlen(s);
  while (len > 0 && (*s == ' ' || *s == '\t')) s++, len--;
  while (len > 0 && (s[len - 1] == ' ' || s[len - 1] == '\t')) len--;
  if (len >= PART_SIZE) *bad = 1;
  if (len >= PART_SIZE) len = PART_SIZE - 1;
  memcpy(part, s, len);
  part[len] = '\0';
  return end ? end + 1 : NULL;
}

int32_t IniParseKey(const char *text, UdKey *out) {
  if (!text || !out) return UD_BAD_ARGUMENT;
  UdKey key = {0, 0};
  const char *s = text;
  while (s) {
    char part[PART_SIZE];
    int bad = 0;
    s = NextPart(s, part, &bad);
    if (bad || part[0] == '\0' || key.vk != 0) return UD_BAD_ARGUMENT; /* a part after the key */
    uint8_t mod = ModifierBit(part);
    if (mod && s) { /* a modifier, with the key still to come */
      if (key.mods & mod) return UD_BAD_ARGUMENT;
      key.mods |= mod;
      continue;
    }
    key.vk = KeyCode(part);
    if (key.vk == 0) return UD_BAD_ARGUMENT;
  }
  *out = key;
  return 0;
}

void IniFormatKey(const UdKey *key, char *out, size_t size) {
  if (!out || size == 0) return;
  out[0] = '\0';
  if (!key || key->vk == 0) return;
  size_t used = 0;
  for (const Name &m : kModifiers)
    if (key->mods & m.vk) used += (size_t)snprintf(out + used, used < size ? size - used : 0, "%s+", m.text);
  if (used >= size) return;
  const char *name = NULL;
  for (const Name &k : kKeys)
    if (k.vk == key->vk) name = k.text;
  if (name)
    snprintf(out + used, size - used, "%s", name);
  else if (key->vk >= INI_VK_F1 && key->vk < INI_VK_F1 + 24)
    snprintf(out + used, size - used, "F%d", key->vk - INI_VK_F1 + 1);
  else
    snprintf(out + used, size - used, "%c", (char)key->vk);
}

int32_t IniReadKeys(const UdSystem *sys, const char *port, const char *file, UdKey keys[32]) {
  memset(keys, 0, sizeof(UdKey) * 32);
  if (!sys || !port || !file) return 0;
  int32_t refused = 0;
  for (int32_t i = 0; i < INI_NUM_BUTTON_KEYS; i++) {
    char value[64];
    sys->profileString(port, kIniButtonKeys[i], "", value, sizeof value, file);
    const char *s = value;
    while (*s == ' ' || *s == '\t') s++;
    if (*s == '\0') continue;
    UdKey key;
    if (IniParseKey(value, &key) != 0) {
      UD_FAIL(UD_BAD_ARGUMENT);
      refused++;
      continue;
    }
    keys[kIniButtonBits[i]] = key;
  }
  return refused;
}
