/* process.h — motion processing of the jet demo: resetting the view,
 * picking the vertex or edge nearest to a mouse click or to the pointer, the
 * edge frame, and turning controller motion into movement of the world or of
 * the 3D pointer. Portable; called by the window procedure and the event
 * handlers. */
#ifndef GYX_JET_PROCESS_H
#define GYX_JET_PROCESS_H

#include <stdint.h>

#include "jet/jet.h"

/* The view state's start values: identity pointer turned and shrunk to a
 * quarter, identity view, the eye at 3330 units, the screen matrix for the
 * jet's size, and the second and third axis arrows turned from +z onto +y
 * and +x. Leaves the pivot, the axis locks, the motion states, the edge
 * frame and the settings alone. */
void ResetView(Jet *jet);

/* The nearest vertex of the main object to (x, y[, z]) after M (distance in
 * x and y, plus z when useZ); the earlier of equal distances wins. Puts the
 * pointer there, or in pointer mode onto the viewing axis; with allowEdges
 * outside axes mode a line midpoint at least as near wins and selects that
 * edge. Returns the vertex index, -1 for an object without points. */
int32_t PickNearest(Jet *jet, float x, float y, float z, bool useZ, const float M[16],
                    const ObjectLine *lines, int32_t lineCount, bool allowEdges);

/* A mouse click at (x, y) in the window: picks through view * eye * screen. */
void PickAtScreen(Jet *jet, int32_t x, int32_t y);

/* F = the frame with its origin at a and its z axis along b - a: a full
 * affine matrix (last column 0, 0, 0, 1). a and b must differ. */
void BuildEdgeFrame(float F[16], const float a[3], const float b[3]);

/* One motion, combo or zero event: moves the world about the pointer, or the
 * pointer itself while Shift is held, as the settings and the mode say, and
 * asks for a redraw. */
void JetApplyMotion(Jet *jet, const GiEvent *event);

/* Axes mode: keeps one component of v (x, y or z) and zeroes the others. The
 * component of `axis` (1..3, 0 = none yet) stays unless another exceeds it by
 * half again; with none yet the largest wins. Returns the axis kept. */
int32_t LockToAxis(float v[3], int32_t axis);

/* Axes mode: keeps the locked component of either t or r, whose locked axes
 * are tAxis and rAxis; the other kind takes over only when its value is twice
 * the current one. kind: 1 translation, 2 rotation, 0 none yet. Returns the
 * kind kept. */
int32_t ChooseLockedKind(float t[3], float r[3], int32_t tAxis, int32_t rAxis, int32_t kind);

#endif
