// Wire-frame drawing of the jet demo: the scene by mode, and one object as
// transformed points (once per point, into the scratch made at start-up),
// lines clipped on copies of their ends and projected. Called by the main
// window's paint handling and by the frame benchmark.
#include "jet/draw.h"

#include <cstring>

namespace {

void Mult(float out[16], const float a[16], const float b[16]) {
  GYX_Mult44x44(out, a, b);
}

void DrawObject(Jet *jet, const JetCanvas *canvas, int32_t pen, const WireObject &o,
                const float modelView[16]) {
  canvas->ops->selectPen(canvas->context, pen);
  DrawWireObject(canvas, jet->scratch, o.points, o.pointCount, o.lines, o.lineCount, modelView,
                 jet->view.screen);
  canvas->ops->restorePen(canvas->context);
}

}  // namespace

void DrawWireObject(const JetCanvas *canvas, float *scratch, const ObjectPoint *points, int32_t pointCount,
                    const ObjectLine *lines, int32_t lineCount, const float modelView[16],
                    const float screen[16]) {
  for (int32_t i = 0; i < pointCount; ++i) {
    GYX_MultFull14x44(&scratch[4 * i], &points[i].x, modelView);
    scratch[4 * i + 3] = 1.0f;
  }
  const JetCanvasOps *ops = canvas->ops;
  for (int32_t i = 0; i < lineCount; ++i) {
    // Clipping moves the copies only: the scratch serves every line of a point.
    float a[4], b[4];
    std::memcpy(a, &scratch[4 * lines[i].from], sizeof a);
    std::memcpy(b, &scratch[4 * lines[i].to], sizeof b);
    if (GYX_ClipZ(a, b, JET_NEAR_Z, JET_FAR_Z) != 1) continue;
    GYX_MultFull14x44(a, a, screen);
    GYX_MultFull14x44(b, b, screen);
    ops->moveTo(canvas->context, static_cast<int32_t>(a[0]), static_cast<int32_t>(a[1]));
    ops->lineTo(canvas->context, static_cast<int32_t>(b[0]), static_cast<int32_t>(b[1]));
  }
}

void DrawScene(Jet *jet, const JetCanvas *canvas) {
  const JetState &s = jet->state;
  const JetView &v = jet->view;
  const ObjectSet &o = jet->objects;
  const int32_t size = jet->size;
  canvas->ops->clear(canvas->context, size);

  float mv[16], m[16];
  Mult(mv, v.view, v.eye);
  DrawObject(jet, canvas, JET_PEN_OBJECT, o.main, mv);

  if (s.pointerMode) {
    canvas->ops->selectPen(canvas->context, JET_PEN_GREEN);
    const int32_t half = size / 2, from = 3 * size / 7, to = 4 * size / 7;
    canvas->ops->moveTo(canvas->context, half, from);
    canvas->ops->lineTo(canvas->context, half, to);
    canvas->ops->moveTo(canvas->context, from, half);
    canvas->ops->lineTo(canvas->context, to, half);
    canvas->ops->restorePen(canvas->context);
    Mult(m, v.pointer, mv);
    DrawObject(jet, canvas, JET_PEN_GREEN, o.pointer, m);
  }
  if (s.objectMode) {
    if (s.edgeSelected) {
      Mult(m, v.edgeScale, v.edgeFrame);
      Mult(m, m, mv);
      DrawObject(jet, canvas, JET_PEN_GREEN, o.edgeMarker, m);
    } else {
      Mult(m, v.pointer, mv);
      DrawObject(jet, canvas, JET_PEN_GREEN, o.pointer, m);
    }
  }
  if (s.axesMode) {
    // At the pointer's place in the world's orientation, at full size.
    GYX_GetTranslationMatrix(m, v.pointer);
    Mult(m, m, mv);
    DrawObject(jet, canvas, JET_PEN_BLUE, o.axisArrow[0], m);
    DrawObject(jet, canvas, JET_PEN_GREEN, o.axisArrow[1], m);
    DrawObject(jet, canvas, JET_PEN_RED, o.axisArrow[2], m);
  }
  if (s.doubleBuffer) canvas->ops->present(canvas->context, size);
  ++jet->frames;
}
