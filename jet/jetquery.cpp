// Answers to the state query of another process (jetquery.h): matrix
// elements and the sensitivity as float bits, flags and counts as numbers.
// Called by the main window's procedure.
#include "jet/jetquery.h"

#include <cstring>

namespace {

int64_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

}  // namespace

int64_t JetQuery(const Jet *jet, int32_t item) {
  const JetState &s = jet->state;
  if (item >= JETQ_VIEW && item < JETQ_VIEW + 16) return FloatBits(jet->view.view[item - JETQ_VIEW]);
  if (item >= JETQ_POINTER && item < JETQ_POINTER + 16)
    return FloatBits(jet->view.pointer[item - JETQ_POINTER]);
  switch (item) {
    case JETQ_TRANSLATION_ON:
      return s.translationOn;
    case JETQ_ROTATION_ON:
      return s.rotationOn;
    case JETQ_SINGLE_AXIS:
      return s.singleAxis;
    case JETQ_KEEP_IN_VIEW:
      return s.keepInView;
    case JETQ_SNAP_TO_GRID:
      return s.snapToGrid;
    case JETQ_SENSITIVITY:
      return FloatBits(s.sensitivity);
    case JETQ_GRAB_MODE:
      return s.grabMode;
    case JETQ_SHIFT_DOWN:
      return s.shiftDown;
    case JETQ_OBJECT_MODE:
      return s.objectMode;
    case JETQ_AXES_MODE:
      return s.axesMode;
    case JETQ_POINTER_MODE:
      return s.pointerMode;
    case JETQ_EDGE_SELECTED:
      return s.edgeSelected;
    case JETQ_DOUBLE_BUFFER:
      return s.doubleBuffer;
    case JETQ_FRAMES:
      return jet->frames;
    case JETQ_DEVICE_OPEN:
      return s.device != nullptr;
    case JETQ_SIZE:
      return jet->size;
    default:
      return -1;
  }
}
