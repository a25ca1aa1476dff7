// The jet demo program: start-up (JetMain), the connection to the device, the
// message loop that offers every message to the input library first, and the
// main window's procedure (paint, mouse modes, Shift, D, Escape, close).
#include <windowsx.h>

#include "jet/jet_res.h"
#include "jet/jetgi.h"
#include "jet/jetplat.h"
#include "jet/jetquery.h"
#include "jet/process.h"

JetWindows gJetWindows;

namespace {

const char kJetClass[] = "Jet Demo";
const char kAppName[] = "Jet Demo";

GiEventHandlers gHandlers;
UINT gQueryMessage;

// Offers a message to the input library; true when it was the library's
// (an event, dispatched to its handler, or a notice it consumed).
bool OfferToLibrary(UINT message, WPARAM wParam, LPARAM lParam) {
  GiHandle device = gJet.state.device;
  if (device == nullptr) return false;
  GiGetEventData data;
  GiEvent event;
  GiGetEventWinInit(&data, message, wParam, lParam);
  const int32_t r = GiGetEvent(device, 0, &data, &event);
  if (r == GI_IS_EVENT) {
    GiDispatch(device, &data, &event, &gHandlers);
    return true;
  }
  return r == GI_SKIP_EVENT;
}

void SetMode(bool object, bool axes, bool pointer) {
  gJet.state.objectMode = object;
  gJet.state.axesMode = axes;
  gJet.state.pointerMode = pointer;
}

void CloseMain() {
  if (gJetWindows.main != nullptr) SendMessageA(gJetWindows.main, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK JetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      // Not passed on: after EndPaint the default procedure has nothing left
      // to paint, and under Wine its second BeginPaint/EndPaint pair costs
      // about as much as drawing the whole frame.
      JetPaint(window, &gJet);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
      SetMode(left, message == WM_RBUTTONDOWN, message == WM_MBUTTONDOWN);
      PickAtScreen(&gJet, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      gJet.state.redrawNeeded = true;
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SHIFT) gJet.state.shiftDown = true;
      if (wParam == 'D') gJet.state.doubleBuffer = !gJet.state.doubleBuffer;
      break;
    case WM_KEYUP:
      if (wParam == VK_SHIFT) gJet.state.shiftDown = false;
      if (wParam == VK_ESCAPE) SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_CLOSE:
      JetDeletePens();
      break;  // the default procedure destroys the window
    case WM_DESTROY:
      gJetWindows.main = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      if (message == gQueryMessage && gQueryMessage != 0)
        return static_cast<LRESULT>(JetQuery(&gJet, static_cast<int32_t>(wParam)));
      if (OfferToLibrary(message, wParam, lParam)) return 0;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Start-up of the library and the device; false after telling the user why not.
bool ConnectDevice() {
  const int32_t r = GiInitialize();
  if (r == GI_NO_DRIVER) {
    ShowError("No Gyrantrix driver.");
    return false;
  }
  if (r != GI_NO_ERROR) {
    ShowError("Can't initialize Gyrantrix.");
    return false;
  }
  const int32_t id = GiGetNumDevices() < 2 ? GiDeviceIndex(0) : ChooseDevice(gJetWindows.main);
  GiOpenData open;
  GiOpenWinInit(&open, gJetWindows.main);
  GiHandle device = GiOpen(kAppName, id, nullptr, GI_EVENT_MODE, &open);
  if (device == nullptr) {
    GiTerminate();
    ShowError("Sorry - No Quorvanel found.");
    return false;
  }
  gJet.state.device = device;
  GiSetUiMode(device, GI_UI_DIALOG_POPUP | GI_UI_FUNCTIONS);
  return true;
}

int RunMessageLoop() {
  gHandlers = {};
  gHandlers.type[GI_BUTTON_EVENT - 1].handler = OnDeviceButtons;
  gHandlers.type[GI_MOTION_EVENT - 1].handler = OnDeviceMotion;
  gHandlers.type[GI_COMBO_EVENT - 1].handler = [](GiWindowQueue *pair, GiGetEventData *data, GiEvent *event,
                                                  int32_t user) {
    OnDeviceButtons(pair, data, event, user);
    return OnDeviceMotion(pair, data, event, user);
  };
  gHandlers.type[GI_ZERO_EVENT - 1].handler = OnDeviceMotion;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!OfferToLibrary(msg.message, msg.wParam, msg.lParam)) {
      if (msg.message == WM_KEYDOWN && msg.wParam == VK_SHIFT) gJet.state.shiftDown = true;
      if (msg.message == WM_KEYUP && msg.wParam == VK_SHIFT) gJet.state.shiftDown = false;
      if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE) CloseMain();
      const bool dialogTook = gJetWindows.settings != nullptr && IsWindow(gJetWindows.settings) &&
                              IsDialogMessageA(gJetWindows.settings, &msg);
      if (!dialogTook) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    // A motion or a setting changed the picture: it is drawn in the next paint.
    if (gJet.state.redrawNeeded && gJetWindows.main != nullptr)
      InvalidateRect(gJetWindows.main, nullptr, FALSE);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

void ShowError(const char *text) {
  MessageBoxA(gJetWindows.main, text, nullptr, MB_OK);
}

HWND JetCreateMainWindow(HINSTANCE instance, int size) {
  if (gQueryMessage == 0) gQueryMessage = RegisterWindowMessageA(JET_QUERY_MESSAGE);
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = JetWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kJetClass;
  if (RegisterClassA(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
    return nullptr;
  }
  HWND window = CreateWindowA(kJetClass, kAppName, WS_OVERLAPPEDWINDOW, 0, 0, size, size, nullptr, nullptr,
                              instance, nullptr);
  if (window == nullptr) GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
  return window;
}

int JetMain(HINSTANCE instance) {
  gJetWindows = {instance, nullptr, nullptr};
  int code = 1;
  const int size = static_cast<int>(0.8 * (GetSystemMetrics(SM_CXSCREEN) < GetSystemMetrics(SM_CYSCREEN)
                                               ? GetSystemMetrics(SM_CXSCREEN)
                                               : GetSystemMetrics(SM_CYSCREEN)));
  if (!JetCreatePens()) return code;
  gJetWindows.main = JetCreateMainWindow(instance, size);
  if (gJetWindows.main == nullptr) {
    JetDeletePens();
    return code;
  }
  SetClassLongPtrA(gJetWindows.main, GCLP_HICON,
                   reinterpret_cast<LONG_PTR>(LoadIconA(instance, MAKEINTRESOURCEA(IDI_JET))));
  if (JetInit(&gJet, size, nullptr) != JET_OK) {
    GiLogError(__FILE__, __LINE__, JET_NO_MEMORY);
    DestroyWindow(gJetWindows.main);
    JetDeletePens();
    return code;
  }

  gJetWindows.settings =
      CreateDialogA(instance, MAKEINTRESOURCEA(IDD_JET_SETTINGS), gJetWindows.main, SettingsDialogProc);
  if (gJetWindows.settings == nullptr) GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
  RECT dialog = {0, 0, 0, 0};
  if (gJetWindows.settings != nullptr) GetWindowRect(gJetWindows.settings, &dialog);
  MoveWindow(gJetWindows.main, dialog.right, 0, size, size, TRUE);
  ShowWindow(gJetWindows.main, SW_SHOW);
  UpdateWindow(gJetWindows.main);
  RefreshSettingsDialog();
  if (gJetWindows.settings != nullptr) ShowWindow(gJetWindows.settings, SW_SHOW);

  if (ConnectDevice()) code = RunMessageLoop();

  if (gJetWindows.settings != nullptr && IsWindow(gJetWindows.settings)) DestroyWindow(gJetWindows.settings);
  if (gJetWindows.main != nullptr && IsWindow(gJetWindows.main)) DestroyWindow(gJetWindows.main);
  gJetWindows.settings = nullptr;
  gJetWindows.main = nullptr;
  if (gJet.state.device != nullptr) GiClose(gJet.state.device);
  gJet.state.device = nullptr;
  GiTerminate();
  JetDeletePens();
  JetFreeOffscreen();
  JetFree(&gJet);
  return code;
}
