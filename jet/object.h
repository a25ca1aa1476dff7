/* object.h — wire-frame objects of the jet demo: pen-command lists (built-in
 * tables or a vector object text file) and their conversion into distinct
 * points and lines, which the drawing and the picking work on.
 * Called by the jet demo at start-up (LoadObjects) and by tools and tests. */
#ifndef GYX_JET_OBJECT_H
#define GYX_JET_OBJECT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Pen command types. */
enum {
  OBJECT_END = -1,  /* ends a command list */
  OBJECT_MOVEI = 0, /* move the pen to (x, y, z) */
  OBJECT_DRAWI = 1, /* draw a line from the pen to (x, y, z) */
  OBJECT_SCALE = 2  /* scale every point of the object by (x, y, z) */
};

/* Result codes of the object functions. */
enum { OBJECT_OK = 0, OBJECT_NO_MEMORY = -1, OBJECT_BAD_ARGUMENT = -2 };

/* One pen command. The loader writes w = 1.0; the built-in tables hold 0
 * there; nothing reads it. */
typedef struct ObjectCommand {
  int32_t type;
  float x, y, z, w;
} ObjectCommand;

/* A distinct point of an object; w is 1.0. */
typedef struct ObjectPoint {
  float x, y, z, w;
} ObjectPoint;

/* A distinct line between two points (indices into the point array), with
 * its midpoint (filled by ComputeLineMidpoints, 0 until then). */
typedef struct ObjectLine {
  int32_t from, to;
  float mx, my, mz;
} ObjectLine;

/* Points and lines of one object; both arrays are heap blocks of exactly
 * their counts (null when the count is 0). Freed by FreeWireObject. */
typedef struct WireObject {
  ObjectPoint *points;
  int32_t pointCount;
  ObjectLine *lines;
  int32_t lineCount;
} WireObject;

/* The objects the jet demo draws. The axis arrow is built three times, each
 * with its own arrays, so that the view reset may turn two of them. */
typedef struct ObjectSet {
  WireObject main;       /* the loaded file or the built-in jet; has midpoints */
  WireObject pointer;    /* the 3D pointer */
  WireObject edgeMarker; /* the tube drawn along a picked edge */
  WireObject axisArrow[3];
} ObjectSet;

/* The longest command the file reader keeps, and the longest number field. */
#define OBJECT_COMMAND_MAX 255
#define OBJECT_FIELD_MAX 19

/* Built-in command lists, each ended by an OBJECT_END record. */
extern const ObjectCommand JetCommands[];
extern const ObjectCommand PointerCommands[];
extern const ObjectCommand EdgeMarkerCommands[];
extern const ObjectCommand AxisArrowCommands[];

/* Reads a vector object text file into a new command list (free it with
 * FreeObjectCommands). Returns null when the file cannot be opened, holds no
 * MOVEI or DRAWI command, has a parse error (reported on stderr as
 * "Parse Error on line %d of file %s\n"), or memory runs out. */
ObjectCommand *ReadObjectFile(const char *fileName);
void FreeObjectCommands(ObjectCommand *commands);

/* Number of records before the end marker. */
int32_t CountObjectCommands(const ObjectCommand *commands);

/* Builds the distinct points and lines of the first count commands into
 * object (which is overwritten, not freed). Points merge on exact equality,
 * lines regardless of direction. Lines whose two ends coincide are left out:
 * they have no direction and can be neither drawn nor picked. The last SCALE
 * command scales every point, those before it too; a SCALE command adds no
 * point and does not move the pen. Returns OBJECT_OK or a negative code,
 * leaving object empty. */
int32_t BuildWireObject(WireObject *object, const ObjectCommand *commands, int32_t count);
void FreeWireObject(WireObject *object);

/* Fills each line's midpoint from its two end points. */
void ComputeLineMidpoints(ObjectLine *lines, int32_t lineCount, const ObjectPoint *points);

/* Builds every object of the set: the main object from fileName when one is
 * given and loads, else from the built-in jet; then the main object's
 * midpoints. Returns OBJECT_OK, or a negative code with the set left empty. */
int32_t LoadObjects(ObjectSet *set, const char *fileName);
void FreeObjects(ObjectSet *set);

#ifdef __cplusplus
}
static_assert(sizeof(ObjectCommand) == 20, "ObjectCommand is five 32-bit words");
static_assert(sizeof(ObjectPoint) == 16, "ObjectPoint is four floats");
static_assert(sizeof(ObjectLine) == 20, "ObjectLine is five 32-bit words");
#endif

#endif
