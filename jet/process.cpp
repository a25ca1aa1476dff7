// Motion processing of the jet demo (module Process): the view reset, picking
// by mouse and by pointer, the edge frame, and every motion event turned into
// movement of the world about the pointer or of the pointer itself, through
// the switches, the single-axis filter, the edge constraint, the axis lock,
// the sensitivity and keep-in-view. Called by the shell and the handlers.
#include "jet/process.h"

#include <cmath>
#include <cstring>

namespace {

const float kEyeDistance = -3330.0f;
const double kHalfFieldOfView = 0.4363323251406352;  // 25 degrees
const float kTranslationScale = 0.00025f;            // controller counts to motion units
const float kRotationScale = 0.000125f;
const double kTranslationGain = 1400000.0;  // times the sensitivity
const double kRotationGain = 4000.0;

// Keep-in-view: the pointer stays inside this pyramid in camera space.
const float kKeepFieldOfView = 50.0f;
const float kKeepNear = 30.0f;
const float kKeepFar = 50000.0f;

void Mult(float out[16], const float a[16], const float b[16]) {
  GYX_Mult44x44(out, a, b);
}

bool AllZero(const float m[GYX_MOTION_SIZE]) {
  for (int i = GYX_TX; i <= GYX_RZ; ++i)
    if (m[i] != 0.0f) return false;  // -0 counts as zero
  return true;
}

double Square(double v) {
  return v * v;
}

// The controller's tz, rx and ry point the other way from the view's axes.
void FlipControllerAxes(float m[GYX_MOTION_SIZE]) {
  m[GYX_TZ] = -m[GYX_TZ];
  m[GYX_RX] = -m[GYX_RX];
  m[GYX_RY] = -m[GYX_RY];
}

void ScaleBySensitivity(float m[GYX_MOTION_SIZE], float sensitivity) {
  const double t = sensitivity * kTranslationGain, r = sensitivity * kRotationGain;
  for (int i = GYX_TX; i <= GYX_TZ; ++i) m[i] = static_cast<float>(m[i] * t);
  for (int i = GYX_RX; i <= GYX_RZ; ++i) m[i] = static_cast<float>(m[i] * r);
}

void ThroughTwo(float v[3], const float a[16], const float b[16]) {
  GYX_Mult13x33(v, v, a);
  GYX_Mult13x33(v, v, b);
}

// Shift held: the pointer moves in camera axes about its own origin; at rest
// it may snap to the object's vertex nearest to it in space.
void MovePointer(Jet *jet, float m[GYX_MOTION_SIZE]) {
  JetState &s = jet->state;
  JetView &v = jet->view;
  if (s.edgeSelected || !s.objectMode) return;
  if (s.singleAxis) GYX_HighValueFilter(m, 6);
  ScaleBySensitivity(m, s.sensitivity);

  float ve[16], veInverse[16], p[16];
  Mult(ve, v.view, v.eye);
  GYX_InvertMatrix(veInverse, ve);
  Mult(p, v.pointer, ve);
  const float origin[3] = {0.0f, 0.0f, 0.0f};
  GYX_ObjectMotion(p, m, p, origin, 0, &v.pointerMotion);
  if (s.keepInView) GYX_KeepClip(&p[12], kKeepFieldOfView, 1.0f, kKeepNear, kKeepFar);
  Mult(v.pointer, p, veInverse);

  if (s.snapToGrid && AllZero(m)) {
    float inverse[16];
    GYX_InvertMatrix(inverse, v.pointer);
    PickNearest(jet, 0.0f, 0.0f, 0.0f, true, inverse, jet->objects.main.lines, jet->objects.main.lineCount,
                false);
  }
}

// Pointer mode at rest: the pointer goes onto the viewing axis, at the depth
// of the vertex nearest to that axis.
void PointerOntoViewingAxis(Jet *jet, const float viewInverse[16]) {
  JetView &v = jet->view;
  const WireObject &o = jet->objects.main;
  if (o.pointCount == 0) return;
  double best = 99999997952.0;
  float nearest[3] = {0.0f, 0.0f, 0.0f};
  for (int32_t i = 0; i < o.pointCount; ++i) {
    float q[3];
    GYX_Mult14x44(q, &o.points[i].x, v.view);
    GYX_Mult14x44(q, q, v.eye);
    const double d = Square(q[0]) + Square(q[1]);
    if (d <= best) {  // the later of equal distances wins
      best = d;
      std::memcpy(nearest, q, sizeof nearest);
    }
  }
  float c[3] = {0.0f, 0.0f, nearest[2]};
  GYX_Mult14x44(c, c, v.eyeInverse);
  GYX_Mult14x44(c, c, viewInverse);
  GYX_SetMatrixTranslation(v.pointer, c);
}

// A picked edge: only a turn about the edge survives, and only when it is the
// largest part of the rotation.
void ConstrainToEdge(JetView &v, float m[GYX_MOTION_SIZE], const float viewInverse[16]) {
  FlipControllerAxes(m);
  float w[3] = {m[GYX_RX], m[GYX_RY], m[GYX_RZ]};
  ThroughTwo(w, v.eyeInverse, viewInverse);
  GYX_Mult13x33(w, w, v.edgeFrameInverse);
  GYX_HighValueFilter(w, 3);
  w[0] = 0.0f;
  w[1] = 0.0f;
  GYX_Mult13x33(w, w, v.edgeFrame);
  ThroughTwo(w, v.view, v.eye);
  m[GYX_RX] = w[0];
  m[GYX_RY] = w[1];
  m[GYX_RZ] = w[2];
  FlipControllerAxes(m);
}

// Axes mode: one component of one kind, along one world axis.
void LockToWorldAxis(JetView &v, float m[GYX_MOTION_SIZE], const float viewInverse[16]) {
  FlipControllerAxes(m);
  float t[3] = {m[GYX_TX], m[GYX_TY], m[GYX_TZ]};
  float r[3] = {m[GYX_RX], m[GYX_RY], m[GYX_RZ]};
  ThroughTwo(t, v.eyeInverse, viewInverse);
  ThroughTwo(r, v.eyeInverse, viewInverse);
  v.translationAxis = LockToAxis(t, v.translationAxis);
  v.rotationAxis = LockToAxis(r, v.rotationAxis);
  v.lockedKind = ChooseLockedKind(t, r, v.translationAxis, v.rotationAxis, v.lockedKind);
  ThroughTwo(t, v.view, v.eye);
  ThroughTwo(r, v.view, v.eye);
  std::memcpy(&m[GYX_TX], t, sizeof t);
  std::memcpy(&m[GYX_RX], r, sizeof r);
  FlipControllerAxes(m);
}

void MoveWorld(Jet *jet, float m[GYX_MOTION_SIZE]) {
  JetState &s = jet->state;
  JetView &v = jet->view;
  float viewInverse[16], ve[16];
  GYX_InvertMatrix(v.eyeInverse, v.eye);
  GYX_InvertMatrix(viewInverse, v.view);
  Mult(ve, v.view, v.eye);

  if (s.pointerMode && AllZero(m)) PointerOntoViewingAxis(jet, viewInverse);
  if (s.objectMode && s.edgeSelected) ConstrainToEdge(v, m, viewInverse);
  if (s.axesMode) LockToWorldAxis(v, m, viewInverse);

  GYX_GetTranslationVector(v.pivot, v.pointer);
  if (s.singleAxis) GYX_HighValueFilter(m, 6);
  ScaleBySensitivity(m, s.sensitivity);
  GYX_ObjectMotion(ve, m, ve, v.pivot, 0, &v.worldMotion);

  if (s.keepInView) {
    // The world moves so that the pointer stays in view.
    float p[16], before[3];
    Mult(p, v.pointer, ve);
    std::memcpy(before, &p[12], sizeof before);
    if (GYX_KeepClip(&p[12], kKeepFieldOfView, 1.0f, kKeepNear, kKeepFar) == 1)
      for (int i = 0; i < 3; ++i)
        ve[12 + i] = static_cast<float>(ve[12 + i] + (static_cast<double>(p[12 + i]) - before[i]));
  }
  Mult(v.view, ve, v.eyeInverse);
}

}  // namespace

void ResetView(Jet *jet) {
  JetView &v = jet->view;
  float m[16];
  GYX_MakeIdentityMatrix(v.pointer);
  GYX_MakeIdentityMatrix(v.view);
  GYX_MakeIdentityMatrix(v.eye);
  v.eye[14] = kEyeDistance;
  GYX_InvertMatrix(v.eyeInverse, v.eye);

  // Perspective with a 25 degree half-angle, y flipped, shifted and scaled so
  // that a camera-space point lands in the square (0, 0)-(s, s), y down.
  GYX_MakeIdentityMatrix(v.screen);
  v.screen[10] = -1.0f;
  v.screen[11] = static_cast<float>(-std::tan(kHalfFieldOfView));
  v.screen[15] = 0.0f;
  GYX_MakeScaleMatrix(m, 1.0f, -1.0f, 1.0f);
  Mult(v.screen, v.screen, m);
  const float shift[3] = {1.0f, 1.0f, 0.0f};
  GYX_MakeTranslationMatrix(m, shift);
  Mult(v.screen, v.screen, m);
  const float h = static_cast<float>(jet->size * 0.5);
  GYX_MakeScaleMatrix(m, h, h, h);
  Mult(v.screen, v.screen, m);

  // The pointer turned so that its pyramid shows, at a quarter of its size.
  GYX_MakeXRotMatrix(m, -0.7853982f);
  Mult(v.pointer, v.pointer, m);
  GYX_MakeYRotMatrix(m, 0.7853982f);
  Mult(v.pointer, v.pointer, m);
  GYX_MakeScaleMatrix(m, 0.25f, 0.25f, 0.25f);
  Mult(v.pointer, v.pointer, m);

  // The first arrow points along +z; the others are turned from it.
  float toY[16], toX[16];
  GYX_MakeXRotMatrix(toY, -1.5707964f);
  GYX_MakeYRotMatrix(toX, 1.5707964f);
  WireObject *arrow = jet->objects.axisArrow;
  for (int32_t i = 0; i < arrow[0].pointCount; ++i) {
    if (i < arrow[1].pointCount) GYX_Mult14x44(&arrow[1].points[i].x, &arrow[0].points[i].x, toY);
    if (i < arrow[2].pointCount) GYX_Mult14x44(&arrow[2].points[i].x, &arrow[0].points[i].x, toX);
  }
}

void BuildEdgeFrame(float F[16], const float a[3], const float b[3]) {
  const double dx = static_cast<double>(b[0]) - a[0], dy = static_cast<double>(b[1]) - a[1],
               dz = static_cast<double>(b[2]) - a[2];
  const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
  float z[3] = {static_cast<float>(dx / length), static_cast<float>(dy / length),
                static_cast<float>(dz / length)};
  // Any vector off the edge's line will do for the cross product.
  float h[3] = {z[0], z[1], z[2]};
  if (z[1] != 0.0f)
    h[0] = static_cast<float>(h[0] + 1.0);
  else
    h[1] = static_cast<float>(h[1] + 1.0);
  float y[3], x[3];
  GYX_CrossProduct(y, z, h);
  const double ny = std::sqrt(Square(y[0]) + Square(y[1]) + Square(y[2]));
  for (float &c : y) c = static_cast<float>(c / ny);
  GYX_CrossProduct(x, y, z);
  const float rows[4][4] = {
      {x[0], x[1], x[2], 0.0f}, {y[0], y[1], y[2], 0.0f}, {z[0], z[1], z[2], 0.0f}, {a[0], a[1], a[2], 1.0f}};
  std::memcpy(F, rows, sizeof rows);
}

int32_t PickNearest(Jet *jet, float x, float y, float z, bool useZ, const float M[16],
                    const ObjectLine *lines, int32_t lineCount, bool allowEdges) {
  JetState &s = jet->state;
  JetView &v = jet->view;
  const WireObject &o = jet->objects.main;
  auto distance = [&](const float *p) {
    float q[3];
    GYX_MultFull14x44(q, p, M);
    double d = Square(static_cast<double>(q[0]) - x) + Square(static_cast<double>(q[1]) - y);
    if (useZ) d += Square(static_cast<double>(q[2]) - z);
    return d;
  };

  int32_t vertex = -1;
  double dv = 1e32;
  for (int32_t i = 0; i < o.pointCount; ++i) {
    const double d = distance(&o.points[i].x);
    if (d < dv) {  // the earlier of equal distances stays
      dv = d;
      vertex = i;
    }
  }
  if (vertex < 0) return -1;

  if (s.pointerMode) {
    float inverse[16], c[3] = {0.0f, 0.0f, v.view[14]};
    GYX_InvertMatrix(inverse, v.view);
    GYX_Mult14x44(c, c, inverse);
    GYX_SetMatrixTranslation(v.pointer, c);
    return vertex;
  }

  if (allowEdges && !s.axesMode) {
    int32_t edge = -1;
    double de = 1e32;
    for (int32_t i = 0; i < lineCount; ++i) {
      const double d = distance(&lines[i].mx);
      if (d < de) {
        de = d;
        edge = i;
      }
    }
    if (edge >= 0 && !(dv < de)) {  // a tie goes to the edge
      const float *a = &o.points[lines[edge].from].x, *b = &o.points[lines[edge].to].x;
      s.edgeSelected = true;
      BuildEdgeFrame(v.edgeFrame, a, b);
      const double length =
          std::sqrt(Square(static_cast<double>(b[0]) - a[0]) + Square(static_cast<double>(b[1]) - a[1]) +
                    Square(static_cast<double>(b[2]) - a[2]));
      GYX_MakeScaleMatrix(v.edgeScale, 1.0f, 1.0f, static_cast<float>(length));
      GYX_InvertMatrix(v.edgeFrameInverse, v.edgeFrame);
      GYX_SetMatrixTranslation(v.pointer, a);
      return vertex;
    }
    s.edgeSelected = false;
  }
  GYX_SetMatrixTranslation(v.pointer, &o.points[vertex].x);
  return vertex;
}

void PickAtScreen(Jet *jet, int32_t x, int32_t y) {
  float m[16];
  Mult(m, jet->view.view, jet->view.eye);
  Mult(m, m, jet->view.screen);
  const WireObject &o = jet->objects.main;
  PickNearest(jet, static_cast<float>(x), static_cast<float>(y), 0.0f, false, m, o.lines, o.lineCount, true);
}

int32_t LockToAxis(float v[3], int32_t axis) {
  const double a[3] = {std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])};
  int32_t keep;
  if (axis >= 1 && axis <= 3) {
    // Another axis wins only when it exceeds the current one by half again.
    const double limit = std::fabs(1.5 * v[axis - 1]);
    const int32_t first = axis == 1 ? 2 : 1, second = axis == 3 ? 2 : 3;
    if (a[first - 1] > limit)
      keep = first;
    else if (a[second - 1] > limit)
      keep = second;
    else
      keep = axis;
  } else if (a[0] >= a[1] && a[0] >= a[2]) {
    keep = 1;
  } else if (a[1] < a[2]) {
    keep = 3;
  } else {
    keep = 2;
  }
  for (int32_t i = 1; i <= 3; ++i)
    if (i != keep) v[i - 1] = 0.0f;
  return keep;
}

int32_t ChooseLockedKind(float t[3], float r[3], int32_t tAxis, int32_t rAxis, int32_t kind) {
  float &tc = t[tAxis - 1], &rc = r[rAxis - 1];
  const double tv = std::fabs(tc), rv = std::fabs(rc);
  if (kind == 1) {
    if (rv < 2.0 * tv) {
      rc = 0.0f;
      return 1;
    }
    tc = 0.0f;
    return 2;
  }
  if (kind == 2) {
    if (tv < 2.0 * rv) {
      tc = 0.0f;
      return 2;
    }
    rc = 0.0f;
    return 1;
  }
  if (tv < rv) {
    tc = 0.0f;
    return 2;
  }
  rc = 0.0f;
  return 1;
}

void JetApplyMotion(Jet *jet, const GiEvent *event) {
  JetState &s = jet->state;
  float m[GYX_MOTION_SIZE];
  m[GYX_TX] = static_cast<float>(event->tx) * kTranslationScale;
  m[GYX_TY] = static_cast<float>(event->ty) * kTranslationScale;
  m[GYX_TZ] = static_cast<float>(event->tz) * kTranslationScale;
  m[GYX_RX] = static_cast<float>(event->rx) * kRotationScale;
  m[GYX_RY] = static_cast<float>(event->ry) * kRotationScale;
  m[GYX_RZ] = static_cast<float>(event->rz) * kRotationScale;
  m[GYX_PERIOD] = static_cast<float>(event->period);
  if (!s.translationOn) m[GYX_TX] = m[GYX_TY] = m[GYX_TZ] = 0.0f;
  if (!s.rotationOn) m[GYX_RX] = m[GYX_RY] = m[GYX_RZ] = 0.0f;

  if (s.shiftDown)
    MovePointer(jet, m);
  else
    MoveWorld(jet, m);
  s.redrawNeeded = true;
}
