// gyxmsgbox.h: finding, reading and answering message boxes (and dialogs) of
// other processes. Used by the Win32 tests and by the gyx_msgbox command-line
// tool; needs nothing but user32.
//
// A message box is a top-level window of class "#32770" whose title is the
// caption; its text is the static control with id 0xFFFF, its buttons have the
// ids IDOK (1), IDCANCEL (2), IDYES (6), IDNO (7). It may exist before it is
// visible, so only visible ones count.
#ifndef GYX_HARNESS_MSGBOX_H
#define GYX_HARNESS_MSGBOX_H

#include <windows.h>

#include <string>

// A visible "#32770" window titled caption, now; NULL if none. pid != 0
// restricts the search to that process.
HWND GyxFindMessageBox(const char *caption, DWORD pid = 0);
// Polls for such a window until timeoutMs has passed; NULL if none appeared.
HWND GyxWaitMessageBox(const char *caption, unsigned long timeoutMs, DWORD pid = 0);
// True when no such window was visible at any poll during ms milliseconds.
bool GyxNoMessageBoxFor(const char *caption, unsigned long ms, DWORD pid = 0);

// The message text (static control 0xFFFF); "" if the window has none.
std::string GyxMessageBoxText(HWND box);
// Text of any control of a dialog.
std::string GyxDialogItemText(HWND dialog, int id);

// Clicks the button with this id (BM_CLICK: WM_CLOSE would answer IDCANCEL
// even on a Yes/No box) and waits up to timeoutMs for the box to close. False
// if the box has no such button, does not take the click, or stays open.
bool GyxPressButton(HWND box, int id, unsigned long timeoutMs = 5000);

// "ok" -> IDOK, "cancel" -> IDCANCEL, "yes" -> IDYES, "no" -> IDNO, or a decimal
// control id; 0 for anything else.
int GyxButtonId(const char *name);

#endif
