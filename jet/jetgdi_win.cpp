// GDI drawing of the jet demo: the five pens, the off-screen bitmap made at
// the first paint, and the canvas the portable scene draws through (lines
// with MoveToEx/LineTo, the black square, the block copy to the window).
// Called by the main window's paint handling and the frame benchmark.
#include "jet/draw.h"
#include "jet/jetplat.h"

namespace {

HPEN gPens[JET_PEN_COUNT];
HDC gMemoryDc;
HBITMAP gBitmap;
HGDIOBJ gFirstBitmap;

const COLORREF kPenColours[JET_PEN_COUNT] = {
    RGB(255, 0, 255),  // object
    RGB(0, 255, 0),    // green
    RGB(255, 0, 0),    // red
    RGB(0, 0, 255),    // blue
    RGB(0, 0, 0),      // black
};

struct GdiCanvas {
  HDC target;  // the memory context when double buffering, else the window's
  HDC window;
  HGDIOBJ previousPen;
};

GdiCanvas *Of(void *c) {
  return static_cast<GdiCanvas *>(c);
}

void Clear(void *c, int32_t size) {
  HDC dc = Of(c)->target;
  HGDIOBJ brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 0, 0, size, size);  // outlined with the context's pen, black by default
  SelectObject(dc, brush);
}

void SelectPen(void *c, int32_t pen) {
  Of(c)->previousPen = SelectObject(Of(c)->target, gPens[pen]);
}

void RestorePen(void *c) {
  SelectObject(Of(c)->target, Of(c)->previousPen);
}

void MoveTo(void *c, int32_t x, int32_t y) {
  MoveToEx(Of(c)->target, x, y, nullptr);
}

void LineTo(void *c, int32_t x, int32_t y) {
  ::LineTo(Of(c)->target, x, y);
}

void Present(void *c, int32_t size) {
  BitBlt(Of(c)->window, 0, 0, size, size, Of(c)->target, 0, 0, SRCCOPY);
}

const JetCanvasOps kGdiOps = {
    .clear = Clear,
    .selectPen = SelectPen,
    .restorePen = RestorePen,
    .moveTo = MoveTo,
    .lineTo = LineTo,
    .present = Present,
};

}  // namespace

bool JetCreatePens() {
  for (int i = 0; i < JET_PEN_COUNT; ++i) {
    gPens[i] = CreatePen(PS_SOLID, 1, kPenColours[i]);
    if (gPens[i] == nullptr) {
      GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
      JetDeletePens();
      return false;
    }
  }
  return true;
}

void JetDeletePens() {
  for (HPEN &pen : gPens) {
    if (pen != nullptr) DeleteObject(pen);
    pen = nullptr;
  }
}

void JetPaint(HWND window, Jet *jet) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (gMemoryDc == nullptr) {
    gMemoryDc = CreateCompatibleDC(nullptr);
    gBitmap = CreateCompatibleBitmap(dc, jet->size, jet->size);
    if (gMemoryDc == nullptr || gBitmap == nullptr) {
      GiLogError(__FILE__, __LINE__, static_cast<int32_t>(GetLastError()));
      JetFreeOffscreen();
    } else {
      gFirstBitmap = SelectObject(gMemoryDc, gBitmap);
    }
  }
  jet->state.redrawNeeded = false;
  // Without the bitmap (it could not be made) the picture goes straight to the window.
  const bool offscreen = jet->state.doubleBuffer && gMemoryDc != nullptr;
  GdiCanvas canvas = {offscreen ? gMemoryDc : dc, dc, nullptr};
  const JetCanvas c = {&kGdiOps, &canvas};
  if (gPens[0] != nullptr) {
    const bool doubleBuffer = jet->state.doubleBuffer;
    jet->state.doubleBuffer = offscreen;
    DrawScene(jet, &c);
    jet->state.doubleBuffer = doubleBuffer;
  }
  EndPaint(window, &ps);
}

void JetFreeOffscreen() {
  if (gMemoryDc != nullptr && gFirstBitmap != nullptr) SelectObject(gMemoryDc, gFirstBitmap);
  if (gBitmap != nullptr) DeleteObject(gBitmap);
  if (gMemoryDc != nullptr) DeleteDC(gMemoryDc);
  gMemoryDc = nullptr;
  gBitmap = nullptr;
  gFirstBitmap = nullptr;
}
