/* inikeys.h — the button keys of a port's section in "gyrantx.ini"
 * ("button1=Ctrl+Z" … "button9", "leftbutton", "rightbutton"): key
 * combinations in text, and reading them into a device's key table. Read by
 * IniParse at start; the driver sends the keys (dvrkeys). */
#ifndef GYX_INIKEYS_H
#define GYX_INIKEYS_H

#include <stddef.h>
#include <stdint.h>

#include "udsystem.h"

/* Virtual-key codes of the keys a combination may name, numbered as Windows
 * numbers them (dvrplat_win.cpp pins the numbering). Letters and digits are
 * their upper-case characters. */
enum {
  INI_VK_BACK = 0x08,
  INI_VK_TAB = 0x09,
  INI_VK_RETURN = 0x0D,
  INI_VK_SHIFT = 0x10,
  INI_VK_CONTROL = 0x11,
  INI_VK_MENU = 0x12,
  INI_VK_ESCAPE = 0x1B,
  INI_VK_SPACE = 0x20,
  INI_VK_PRIOR = 0x21,
  INI_VK_NEXT = 0x22,
  INI_VK_END = 0x23,
  INI_VK_HOME = 0x24,
  INI_VK_LEFT = 0x25,
  INI_VK_UP = 0x26,
  INI_VK_RIGHT = 0x27,
  INI_VK_DOWN = 0x28,
  INI_VK_INSERT = 0x2D,
  INI_VK_DELETE = 0x2E,
  INI_VK_LWIN = 0x5B,
  INI_VK_F1 = 0x70 /* F1 … F24 follow in order */
};

/* A combination: modifiers ("Ctrl", "Shift", "Alt", "Win") and one key
 * (a letter, a digit, F1-F24, Space, Enter, Tab, Esc, Backspace, Insert,
 * Delete, Home, End, PageUp, PageDown, Up, Down, Left, Right), joined by
 * "+", names in any letter case, blanks around them allowed. 0 and *out set,
 * or UD_BAD_ARGUMENT (nothing set) for an unknown name, no key, two keys or a
 * repeated modifier. */
int32_t IniParseKey(const char *text, UdKey *out);

/* The combination as IniParseKey reads it ("Ctrl+Shift+F5"); "" for none. */
void IniFormatKey(const UdKey *key, char *out, size_t size);

/* The common button bit each key of a port section stands for, in reading
 * order: button1 … button8 are bits 1 … 8, button9 and rightbutton bit 31,
 * leftbutton bit 30. A later key for the same bit wins. */
enum { INI_NUM_BUTTON_KEYS = 11 };
extern const char *const kIniButtonKeys[INI_NUM_BUTTON_KEYS];
extern const int32_t kIniButtonBits[INI_NUM_BUTTON_KEYS];

/* Reads the button keys of section port into keys (indexed by bit; all
 * cleared first). A bad combination is refused and logged once; its button
 * stays a plain button. Returns the number refused. */
int32_t IniReadKeys(const UdSystem *sys, const char *port, const char *file, UdKey keys[32]);

#endif
