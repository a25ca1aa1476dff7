// gyxui.h: driving the real windows of another process from a Win32 test, as a
// user would see and work them: find a top-level dialog, read its controls and
// list boxes, click buttons and check boxes, choose system-menu commands, wait
// for what follows, and photograph a window from the Xvfb display.
//
// Everything here works across processes. Calls that need the other program's
// answer use SendMessageTimeout, so a hung program fails the test instead of
// hanging it; a click that opens a modal window of its own (a dialog, a message
// box) is posted instead (GyxUiClickAsync), since its handler does not return
// until that window closes.
#ifndef GYX_HARNESS_UI_H
#define GYX_HARNESS_UI_H

#include <windows.h>

#include <string>
#include <vector>

// What to look for among the top-level windows. Empty fields match anything.
struct GyxUiQuery {
  const char *cls = nullptr;      // window class, e.g. "#32770" for dialogs and message boxes
  const char *caption = nullptr;  // exact title
  DWORD pid = 0;                  // owning process
  int controlId = 0;              // a child control with this id must exist (tells a dialog from a box)
  bool visible = true;            // only visible windows count
};

// The first matching top-level window now, or NULL.
HWND GyxUiFind(const GyxUiQuery &query);
// Polls for one until timeoutMs has passed; NULL if none appeared.
HWND GyxUiWait(const GyxUiQuery &query, unsigned long timeoutMs);
// Every matching top-level window now.
std::vector<HWND> GyxUiFindAll(const GyxUiQuery &query);
// A visible dialog ("#32770") of process pid (0: any) with this title and,
// when controlId != 0, that control.
HWND GyxUiWaitDialog(const char *caption, unsigned long timeoutMs, DWORD pid = 0, int controlId = 0);

// Text of a window (a dialog's title, a control's text); "" when it has none.
std::string GyxUiText(HWND window);
// Text of control id of a dialog; "" when there is no such control.
std::string GyxUiItemText(HWND dialog, int id);
bool GyxUiItemVisible(HWND dialog, int id);
bool GyxUiItemEnabled(HWND dialog, int id);
// The window with the keyboard focus in the thread that owns window; NULL if none.
HWND GyxUiFocus(HWND window);
// The control id of that window, or 0.
int GyxUiFocusId(HWND window);

// List boxes. Count and selection are -1 when the control is missing or does
// not answer; lines are read one by one (LB_GETTEXT), so a list that changes
// while it is read gives a mixed answer: wait for it to settle first.
int GyxUiListCount(HWND dialog, int id);
std::vector<std::string> GyxUiListLines(HWND dialog, int id);
int GyxUiListSelection(HWND dialog, int id);
// Index of the first visible line, or -1.
int GyxUiListTopIndex(HWND dialog, int id);
// Clicks line index with the mouse as a user does: scrolled into view, a
// button-down and -up inside the line. The list notifies its parent as for a
// real click. False when the line does not exist or the list does not answer.
bool GyxUiListClick(HWND dialog, int id, int index);

// Buttons. BM_CLICK, handled by the time the call returns; false when the
// control is missing, disabled or the program did not answer within timeoutMs.
bool GyxUiClick(HWND dialog, int id, unsigned long timeoutMs = 5000);
// The same click posted: for a button whose handler opens a modal window.
bool GyxUiClickAsync(HWND dialog, int id);
// BST_UNCHECKED (0), BST_CHECKED (1), BST_INDETERMINATE (2), or -1 when missing.
int GyxUiCheckState(HWND dialog, int id);
// Clicks a check box when it does not read `checked`; true when it reads so
// afterwards. For a box the program sets itself, the program decides.
bool GyxUiSetCheck(HWND dialog, int id, bool checked, unsigned long timeoutMs = 5000);

// Chooses a system-menu command (WM_SYSCOMMAND, posted: commands often open
// modal windows). False when the window is gone.
bool GyxUiSysCommand(HWND window, WPARAM command);
// Opens the window's system menu from the keyboard (Alt+Space), as a user
// does, and chooses the item whose mnemonic is key (the letter after "&").
// True when the menu opened and took the key; what the item does is the
// caller's to check.
// Under Wine the system menu has an item of its own, "&About Wine", so an
// "A" is taken by it.
bool GyxUiSysMenuKey(HWND window, char key, unsigned long timeoutMs = 5000);
// The same, choosing the menu's last item (Up, then Enter): where programs
// append their own items.
bool GyxUiSysMenuLast(HWND window, unsigned long timeoutMs = 5000);

// Brings window to the front and waits until it is the foreground window.
bool GyxUiForeground(HWND window, unsigned long timeoutMs = 3000);

// The window's rectangle on the screen (the Xvfb display), border and caption
// included.
RECT GyxUiRect(HWND window);

// Photographs the window from the Xvfb display into a PNG at pngPath (a Linux
// path) with scripts/screenshot.sh, cropped to GyxUiRect. Needs the environment
// of scripts/wineenv.sh (DISPLAY) and ImageMagick. True when the file was written.
bool GyxUiScreenshot(HWND window, const std::string &pngPath);
// Width and height of a PNG file (from its header); false when it is not one.
bool GyxUiPngSize(const std::string &pngPath, int *width, int *height);

#endif
