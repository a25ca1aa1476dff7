// rawclient_win.cpp: the test process as a raw channel client (see rawclient.h).
#include "rawclient.h"

#include <string.h>

#include "driver/reqargs.h"
#include "gyxwait.h"
#include "lib/appgi.h"
#include "lib/reqcodes.h"

RawRequest &RawRequest::Word(int32_t v) {
  uint8_t b[4];
  ReqPutWord(b, v);
  data.insert(data.end(), b, b + 4);
  return *this;
}

RawRequest &RawRequest::Bytes(const void *p, size_t n) {
  const uint8_t *b = static_cast<const uint8_t *>(p);
  data.insert(data.end(), b, b + n);
  return *this;
}

int RawCall(int32_t code, const RawRequest &req, bool want_reply, std::vector<uint8_t> *reply) {
  int rc = AppMmapSend(code, req.data.data(), (int32_t)req.data.size(), want_reply ? 1 : 0);
  if (rc != 0 || !want_reply) return rc;
  std::vector<uint8_t> buf(512);
  int n = AppMmapReceive(buf.data(), (int32_t)buf.size());
  if (reply) reply->assign(buf.begin(), buf.begin() + (n > 0 ? n : 0));
  return n;
}

int32_t RawWord(const std::vector<uint8_t> &reply, size_t i) {
  if (reply.size() < 4 * (i + 1)) return 0;
  const uint8_t *p = &reply[4 * i];
  return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
}

RawOpen RawOpenDevice(HWND window, int32_t device, int32_t eventMask, const char *name) {
  int32_t n = (int32_t)strlen(name) + 1;
  GiTypeMask mask;
  memset(mask.bits, 0xFF, sizeof mask.bits);
  GiOpenData od = {(uint32_t)(uintptr_t)window, 0};
  RawRequest req;
  req.data.resize((size_t)n + 36);
  req.data.resize(
      (size_t)AppEncodeOpen(req.data.data(), name, n, device, &mask, 1, &od, (uint32_t)eventMask));
  std::vector<uint8_t> reply;
  RawOpen r;
  r.rc = RawCall(REQ_OPEN, req, true, &reply);
  if (reply.size() >= 20) {
    r.status = RawWord(reply, 0);
    r.handle = RawWord(reply, 1);
    r.device = RawWord(reply, 2);
    r.slot = RawWord(reply, 3);
    r.message = (uint32_t)RawWord(reply, 4);
  }
  return r;
}

static LRESULT CALLBACK RawWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

HWND RawMakeWindow(const char *title) {
  static bool registered = false;
  HINSTANCE inst = GetModuleHandleA(NULL);
  if (!registered) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = RawWndProc;
    wc.hInstance = inst;
    wc.lpszClassName = "GyxRawClient";
    RegisterClassA(&wc);
    registered = true;
  }
  HWND w =
      CreateWindowA("GyxRawClient", title, WS_OVERLAPPEDWINDOW, 20, 20, 320, 120, NULL, NULL, inst, NULL);
  if (w) {
    ShowWindow(w, SW_SHOW);
    RawForeground(w);
  }
  return w;
}

bool RawForeground(HWND window, unsigned long timeoutMs) {
  SetForegroundWindow(window);
  return GyxWaitFor([&] { return GetForegroundWindow() == window; }, timeoutMs);
}

std::vector<RawNotice> RawTakeNotices(HWND window, UINT message, size_t atLeast, unsigned long waitMs) {
  std::vector<RawNotice> out;
  GyxWaitFor(
      [&] {
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
          if (msg.message == message) {
            RawNotice n;
            n.message = msg.message;
            n.slot = (unsigned)(msg.wParam & 0xFF);
            n.kind = (unsigned)(msg.lParam >> 16) & 0xFF;
            n.seq = (unsigned)msg.lParam & 0xFFFF;
            out.push_back(n);
          } else {
            DispatchMessageA(&msg);
          }
        }
        return out.size() >= atLeast;
      },
      waitMs, 5);
  return out;
}
