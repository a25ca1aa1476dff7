/* jet.h — the jet demo's state: settings and modes (JetState), the view
 * matrices (JetView), the objects and the drawing scratch, held together in
 * one record (Jet). The Win32 shell keeps one process-wide Jet (gJet); the
 * portable logic (process.cpp, settings.cpp, draw.cpp) works on any. */
#ifndef GYX_JET_JET_H
#define GYX_JET_JET_H

#include <stdint.h>

#include "jet/object.h"
#include "lib/gyrantrix.h"
#include "slim/gyx_slim.h"

/* Settings and modes. Exactly one of objectMode, axesMode and pointerMode is
 * set at any time. */
struct JetState {
  GiHandle device;  /* the open device, null when none */
  int32_t grabMode; /* 0 no grab, 1 exclusive grab, 2 default grab */
  bool translationOn;
  bool rotationOn;
  bool singleAxis;   /* only the largest of the six values survives */
  bool keepInView;   /* the pointer stays inside the view pyramid */
  bool snapToGrid;   /* at rest, the pointer snaps to the nearest vertex */
  float sensitivity; /* a power of two, 0.0625 to 16 */
  bool shiftDown;    /* motion moves the pointer instead of the world */
  bool objectMode;   /* pick vertices and edges, fly the object */
  bool axesMode;     /* motion locked to one world axis */
  bool pointerMode;  /* pointer on the viewing axis */
  bool edgeSelected; /* an edge is picked (object mode only) */
  bool redrawNeeded;
  bool doubleBuffer; /* draw off-screen, then copy */
};

/* Grab modes. */
enum { JET_NO_GRAB = 0, JET_EXCLUSIVE_GRAB = 1, JET_DEFAULT_GRAB = 2 };

/* The matrices that place the object, the camera and the 3D pointer (row
 * vectors, translation in row 3, A * B applies A first). view * eye takes
 * world coordinates to camera coordinates; the camera looks down -z. */
struct JetView {
  float pointer[16]; /* the 3D pointer in the world; its translation is the pivot */
  float view[16];    /* world to view; motion of the object changes it */
  float eye[16];     /* the camera offset (0, 0, -3330) */
  float eyeInverse[16];
  float screen[16];    /* projection and viewport */
  float edgeFrame[16]; /* frame of the picked edge: origin at its first end, z along it */
  float edgeFrameInverse[16];
  float edgeScale[16]; /* stretches the edge marker to the edge's length */
  float pivot[4];
  int32_t translationAxis; /* axes mode: locked axis per kind, 1 x, 2 y, 3 z, 0 none yet */
  int32_t rotationAxis;
  int32_t lockedKind; /* axes mode: 1 translation, 2 rotation, 0 none yet */
  GYX_MotionState worldMotion;
  GYX_MotionState pointerMotion;
};

/* The whole demo. */
struct Jet {
  JetState state;
  JetView view;
  ObjectSet objects;
  int32_t size;   /* s: the drawing is always the square (0, 0)-(s, s) */
  float *scratch; /* 4 floats per point, for the largest object; made once */
  int32_t scratchPoints;
  uint32_t frames; /* scenes drawn so far */
};

/* Result codes of JetInit. */
enum { JET_OK = 0, JET_NO_MEMORY = -1, JET_BAD_ARGUMENT = -2 };

/* Settings and modes at start-up. */
void JetDefaultState(JetState *state);

/* Starts a demo drawn at size s: default state, the objects (the main one
 * from objectFile, or the built-in jet when it is null or does not load),
 * the scratch sized from them, and the reset view. JET_OK or a negative
 * code, with nothing left allocated. */
int32_t JetInit(Jet *jet, int32_t size, const char *objectFile);
void JetFree(Jet *jet);

/* The library calls the settings and the controller buttons make, as a
 * table so that tests can stand in for the driver. */
struct JetDeviceOps {
  int32_t (*beep)(GiHandle device, const char *pattern);
  int32_t (*grab)(GiHandle device, int32_t exclusive);
  int32_t (*release)(GiHandle device);
  int32_t (*rezero)(GiHandle device);
};

/* The input library's own calls. */
extern const JetDeviceOps kJetLibraryOps;

/* The demo of this process, for the window procedure and the event handlers. */
extern Jet gJet;

#endif
