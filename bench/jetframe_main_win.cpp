/* jetframe_main_win.cpp — gyxbench_jetframe: the jet demo's own window and
 * paint (jet/jetwin_win.cpp, jet/jetgdi_win.cpp) at 800 x 800 with double
 * buffering, timed frame by frame: each frame applies one motion event, as
 * the demo does for every event, and paints (transform, clip, project, draw,
 * copy). Then the motion -> screen path through a message loop shaped like
 * the demo's: a posted event, the motion, the invalidation after the message,
 * the paint, and how many paints that took. Writes the lines of its first
 * frame for the bare GDI baseline (gyxbench_gdiframe) to draw the same.
 *   gyxbench_jetframe --frames N --rounds R --lines FILE --out FILE
 * Prints "ready", then "done fps=... us=... own_us=... motion_us=... paints=... lines=..." (own_us:
 * the demo's own work per frame with GDI left out). */
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/benchio.h"
#include "jet/draw.h"
#include "jet/jetplat.h"
#include "jet/process.h"

namespace {

const int kSize = 800;

GiEvent Turn(int i) {
  GiEvent e = {};
  e.type = GI_MOTION_EVENT;
  e.rx = 300 + (i % 7) * 10;
  e.ry = 900;
  e.rz = -200;
  e.tx = (i % 2) ? 40 : -40;
  e.period = 20;
  return e;
}

void Frame(HWND w, int i) {
  GiEvent e = Turn(i);
  JetApplyMotion(&gJet, &e);
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  GdiFlush();
}

// The lines of the scene as it draws them, with their pens: what the
// baseline redraws.
struct LineFile {
  FILE *f;
  int pen, x, y, count;
};
void LfClear(void *, int32_t) {}
void LfPen(void *c, int32_t pen) {
  static_cast<LineFile *>(c)->pen = pen;
}
void LfRestore(void *) {}
void LfMove(void *c, int32_t x, int32_t y) {
  static_cast<LineFile *>(c)->x = x;
  static_cast<LineFile *>(c)->y = y;
}
void LfLine(void *c, int32_t x, int32_t y) {
  LineFile *lf = static_cast<LineFile *>(c);
  std::fprintf(lf->f, "%d %d %d %d %d\n", lf->pen, lf->x, lf->y, x, y);
  lf->count++;
}
void LfPresent(void *, int32_t) {}
void NoLine(void *, int32_t, int32_t) {}
void NoPen(void *, int32_t) {}
const JetCanvasOps kLineFileOps = {
    .clear = LfClear,
    .selectPen = LfPen,
    .restorePen = LfRestore,
    .moveTo = LfMove,
    .lineTo = LfLine,
    .present = LfPresent,
};

// The demo's own work per frame, GDI left out: the motion, and the scene
// through a canvas that draws nothing.
const JetCanvasOps kNoGdiOps = {
    .clear = LfClear,
    .selectPen = NoPen,
    .restorePen = LfRestore,
    .moveTo = NoLine,
    .lineTo = NoLine,
    .present = LfPresent,
};

double OwnWorkUs(int frames) {
  const JetCanvas canvas = {&kNoGdiOps, nullptr};
  const uint32_t drawn = gJet.frames;
  const double start = BenchNowUs();
  for (int i = 0; i < frames; ++i) {
    GiEvent e = Turn(i);
    JetApplyMotion(&gJet, &e);
    DrawScene(&gJet, &canvas);
  }
  gJet.frames = drawn;
  return (BenchNowUs() - start) / frames;
}

int WriteLines(const char *path) {
  FILE *f = std::fopen(path, "w");
  if (!f) return -1;
  LineFile lf = {f, 0, 0, 0, 0};
  const JetCanvas canvas = {&kLineFileOps, &lf};
  const uint32_t frames = gJet.frames;
  DrawScene(&gJet, &canvas);
  gJet.frames = frames;
  std::fclose(f);
  return lf.count;
}

}  // namespace

int main(int argc, char **argv) {
  const int frames = std::atoi(BenchArg(argc, argv, "--frames", "2000"));
  const int rounds = std::atoi(BenchArg(argc, argv, "--rounds", "200"));
  const char *linesPath = BenchArg(argc, argv, "--lines", nullptr);
  const char *out = BenchArg(argc, argv, "--out", nullptr);
  BenchWatchStdin();
  if (JetInit(&gJet, kSize, nullptr) != JET_OK || !JetCreatePens()) return 1;
  HWND w = JetCreateMainWindow(GetModuleHandleA(nullptr), kSize);
  if (!w) return 1;
  BenchShowInFront(w);
  const int lines = linesPath ? WriteLines(linesPath) : 0;
  BenchSay("ready");

  for (int i = 0; i < 50; ++i) Frame(w, i);  // warm-up: the off-screen bitmap, caches
  std::vector<double> us;
  us.reserve(frames);
  const double start = BenchNowUs();
  for (int i = 0; i < frames; ++i) {
    const double t = BenchNowUs();
    Frame(w, i);
    us.push_back(BenchNowUs() - t);
  }
  const double total = BenchNowUs() - start;
  if (out) BenchWriteSamples(out, us.data(), static_cast<int>(us.size()));
  const double own = OwnWorkUs(frames);

  // Motion -> screen: the event arrives as a posted message; the loop applies
  // it, invalidates after the message while a redraw is wanted, and the paint
  // that follows must be the first one after the motion.
  std::vector<double> motion;
  int mostPaints = 0, round = 0;
  double sent = 0;
  uint32_t framesAtMotion = 0;
  bool waiting = false;
  PostMessageA(w, WM_APP, 0, 0);
  MSG msg;
  while (round < rounds && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_APP) {
      GiEvent e = Turn(round);
      sent = BenchNowUs();
      JetApplyMotion(&gJet, &e);
      framesAtMotion = gJet.frames;
      waiting = true;
    } else {
      DispatchMessageA(&msg);
    }
    if (gJet.state.redrawNeeded) InvalidateRect(w, nullptr, FALSE);
    if (waiting && gJet.frames != framesAtMotion) {
      GdiFlush();
      motion.push_back(BenchNowUs() - sent);
      const int paints = static_cast<int>(gJet.frames - framesAtMotion);
      if (paints > mostPaints) mostPaints = paints;
      waiting = false;
      ++round;
      PostMessageA(w, WM_APP, 0, 0);
    }
  }
  std::sort(motion.begin(), motion.end());
  BenchSay("done frames=%d us=%.0f fps=%.1f own_us=%.1f motion_us=%.1f motion_max_us=%.1f paints=%d lines=%d",
           frames, total, frames / (total / 1e6), own, motion.empty() ? 0.0 : motion[motion.size() / 2],
           motion.empty() ? 0.0 : motion.back(), mostPaints, lines);
  while (!BenchStopped() && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyWindow(w);
  JetFreeOffscreen();
  JetDeletePens();
  JetFree(&gJet);
  return 0;
}
