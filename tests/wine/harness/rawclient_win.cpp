// rawclient_win.cpp: the test process as a raw channel client (see rawclient.h).
#include "rawclient.h"

#include <string.h>

#include "gyxwait.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"

RawRequest &RawRequest::Word(int32_t v) {
  uint8_t b[4];
  WirePut32(b, (uint32_t)v);
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
  return (int32_t)WireGet32(&reply[4 * i]);
}

RawOpen RawOpenDevice(HWND window, int32_t device, int32_t eventMask, const char *name) {
  WireOpenRequest open;
  memset(&open, 0, sizeof open);
  open.name = (const uint8_t *)name;
  open.nameSize = (int32_t)strlen(name) + 1;
  open.deviceId = device;
  open.maskPresent = 1;
  memset(open.mask, 0xFF, sizeof open.mask);
  open.mode = GI_EVENT_MODE;
  open.window = (uint32_t)(uintptr_t)window;
  open.eventMask = (uint32_t)eventMask;
  RawRequest req;
  req.data.resize((size_t)open.nameSize + WIRE_OPEN_FIXED);
  req.data.resize((size_t)WireEncodeOpen(req.data.data(), (int32_t)req.data.size(), &open));
  std::vector<uint8_t> reply;
  RawOpen r;
  r.rc = RawCall(REQ_OPEN, req, true, &reply);
  if (reply.size() >= WIRE_OPEN_REPLY) {
    WireOpenReply o;
    WireDecodeOpenReply(reply.data(), &o);
    r.status = o.status;
    r.handle = (int32_t)o.handle;
    r.device = o.deviceId;
    r.slot = o.slot;
    r.message = o.message;
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
