/* gyx_slim.h — the small 3D matrix library of the jet demo (and, for
 * GYX_HighValueFilter alone, the driver's single-axis filter).
 * One operation per source module; every operation is a plain C function.
 *
 * Conventions, binding for every operation:
 *  - A matrix is 16 floats, row-major: element (row, col) is m[row*4 + col].
 *  - Points and vectors are ROW vectors multiplied on the left: p' = p * M.
 *    So the translation lives in row 3 (m[12], m[13], m[14]), m[15] is 1 in
 *    every affine matrix, and column 3 (m[3], m[7], m[11]) is 0 except in a
 *    projection matrix.
 *  - Composition: A * B applies A first, then B.
 *  - A vector is 3 consecutive floats x, y, z. Point operations read only
 *    x, y, z (w is taken as 1) and write only x, y, z, so callers may keep
 *    points as 4 floats (x, y, z, 1) and pass pointers to them.
 *  - Angles are radians, except the field of view of GYX_KeepClip (degrees).
 *  - Storage is 32-bit float; every result is computed in double from the
 *    float inputs and rounded to float once, when stored.
 *  - Alias-safe: any output may be the same array as any input (products go
 *    through a temporary; vector operations read all inputs before writing).
 *  - Nothing allocates and nothing keeps hidden state; the only state, that
 *    of GYX_ObjectMotion, is a record the caller owns.
 */
#ifndef GYX_SLIM_H
#define GYX_SLIM_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Construction and copying ------------------------------------------ */

/* m = identity. */
void GYX_MakeIdentityMatrix(float m[16]);
/* dst = src (16 floats). */
void GYX_CopyMatrix(float dst[16], const float src[16]);
/* m = identity with m[0] = sx, m[5] = sy, m[10] = sz. */
void GYX_MakeScaleMatrix(float m[16], float sx, float sy, float sz);
/* m = identity with m[12..14] = v. */
void GYX_MakeTranslationMatrix(float m[16], const float v[3]);
/* m turns points by +a about x: y' = y cos a - z sin a, z' = y sin a + z cos a
 * (counter-clockwise looking down the positive axis towards the origin). */
void GYX_MakeXRotMatrix(float m[16], float a);
/* m turns points by +a about y: z' = z cos a - x sin a, x' = z sin a + x cos a. */
void GYX_MakeYRotMatrix(float m[16], float a);
/* m turns points by -(|axis| * angleScale) about axis: the OPPOSITE sense to
 * GYX_MakeXRotMatrix for the same axis and angle (GYX_ObjectMotion relies on
 * it). An axis shorter than 0.0001 gives the identity. */
void GYX_ArbitraryAxisToMatrix(float m[16], const float axis[3], float angleScale);
/* m[12..14] = v; nothing else changes. */
void GYX_SetMatrixTranslation(float m[16], const float v[3]);
/* out = identity with out[12..14] = m[12..14]. */
void GYX_GetTranslationMatrix(float out[16], const float m[16]);
/* v = m[12..14]. */
void GYX_GetTranslationVector(float v[3], const float m[16]);
/* out = the upper-left 3x3 of m, with zero translation, zero column 3 and
 * out[15] = 1. */
void GYX_GetRotationMatrix(float out[16], const float m[16]);

/* ---- Products ---------------------------------------------------------- */

/* out = a * b. */
void GYX_Mult44x44(float out[16], const float a[16], const float b[16]);
/* out = (v, 1) * m, x, y, z only (no w is computed). */
void GYX_Mult14x44(float out[3], const float v[3], const float m[16]);
/* As GYX_Mult14x44, then x, y, z divided by w = (v, 1) * column 3 of m.
 * w is not checked: callers clip so that it cannot be 0. */
void GYX_MultFull14x44(float out[3], const float v[3], const float m[16]);
/* out = v * upper-left 3x3 of m (the translation is ignored). */
void GYX_Mult13x33(float out[3], const float v[3], const float m[16]);
/* out = m * diag(s, s, s, 1): columns 0..2 of every row, the translation
 * row included, are multiplied by s. */
void GYX_ScaleMatrix(float out[16], const float m[16], float s);
/* out = a x b. */
void GYX_CrossProduct(float out[3], const float a[3], const float b[3]);

/* ---- Inverse and measures ---------------------------------------------- */

/* Inverse of a rigid transform: transposed 3x3 and the translation carried
 * back through it. Exact only when m's 3x3 part is orthonormal. */
void GYX_InvertMatrix(float out[16], const float m[16]);
/* Determinant of the upper-left 3x3. */
double GYX_MatrixDeterminant(const float m[16]);
/* Mean length of rows 0..2 (first three elements each): the uniform scale
 * that a scaled rotation carries. */
double GYX_GetMatrixScale(const float m[16]);
/* Re-orthonormalises the 3x3 part in place (rows 0..2, columns 0..2; the
 * translation row and column 3 are left alone); this also strips a uniform
 * scale. Returns 0, or -1 after writing two lines to stderr and setting the
 * whole matrix to the identity when it cannot be brought to a determinant
 * within 1e-6 of 1 (a matrix that holds a NaN or an infinity included). */
int GYX_OrthoNormMatrix(float m[16]);

/* ---- Filters and clipping ---------------------------------------------- */

/* Keeps the value of largest magnitude among n floats (the first of equal
 * magnitudes wins) and sets all others to 0; signs do not change. Fewer
 * than two values: nothing changes. */
void GYX_HighValueFilter(float *values, int n);
/* Clips the segment p1-p2 in place to the slab lo <= z <= hi, where hi and
 * lo are the larger and the smaller of zA and zB. Returns 1 if any part of
 * the segment remains, 0 if none. Only x, y, z are read and written. */
int GYX_ClipZ(float p1[3], float p2[3], float zA, float zB);
/* Moves p into the viewing pyramid of a viewer looking down -z: depth
 * between nearDist and farDist, then within the vertical half-angle
 * fovDegrees/2 and the horizontal one that aspect gives. Returns 1 if p was
 * moved, except that pulling a too-near point out to nearDist alone is not
 * reported (0). */
int GYX_KeepClip(float p[3], float fovDegrees, float aspect, float nearDist, float farDist);

/* ---- Object motion ----------------------------------------------------- */

/* Memory of one GYX_ObjectMotion user between calls: the pivot of the
 * previous call. The caller owns it; a zero-filled record (GYX_MOTION_STATE_INIT)
 * is the start state, with a previous pivot of (0, 0, 0). */
typedef struct GYX_MotionState {
  float previousPivot[3];
} GYX_MotionState;
#define GYX_MOTION_STATE_INIT \
  {                           \
    { 0.0f, 0.0f, 0.0f }      \
  }

/* Motion record: controller values as the caller has scaled them, and the
 * event period in milliseconds. */
enum { GYX_TX, GYX_TY, GYX_TZ, GYX_RX, GYX_RY, GYX_RZ, GYX_PERIOD, GYX_MOTION_SIZE };

/* Turns m (an object's matrix in viewer space, possibly with a uniform
 * scale) by the motion about the object-space point pivot and moves it in
 * viewer axes; out may be m. zoom non-zero makes tz change the scale instead
 * of the depth. motion[GYX_RZ] is negated in place (the caller sees it).
 * state may be null: the previous pivot is then taken as (0, 0, 0) and not
 * remembered. Returns 1 if any of the six motion values is non-zero. */
int GYX_ObjectMotion(float out[16], float motion[GYX_MOTION_SIZE], const float m[16], const float pivot[3],
                     int zoom, GYX_MotionState *state);

#ifdef __cplusplus
}
#endif

#endif
