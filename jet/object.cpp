// Wire objects of the jet demo: turns a pen-command list into distinct points
// and lines, fills line midpoints for picking, and builds the demo's set of
// objects at start-up (LoadObjects). The file reader is in objread.cpp, the
// built-in tables in objshape.cpp and objjet.cpp.
#include "jet/object.h"

#include <cstdlib>
#include <cstring>

namespace {

bool SamePlace(const ObjectPoint &a, float x, float y, float z) {
  return a.x == x && a.y == y && a.z == z;
}

int32_t FindOrAddPoint(WireObject *o, float x, float y, float z) {
  for (int32_t i = 0; i < o->pointCount; ++i)
    if (SamePlace(o->points[i], x, y, z)) return i;  // first match wins
  ObjectPoint &p = o->points[o->pointCount];
  p.x = x;
  p.y = y;
  p.z = z;
  p.w = 1.0f;
  return o->pointCount++;
}

bool HasLine(const WireObject *o, int32_t a, int32_t b) {
  for (int32_t i = 0; i < o->lineCount; ++i) {
    const ObjectLine &l = o->lines[i];
    if ((l.from == a && l.to == b) || (l.from == b && l.to == a)) return true;
  }
  return false;
}

// Shrinks a block to count elements; a count of 0 frees it. A failed shrink
// keeps the larger block, which is still valid.
template <typename T>
T *ShrinkTo(T *block, int32_t count) {
  if (count == 0) {
    std::free(block);
    return nullptr;
  }
  void *smaller = std::realloc(block, sizeof(T) * static_cast<size_t>(count));
  return smaller != nullptr ? static_cast<T *>(smaller) : block;
}

// Lines whose ends coincide (a draw-to onto the pen's own place, or two
// points merged by a zero scale) have no direction: the edge frame of a pick
// would divide by their zero length. They draw nothing, so they are dropped.
void DropZeroLengthLines(WireObject *o) {
  int32_t kept = 0;
  for (int32_t i = 0; i < o->lineCount; ++i) {
    const ObjectLine &l = o->lines[i];
    const ObjectPoint &b = o->points[l.to];
    if (SamePlace(o->points[l.from], b.x, b.y, b.z)) continue;
    o->lines[kept++] = l;
  }
  o->lineCount = kept;
}

}  // namespace

extern "C" int32_t CountObjectCommands(const ObjectCommand *commands) {
  if (commands == nullptr) return 0;
  int32_t n = 0;
  while (commands[n].type != OBJECT_END) ++n;
  return n;
}

extern "C" void FreeWireObject(WireObject *object) {
  if (object == nullptr) return;
  std::free(object->points);
  std::free(object->lines);
  std::memset(object, 0, sizeof *object);
}

extern "C" int32_t BuildWireObject(WireObject *object, const ObjectCommand *commands, int32_t count) {
  if (object == nullptr || count < 0 || (count > 0 && commands == nullptr)) return OBJECT_BAD_ARGUMENT;
  std::memset(object, 0, sizeof *object);
  if (count == 0) return OBJECT_OK;

  // At most one new point and one new line per command.
  object->points = static_cast<ObjectPoint *>(std::calloc(count, sizeof(ObjectPoint)));
  object->lines = static_cast<ObjectLine *>(std::calloc(count, sizeof(ObjectLine)));
  if (object->points == nullptr || object->lines == nullptr) {
    FreeWireObject(object);
    return OBJECT_NO_MEMORY;
  }

  float scale[3] = {1.0f, 1.0f, 1.0f};
  int32_t previous = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ObjectCommand &c = commands[i];
    if (c.type == OBJECT_SCALE) {
      // A scale factor is not a place: it neither adds a point nor moves the pen.
      scale[0] = c.x;
      scale[1] = c.y;
      scale[2] = c.z;
      continue;
    }
    const int32_t current = FindOrAddPoint(object, c.x, c.y, c.z);
    if (c.type != OBJECT_MOVEI && current != previous && !HasLine(object, previous, current)) {
      ObjectLine &l = object->lines[object->lineCount++];
      l.from = previous;
      l.to = current;
    }
    previous = current;
  }

  // The last scale wins for every point, those before it included.
  for (int32_t i = 0; i < object->pointCount; ++i) {
    ObjectPoint &p = object->points[i];
    p.x = static_cast<float>(static_cast<double>(p.x) * scale[0]);
    p.y = static_cast<float>(static_cast<double>(p.y) * scale[1]);
    p.z = static_cast<float>(static_cast<double>(p.z) * scale[2]);
  }
  DropZeroLengthLines(object);

  object->points = ShrinkTo(object->points, object->pointCount);
  object->lines = ShrinkTo(object->lines, object->lineCount);
  return OBJECT_OK;
}

extern "C" void ComputeLineMidpoints(ObjectLine *lines, int32_t lineCount, const ObjectPoint *points) {
  for (int32_t i = 0; i < lineCount; ++i) {
    ObjectLine &l = lines[i];
    const ObjectPoint &a = points[l.from], &b = points[l.to];
    l.mx = static_cast<float>(b.x + (static_cast<double>(a.x) - b.x) * 0.5);
    l.my = static_cast<float>(b.y + (static_cast<double>(a.y) - b.y) * 0.5);
    l.mz = static_cast<float>(b.z + (static_cast<double>(a.z) - b.z) * 0.5);
  }
}

extern "C" void FreeObjects(ObjectSet *set) {
  if (set == nullptr) return;
  FreeWireObject(&set->main);
  FreeWireObject(&set->pointer);
  FreeWireObject(&set->edgeMarker);
  for (WireObject &arrow : set->axisArrow) FreeWireObject(&arrow);
}

extern "C" int32_t LoadObjects(ObjectSet *set, const char *fileName) {
  if (set == nullptr) return OBJECT_BAD_ARGUMENT;
  std::memset(set, 0, sizeof *set);

  int32_t rc = OBJECT_OK;
  bool fromFile = false;
  if (fileName != nullptr) {
    ObjectCommand *commands = ReadObjectFile(fileName);
    if (commands != nullptr) {
      rc = BuildWireObject(&set->main, commands, CountObjectCommands(commands));
      FreeObjectCommands(commands);
      fromFile = true;
    }
  }
  if (!fromFile) rc = BuildWireObject(&set->main, JetCommands, CountObjectCommands(JetCommands));

  if (rc == OBJECT_OK)
    rc = BuildWireObject(&set->pointer, PointerCommands, CountObjectCommands(PointerCommands));
  if (rc == OBJECT_OK)
    rc = BuildWireObject(&set->edgeMarker, EdgeMarkerCommands, CountObjectCommands(EdgeMarkerCommands));
  for (WireObject &arrow : set->axisArrow)
    if (rc == OBJECT_OK)
      rc = BuildWireObject(&arrow, AxisArrowCommands, CountObjectCommands(AxisArrowCommands));
  if (rc != OBJECT_OK) {
    FreeObjects(set);
    return rc;
  }

  ComputeLineMidpoints(set->main.lines, set->main.lineCount, set->main.points);
  return OBJECT_OK;
}
