// jet_test_ui.h: what the jet demo's Win32 tests need to drive and read its
// windows from another process: find a window by class and process, click
// and read dialog controls and the device list, ask the demo for its state
// (jet/jetquery.h), and read the pixels of a window off the screen.
#ifndef GYX_TESTS_JET_TEST_UI_H
#define GYX_TESTS_JET_TEST_UI_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A visible top-level window of process pid with this class (and title,
// unless null), polled for up to timeoutMs; null if none appeared.
HWND JetUiWaitWindow(const char *cls, const char *title, DWORD pid, unsigned long timeoutMs);

// The demo's answer to a state query (JETQ_* of jet/jetquery.h); a float
// item through JetUiQueryFloat.
int64_t JetUiQuery(HWND demo, int item);
float JetUiQueryFloat(HWND demo, int item);
// The view or pointer matrix (item JETQ_VIEW or JETQ_POINTER).
std::vector<float> JetUiMatrix(HWND demo, int first);

// Dialog controls, through their own messages (they cross processes).
bool JetUiChecked(HWND dialog, int id);
int JetUiScrollPos(HWND dialog, int id);
// Clicks a button or check box as the user does (BM_CLICK): its command
// reaches the dialog procedure before this returns.
void JetUiClick(HWND dialog, int id);
// A scroll code (and thumb position) of a dialog's horizontal scroll bar.
void JetUiScroll(HWND dialog, int id, int code, int position = 0);
std::vector<std::string> JetUiComboLines(HWND dialog, int id);
int JetUiComboSelection(HWND dialog, int id);

// The client area of a window as the screen shows it: 0x00RRGGBB per pixel,
// rows from the top. Empty when the screen could not be read.
struct JetUiPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
JetUiPixels JetUiCapture(HWND window);
int JetUiCount(const JetUiPixels &p, uint32_t rgb);
// Pixels that differ between two captures of the same size (-1 if the sizes differ).
int JetUiDiffer(const JetUiPixels &a, const JetUiPixels &b);

#endif
