// Built-in command lists of the jet demo's helper objects: the 3D pointer,
// the tube marking a picked edge and the axis arrow (built three times).
// Read by LoadObjects; the jet itself is in objjet.cpp.
#include "jet/object.h"

#define M(x, y, z) \
  { OBJECT_MOVEI, x, y, z, 0.0f }
#define D(x, y, z) \
  { OBJECT_DRAWI, x, y, z, 0.0f }
#define END \
  { OBJECT_END, 0.0f, 0.0f, 0.0f, 0.0f }

// A pyramid with its apex at the origin on a square shaft pointing down -y:
// 28 commands, 15 points, 22 lines.
extern "C" const ObjectCommand PointerCommands[] = {M(-100, -150, 100),
                                                    D(0, -150, 0),
                                                    D(100, -150, 100),
                                                    D(0, 0, 0),
                                                    D(100, -150, -100),
                                                    D(100, -150, 100),
                                                    M(100, -150, -100),
                                                    D(-100, -150, -100),
                                                    D(0, 0, 0),
                                                    D(-100, -150, 100),
                                                    D(-100, -150, -100),
                                                    M(0, 0, 0),
                                                    D(0, -450, 0),
                                                    D(-25, -450, 25),
                                                    D(-25, -150, 25),
                                                    D(-25, -150, -25),
                                                    D(-25, -450, -25),
                                                    D(25, -450, -25),
                                                    D(25, -150, -25),
                                                    D(25, -150, 25),
                                                    D(25, -450, 25),
                                                    D(0, -450, 0),
                                                    M(-25, -450, 25),
                                                    D(-25, -450, -25),
                                                    M(25, -450, 25),
                                                    D(25, -450, -25),
                                                    M(-25, -150, -25),
                                                    D(25, -150, -25),
                                                    END};

// Octagon (+-10, +-5), (+-5, +-10) at z = 0 and z = 1 with its 8 side edges:
// one stroke round the bottom, up a side and round the top, then the other
// seven sides. 32 commands, 16 points, 24 lines. Scaled along z to the
// picked edge's length when drawn.
#define OCT(z)                                                                                       \
  D(5, 10, z), D(-5, 10, z), D(-10, 5, z), D(-10, -5, z), D(-5, -10, z), D(5, -10, z), D(10, -5, z), \
      D(10, 5, z)
#define SIDES(z0, z1)                                                                                     \
  M(5, 10, z0), D(5, 10, z1), M(-5, 10, z0), D(-5, 10, z1), M(-10, 5, z0), D(-10, 5, z1), M(-10, -5, z0), \
      D(-10, -5, z1), M(-5, -10, z0), D(-5, -10, z1), M(5, -10, z0), D(5, -10, z1), M(10, -5, z0),        \
      D(10, -5, z1)

extern "C" const ObjectCommand EdgeMarkerCommands[] = {M(10, 5, 0), OCT(0),      D(10, 5, 1),
                                                       OCT(1),      SIDES(0, 1), END};

// An arrow along +z: the same octagonal tube from z = 0 to 200, and a head
// from the octagon (+-20, +-5), (+-5, +-20) at z = 150 to the apex at
// z = 250. The head goes in four strokes of a spoke pair and two rim edges.
// 52 commands, 25 points, 40 lines.
#define HEAD(ax, ay, bx, by, cx, cy) \
  M(ax, ay, 150), D(bx, by, 150), D(0, 0, 250), D(cx, cy, 150), D(bx, by, 150)

extern "C" const ObjectCommand AxisArrowCommands[] = {M(10, 5, 0),
                                                      OCT(0),
                                                      D(10, 5, 200),
                                                      OCT(200),
                                                      SIDES(0, 200),
                                                      HEAD(20, 5, 5, 20, -5, 20),
                                                      HEAD(-5, 20, -20, 5, -20, -5),
                                                      HEAD(-20, -5, -5, -20, 5, -20),
                                                      HEAD(5, -20, 20, -5, 20, 5),
                                                      END};
