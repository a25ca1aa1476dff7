// The demo record: the settings at start-up, the objects and the drawing
// scratch sized from them (made once here, never per frame), and the view's
// first reset. Called by JetMain at start-up, and by tests and benchmarks.
#include "jet/jet.h"

#include <cstdlib>
#include <cstring>

#include "jet/process.h"

void JetDefaultState(JetState *s) {
  std::memset(s, 0, sizeof *s);
  s->device = nullptr;
  s->grabMode = JET_NO_GRAB;
  s->translationOn = true;
  s->rotationOn = true;
  s->singleAxis = false;
  s->keepInView = true;
  s->snapToGrid = true;
  s->sensitivity = 1.0f;
  s->objectMode = true;
  s->doubleBuffer = true;
}

int32_t JetInit(Jet *jet, int32_t size, const char *objectFile) {
  if (jet == nullptr || size <= 0) return JET_BAD_ARGUMENT;
  std::memset(jet, 0, sizeof *jet);
  JetDefaultState(&jet->state);
  jet->size = size;
  if (LoadObjects(&jet->objects, objectFile) != OBJECT_OK) return JET_NO_MEMORY;

  // Every object is transformed into the same scratch, so it takes the
  // largest of them: whatever file the main object came from, it fits.
  int32_t most = jet->objects.main.pointCount;
  const WireObject *others[] = {&jet->objects.pointer, &jet->objects.edgeMarker, &jet->objects.axisArrow[0],
                                &jet->objects.axisArrow[1], &jet->objects.axisArrow[2]};
  for (const WireObject *o : others)
    if (o->pointCount > most) most = o->pointCount;
  jet->scratch =
      static_cast<float *>(std::calloc(static_cast<size_t>(most > 0 ? most : 1), 4 * sizeof(float)));
  if (jet->scratch == nullptr) {
    FreeObjects(&jet->objects);
    return JET_NO_MEMORY;
  }
  jet->scratchPoints = most;

  GYX_MakeIdentityMatrix(jet->view.edgeFrame);
  GYX_MakeIdentityMatrix(jet->view.edgeFrameInverse);
  GYX_MakeIdentityMatrix(jet->view.edgeScale);
  jet->view.pivot[3] = 1.0f;
  ResetView(jet);
  return JET_OK;
}

void JetFree(Jet *jet) {
  if (jet == nullptr) return;
  FreeObjects(&jet->objects);
  std::free(jet->scratch);
  jet->scratch = nullptr;
  jet->scratchPoints = 0;
}
