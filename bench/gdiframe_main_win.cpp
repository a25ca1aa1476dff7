/* gdiframe_main_win.cpp — gyxbench_gdiframe: the bare GDI baseline of the jet
 * frame. The same 800 x 800 window and the same lines (read from the file
 * gyxbench_jetframe wrote), drawn as the demo draws them: a black square
 * into an off-screen bitmap, the scene's pens, MoveToEx/LineTo per line, one block
 * copy to the window; nothing else. Linked with nothing of ours.
 *   gyxbench_gdiframe --lines FILE --frames N --out FILE
 * Prints "ready", then "done frames=... us=... fps=... lines=...". */
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/benchio.h"

namespace {

const int kSize = 800;

struct Segment {
  int pen, x1, y1, x2, y2;  // pen 0: the object's magenta, else green
};
std::vector<Segment> gLines;
HDC gMem;
HBITMAP gBitmap;
HPEN gPens[2];

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m != WM_PAINT) return DefWindowProcA(w, m, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  if (!gMem) {
    gMem = CreateCompatibleDC(nullptr);
    gBitmap = CreateCompatibleBitmap(dc, kSize, kSize);
    SelectObject(gMem, gBitmap);
  }
  HGDIOBJ brush = SelectObject(gMem, GetStockObject(BLACK_BRUSH));
  Rectangle(gMem, 0, 0, kSize, kSize);
  SelectObject(gMem, brush);
  HGDIOBJ pen = SelectObject(gMem, gPens[0]);
  int current = 0;
  for (const Segment &s : gLines) {
    const int want = s.pen == 0 ? 0 : 1;
    if (want != current) SelectObject(gMem, gPens[current = want]);
    MoveToEx(gMem, s.x1, s.y1, nullptr);
    LineTo(gMem, s.x2, s.y2);
  }
  SelectObject(gMem, pen);
  BitBlt(dc, 0, 0, kSize, kSize, gMem, 0, 0, SRCCOPY);
  EndPaint(w, &ps);
  return 0;
}

void Frame(HWND w) {
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  GdiFlush();
}

}  // namespace

int main(int argc, char **argv) {
  const char *linesPath = BenchArg(argc, argv, "--lines", nullptr);
  const int frames = std::atoi(BenchArg(argc, argv, "--frames", "2000"));
  const char *out = BenchArg(argc, argv, "--out", nullptr);
  FILE *f = linesPath ? std::fopen(linesPath, "r") : nullptr;
  if (!f) return 1;
  Segment s;
  while (std::fscanf(f, "%d %d %d %d %d", &s.pen, &s.x1, &s.y1, &s.x2, &s.y2) == 5) gLines.push_back(s);
  std::fclose(f);
  BenchWatchStdin();
  gPens[0] = CreatePen(PS_SOLID, 1, RGB(255, 0, 255));
  gPens[1] = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "GyrantrixBenchGdiFrame";
  RegisterClassA(&wc);
  HWND w = CreateWindowA(wc.lpszClassName, "GDI frame", WS_OVERLAPPEDWINDOW, 0, 0, kSize, kSize, nullptr,
                         nullptr, wc.hInstance, nullptr);
  if (!w || !gPens[0] || !gPens[1]) return 1;
  BenchShowInFront(w);
  BenchSay("ready");

  for (int i = 0; i < 50; ++i) Frame(w);
  std::vector<double> us;
  us.reserve(frames);
  const double start = BenchNowUs();
  for (int i = 0; i < frames; ++i) {
    const double t = BenchNowUs();
    Frame(w);
    us.push_back(BenchNowUs() - t);
  }
  const double total = BenchNowUs() - start;
  if (out) BenchWriteSamples(out, us.data(), static_cast<int>(us.size()));
  BenchSay("done frames=%d us=%.0f fps=%.1f lines=%d", frames, total, frames / (total / 1e6),
           static_cast<int>(gLines.size()));
  MSG msg;
  while (!BenchStopped() && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyWindow(w);
  return 0;
}
