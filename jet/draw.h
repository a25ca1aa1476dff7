/* draw.h — the jet demo's scene as lines: the main object, and by mode the
 * pointer, the cross-hair, the picked edge's marker or the axis arrows, each
 * clipped to the near and far planes and projected. Portable: it draws
 * through a canvas (GDI in the program, a line recorder in the tests). */
#ifndef GYX_JET_DRAW_H
#define GYX_JET_DRAW_H

#include <stdint.h>

#include "jet/jet.h"

/* The five pens (solid, width 1). Black draws nothing; it exists so that
 * every pen the program owns is made and deleted in one place. */
enum { JET_PEN_OBJECT, JET_PEN_GREEN, JET_PEN_RED, JET_PEN_BLUE, JET_PEN_BLACK, JET_PEN_COUNT };

/* Clip planes in camera space (the camera looks down -z). */
#define JET_NEAR_Z (-30.0f)
#define JET_FAR_Z (-50000.0f)

/* Where the scene goes. */
struct JetCanvasOps {
  /* Fills the square (0, 0)-(size, size) black. */
  void (*clear)(void *context, int32_t size);
  /* Selects a pen; restorePen selects the pen that was in use before it. */
  void (*selectPen)(void *context, int32_t pen);
  void (*restorePen)(void *context);
  void (*moveTo)(void *context, int32_t x, int32_t y);
  void (*lineTo)(void *context, int32_t x, int32_t y);
  /* Double buffering: copies the off-screen square (0, 0)-(size, size) to the window. */
  void (*present)(void *context, int32_t size);
};

struct JetCanvas {
  const JetCanvasOps *ops;
  void *context;
};

/* The whole scene, a black square first; presented when doubleBuffer is set. */
void DrawScene(Jet *jet, const JetCanvas *canvas);

/* One wire object: every point through modelView into scratch (4 floats per
 * point, at least pointCount of them), then every line from copies of its two
 * ends, clipped to JET_NEAR_Z..JET_FAR_Z, through screen and divided by w,
 * drawn with its own move. */
void DrawWireObject(const JetCanvas *canvas, float *scratch, const ObjectPoint *points, int32_t pointCount,
                    const ObjectLine *lines, int32_t lineCount, const float modelView[16],
                    const float screen[16]);

#endif
