// The "Gyrantrix Device List" dialog (module Devlist): one line per device the
// driver serves, "<device> on port <port>", the first selected; OK opens the
// selected one, any other way out the first. Run modally by ConnectDevice.
#include <cstdio>

#include "jet/jet_res.h"
#include "jet/jetplat.h"

namespace {

INT_PTR CALLBACK DeviceListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dialog, IDC_JET_DEVICES);
      char format[64];
      if (LoadStringA(GetModuleHandleA(nullptr), IDS_JET_DEVICE_LINE, format, sizeof format) <= 0)
        std::snprintf(format, sizeof format, "%s", "%s on port %s");
      const int32_t count = GiGetNumDevices();
      for (int32_t i = 0; i < count; ++i) {
        GiPortInfo port = {};
        GiGetDevicePort(GiDeviceIndex(i), &port);
        port.typeName[sizeof port.typeName - 1] = '\0';
        port.portName[sizeof port.portName - 1] = '\0';
        char line[300];
        std::snprintf(line, sizeof line, format, port.typeName, port.portName);
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
      }
      SendMessageA(list, CB_SETCURSEL, 0, 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        const LRESULT selected = SendDlgItemMessageA(dialog, IDC_JET_DEVICES, CB_GETCURSEL, 0, 0);
        EndDialog(dialog, GiDeviceIndex(selected == CB_ERR ? 0 : static_cast<int32_t>(selected)));
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        // Escape or the close box: the program names no device, so the first.
        EndDialog(dialog, GiDeviceIndex(0));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int32_t ChooseDevice(HWND owner) {
  const INT_PTR id =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_JET_DEVLIST), owner, DeviceListProc, 0);
  if (id == -1) {
    GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
    return GiDeviceIndex(0);
  }
  return static_cast<int32_t>(id);
}
