// wireframe_svg: draws the built-in jet, the 3D pointer and the axis arrows
// as a wire-frame SVG, line by line as the jet demo draws them: points through
// model-view, each line's copy clipped to the near and far planes, projected
// by the demo's screen matrix. Used to produce docs/jet.svg.
//
//   wireframe_svg [output.svg]      (standard output when no file is named)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "jet/object.h"
#include "slim/gyx_slim.h"

namespace {

const int kSize = 520;       // one panel, as the demo's square window
const float kNear = -30.0f;  // clip planes in camera space (looking down -z)
const float kFar = -50000.0f;
const float kEyeDistance = 3330.0f;

void Mult(float out[16], const float a[16], const float b[16]) {
  GYX_Mult44x44(out, a, b);
}

// Perspective with a 25 degree half-angle, y flipped, shifted and scaled so
// that camera space lands in the square (0, 0)-(size, size).
void ScreenMatrix(float s[16], int size) {
  GYX_MakeIdentityMatrix(s);
  s[10] = -1.0f;
  s[11] = static_cast<float>(-std::tan(0.4363323251406352));
  s[15] = 0.0f;
  float m[16];
  GYX_MakeScaleMatrix(m, 1.0f, -1.0f, 1.0f);
  Mult(s, s, m);
  const float shift[3] = {1.0f, 1.0f, 0.0f};
  GYX_MakeTranslationMatrix(m, shift);
  Mult(s, s, m);
  const float h = size * 0.5f;
  GYX_MakeScaleMatrix(m, h, h, h);
  Mult(s, s, m);
}

// One object as an SVG path: every line its own move and draw, whole pixels.
void DrawObject(FILE *out, const WireObject &o, const float modelView[16], const float screen[16], int dx,
                const char *colour) {
  std::vector<float> scratch(static_cast<size_t>(o.pointCount) * 4);
  for (int i = 0; i < o.pointCount; ++i) {
    GYX_MultFull14x44(&scratch[i * 4], &o.points[i].x, modelView);
    scratch[i * 4 + 3] = 1.0f;
  }
  std::fprintf(out, "<path stroke=\"%s\" d=\"", colour);
  for (int i = 0; i < o.lineCount; ++i) {
    float a[4], b[4];
    for (int k = 0; k < 4; ++k) {
      a[k] = scratch[o.lines[i].from * 4 + k];
      b[k] = scratch[o.lines[i].to * 4 + k];
    }
    if (GYX_ClipZ(a, b, kNear, kFar) != 1) continue;
    GYX_MultFull14x44(a, a, screen);
    GYX_MultFull14x44(b, b, screen);
    std::fprintf(out, "M%d %dL%d %d", static_cast<int>(a[0]) + dx, static_cast<int>(a[1]),
                 static_cast<int>(b[0]) + dx, static_cast<int>(b[1]));
  }
  std::fprintf(out, "\"/>\n");
}

// One panel: the jet under `view`, the pointer at its start pose and the
// three axis arrows at the pointer's position in world orientation.
void DrawPanel(FILE *out, const ObjectSet &set, const float view[16], int dx) {
  float eye[16], screen[16], mv[16], m[16];
  const float eyeShift[3] = {0.0f, 0.0f, -kEyeDistance};
  GYX_MakeTranslationMatrix(eye, eyeShift);
  ScreenMatrix(screen, kSize);
  Mult(mv, view, eye);

  std::fprintf(out, "<rect x=\"%d\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"black\"/>\n", dx, kSize, kSize);
  DrawObject(out, set.main, mv, screen, dx, "#ff00ff");

  // The pointer's start pose: turned to show its pyramid, a quarter size,
  // placed in front of the jet's left wing.
  float pointer[16];
  GYX_MakeXRotMatrix(pointer, -0.7853982f);
  GYX_MakeYRotMatrix(m, 0.7853982f);
  Mult(pointer, pointer, m);
  GYX_MakeScaleMatrix(m, 0.25f, 0.25f, 0.25f);
  Mult(pointer, pointer, m);
  const float place[3] = {-700.0f, 450.0f, 0.0f};
  GYX_SetMatrixTranslation(pointer, place);
  Mult(m, pointer, mv);
  DrawObject(out, set.pointer, m, screen, dx, "#00ff00");

  float am[16];
  GYX_GetTranslationMatrix(am, pointer);
  Mult(am, am, mv);
  const char *colours[3] = {"#0000ff", "#00ff00", "#ff0000"};  // along z, y, x
  for (int i = 0; i < 3; ++i) DrawObject(out, set.axisArrow[i], am, screen, dx, colours[i]);
}

// Turns the second and third arrows from +z onto +y and +x.
void TurnArrows(ObjectSet *set) {
  float toY[16], toX[16];
  GYX_MakeXRotMatrix(toY, -1.5707964f);
  GYX_MakeYRotMatrix(toX, 1.5707964f);
  const WireObject &first = set->axisArrow[0];
  for (int i = 0; i < first.pointCount; ++i) {
    GYX_Mult14x44(&set->axisArrow[1].points[i].x, &first.points[i].x, toY);
    GYX_Mult14x44(&set->axisArrow[2].points[i].x, &first.points[i].x, toX);
  }
}

}  // namespace

int main(int argc, char **argv) {
  ObjectSet set;
  if (LoadObjects(&set, nullptr) != OBJECT_OK) {
    std::fprintf(stderr, "wireframe_svg: cannot build the objects\n");
    return 1;
  }
  TurnArrows(&set);
  FILE *out = argc > 1 ? std::fopen(argv[1], "w") : stdout;
  if (out == nullptr) {
    std::perror(argv[1]);
    FreeObjects(&set);
    return 1;
  }

  std::fprintf(out,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "viewBox=\"0 0 %d %d\" fill=\"none\" stroke-width=\"1\">\n",
               2 * kSize + 8, kSize, 2 * kSize + 8, kSize);

  // Left: the demo's start-up view, from above with the nose up.
  float view[16];
  GYX_MakeIdentityMatrix(view);
  DrawPanel(out, set, view, 0);

  // Right: the world turned nose towards the lower left, then tilted so the
  // jet is seen from the front left and above.
  float m[16];
  const float axisZ[3] = {0.0f, 0.0f, 1.0f};
  GYX_ArbitraryAxisToMatrix(view, axisZ, -2.3f);  // turns by +2.3 about z
  GYX_MakeXRotMatrix(m, -0.6f);
  Mult(view, view, m);
  DrawPanel(out, set, view, kSize + 8);

  std::fprintf(out, "</svg>\n");
  const bool failed = std::ferror(out) != 0;
  if (out != stdout) std::fclose(out);
  FreeObjects(&set);
  return failed ? 1 : 0;
}
