#!/usr/bin/env python3
"""Generates jet/objjet.cpp, the jet demo's built-in jet, from a small
parametric model: fuselage rings, canopy arches, swept wings, tailplanes,
fin, intakes, drop tanks and the nozzle.

The table must keep its fixed counts (774 commands, 348 distinct points,
660 distinct lines) and extent (x -618..618, y -1000..1000, z -218..220);
the script checks them, with the same point and line merging as
BuildWireObject, before it writes anything.

    python3 tools/jetgen/jetgen.py            # rewrites jet/objjet.cpp
    python3 tools/jetgen/jetgen.py --check    # only prints the counts
"""
import math
import os
import sys

WANT_COMMANDS, WANT_POINTS, WANT_LINES = 774, 348, 660
WANT_EXTENT = ((-618, 618), (-1000, 1000), (-218, 220))


class Model:
    """Geometry as polylines over integer points."""

    def __init__(self):
        self.polylines = []

    def line(self, *pts):
        pts = [tuple(int(round(c)) for c in p) for p in pts]
        self.polylines.append(pts)

    def loop(self, pts):
        self.line(*(list(pts) + [pts[0]]))

    def mirror(self, pts):
        return [(-x, y, z) for (x, y, z) in pts]

    def both(self, pts, closed=False):
        """Adds a polyline on the right (x > 0) and its mirror image."""
        for p in (pts, self.mirror(pts)):
            if closed:
                self.loop(p)
            else:
                self.line(*p)

    def edges(self):
        seen, order = set(), []
        for pl in self.polylines:
            for a, b in zip(pl, pl[1:]):
                if a == b:
                    raise SystemExit("zero-length line at %r" % (a,))
                key = (min(a, b), max(a, b))
                if key not in seen:
                    seen.add(key)
                    order.append((a, b))
        return order


# ---- the shape ------------------------------------------------------------

K = 10  # points round the fuselage


def section(w, h, zc, y, n=K, power=2.6):
    """A rounded-box cross-section, first point on top, going round via +x."""
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        s, c = math.sin(t), math.cos(t)
        x = w * math.copysign(abs(s) ** (2 / power), s)
        z = zc + h * math.copysign(abs(c) ** (2 / power), c)
        pts.append((x, y, z))
    return pts


# (y, half width, half height, centre z)
STATIONS = [
    (860, 30, 26, 0),
    (740, 56, 50, 4),
    (600, 74, 66, 8),
    (440, 84, 74, 8),
    (270, 92, 78, 6),
    (90, 96, 78, 4),
    (-100, 96, 76, 2),
    (-300, 92, 72, 0),
    (-500, 86, 68, 0),
    (-680, 76, 62, 0),
    (-850, 66, 58, 0),
    (-1000, 58, 54, 0),
]


def fuselage(m):
    rings = [section(w, h, zc, y) for (y, w, h, zc) in STATIONS]
    for r in rings:
        m.loop(r)
    for i in range(K):
        m.line(*[r[i] for r in rings])
    tip = (0, 1000, 0)
    for p in rings[0]:
        m.line(tip, p)
    # afterburner: an inner ring inside the nozzle
    inner = section(40, 38, 0, -980)
    m.loop(inner)
    for a, b in zip(rings[-1], inner):
        m.line(a, b)
    return rings


def surface_z(y):
    """Top of the fuselage (z) at station y, interpolated."""
    for (y0, _, h0, z0), (y1, _, h1, z1) in zip(STATIONS, STATIONS[1:]):
        if y1 <= y <= y0:
            f = (y0 - y) / (y0 - y1)
            return (z0 + h0) + f * ((z1 + h1) - (z0 + h0))
    raise ValueError(y)


def canopy(m):
    arches = []
    for y, height, half in [(660, 40, 30), (580, 68, 44), (500, 76, 50), (420, 72, 50),
                            (340, 54, 44)]:
        base = surface_z(y) - 6
        arch = [(half, y, base),
                (half * 0.8, y, base + height * 0.7),
                (0, y, base + height),
                (-half * 0.8, y, base + height * 0.7),
                (-half, y, base)]
        m.line(*arch)
        arches.append(arch)
    front = (0, 720, surface_z(720) + 2)
    back = (0, 240, surface_z(240) + 4)
    for i in range(5):
        m.line(front, *[a[i] for a in arches], back)
    # windscreen bow
    m.line(arches[0][1], arches[1][2], arches[0][3])


def airfoil(x, le, te, zmid, thick):
    """Wing section at span x: leading edge, two upper, trailing edge, two lower."""
    c = le - te
    return [(x, le, zmid),
            (x, le - 0.22 * c, zmid + thick),
            (x, le - 0.62 * c, zmid + thick * 0.7),
            (x, te, zmid),
            (x, le - 0.62 * c, zmid - thick * 0.5),
            (x, le - 0.22 * c, zmid - thick * 0.7)]


def wings(m):
    ribs = []
    for x in (92, 224, 356, 488, 618):
        f = (x - 92) / (618 - 92)
        le = 240 + f * (-290 - 240)
        te = -440 + f * (-450 + 440)
        ribs.append(airfoil(x, le, te, -12 + 8 * f, 26 - 20 * f))
    for r in ribs:
        m.both(r, closed=True)
    for i in range(6):
        m.both([r[i] for r in ribs])
    return ribs


def tailplanes(m):
    ribs = []
    for x, le, te in ((66, -660, -900), (200, -800, -935), (326, -900, -968)):
        c = le - te
        t = 10 if x < 100 else 6 if x < 300 else 3
        ribs.append([(x, le, 0), (x, le - 0.4 * c, t), (x, te, 0), (x, le - 0.4 * c, -t)])
    for r in ribs:
        m.both(r, closed=True)
    for i in range(4):
        m.both([r[i] for r in ribs])


def fin(m):
    ribs = []
    for z, le, te in ((62, -520, -930), (118, -640, -950), (172, -740, -968), (220, -820, -984)):
        t = 12 - 8 * (z - 62) / (220 - 62)
        c = le - te
        ribs.append([(0, le, z), (t, le - 0.4 * c, z), (0, te, z), (-t, le - 0.4 * c, z)])
    for r in ribs:
        m.loop(r)
    for i in range(4):
        m.line(*[r[i] for r in ribs])
    # chords of the fin's middle rib and of its thin cap
    m.line(ribs[1][0], ribs[1][2])
    m.line(ribs[3][0], ribs[3][2])


def intakes(m):
    mouth = [(62, 330, -24), (132, 330, -24), (132, 330, -92), (62, 330, -92)]
    duct = [(62, 40, -20), (110, 40, -20), (110, 40, -80), (62, 40, -80)]
    m.both(mouth, closed=True)
    m.both(duct, closed=True)
    for a, b in zip(mouth, duct):
        m.both([a, b])


def drop_tanks(m):
    cx, cz, r = 330, -174, 44
    rings = []
    for y, f in ((130, 0.62), (20, 1.0), (-150, 1.0), (-280, 0.6)):
        ring = []
        for i in range(6):
            t = math.pi / 2 + 2 * math.pi * i / 6
            ring.append((cx + f * r * math.cos(t), y, cz + f * r * math.sin(t)))
        rings.append(ring)
    nose, tail = (cx, 230, cz), (cx, -380, cz)
    for ring in rings:
        m.both(ring, closed=True)
    for i in range(6):
        m.both([nose] + [ring[i] for ring in rings] + [tail])
    # pylon: from the tank's top line up to the wing's underside
    top_front, top_back = rings[1][0], rings[2][0]
    wing_z = -16
    m.both([top_front, (cx, 20, wing_z), (cx, -150, wing_z), top_back])


def wingtip_missiles(m):
    cx, cz, r = 606, -4, 12
    nose = (cx, -120, cz)
    rings = []
    for y in (-190, -470):
        rings.append([(cx, y, cz + r), (cx + r, y, cz), (cx, y, cz - r), (cx - r, y, cz)])
    for p in rings[0]:
        m.both([nose, p])
    for ring in rings:
        m.both(ring, closed=True)
    for a, b in zip(*rings):
        m.both([a, b])


def build():
    m = Model()
    fuselage(m)
    canopy(m)
    wings(m)
    tailplanes(m)
    fin(m)
    intakes(m)
    drop_tanks(m)
    wingtip_missiles(m)
    return m


# ---- from polylines to pen strokes -----------------------------------------

def join_strokes(polylines, target):
    """Joins polylines end to end (turning them round, or entering a closed
    loop at any of its points) until there are target strokes, so that every
    line is drawn once and no move goes where the pen already stands."""
    paths = [list(p) for p in polylines]

    def join(a, b):
        for aa in (a, a[::-1]):
            for bb in (b, b[::-1]):
                if aa[-1] == bb[0]:
                    return aa + bb[1:]
        if b[0] == b[-1]:
            for aa in (a, a[::-1]):
                if aa[-1] in b[:-1]:
                    k = b.index(aa[-1])
                    return aa + (b[k:-1] + b[:k + 1])[1:]
        if a[0] == a[-1]:
            for bb in (b, b[::-1]):
                if bb[0] in a[:-1]:
                    k = a.index(bb[0])
                    return a[k:-1] + a[:k + 1] + bb[1:]
        return None

    while len(paths) > target:
        for i in range(len(paths)):
            for j in range(i + 1, len(paths)):
                joined = join(paths[i], paths[j])
                if joined:
                    paths[i] = joined
                    del paths[j]
                    break
            else:
                continue
            break
        else:
            raise SystemExit("cannot join the polylines into %d strokes" % target)
    return paths


def simulate(cmds):
    """BuildWireObject's merging, for the check."""
    pts, lines = [], set()
    prev = 0
    for t, p in cmds:
        if p in pts:
            cur = pts.index(p)
        else:
            pts.append(p)
            cur = len(pts) - 1
        if t == 1 and (prev, cur) not in lines and (cur, prev) not in lines:
            lines.add((prev, cur))
        prev = cur
    return pts, lines


def main():
    m = build()
    edges = m.edges()
    npts = len({p for e in edges for p in e})
    segments = sum(len(p) - 1 for p in m.polylines)
    print("points %d (want %d), lines %d (want %d), polylines %d, segments %d"
          % (npts, WANT_POINTS, len(edges), WANT_LINES, len(m.polylines), segments))
    if "--check" in sys.argv:
        return
    if npts != WANT_POINTS or len(edges) != WANT_LINES or segments != WANT_LINES:
        raise SystemExit("counts are off (every line must be drawn exactly once)")
    paths = join_strokes(m.polylines, WANT_COMMANDS - WANT_LINES)
    cmds = []
    for p in paths:
        cmds.append((0, p[0]))
        cmds.extend((1, q) for q in p[1:])
    pts, lines = simulate(cmds)
    assert len(cmds) == WANT_COMMANDS and len(pts) == WANT_POINTS and len(lines) == WANT_LINES
    for axis, (lo, hi) in enumerate(WANT_EXTENT):
        vals = [p[axis] for p in pts]
        if min(vals) != lo or max(vals) != hi:
            raise SystemExit("extent on axis %d is %d..%d" % (axis, min(vals), max(vals)))
    write_table(cmds)


def write_table(cmds):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out = os.path.join(root, "jet", "objjet.cpp")
    rows = []
    row = []
    for t, (x, y, z) in cmds:
        if t == 0 and row:  # each stroke starts a row
            rows.append(", ".join(row) + ",")
            row = []
        row.append("%s(%d, %d, %d)" % ("M" if t == 0 else "D", x, y, z))
        if len(row) == 4:
            rows.append(", ".join(row) + ",")
            row = []
    if row:
        rows.append(", ".join(row) + ",")
    with open(out, "w") as f:
        f.write("// The jet demo's built-in jet: 774 pen commands giving 348 distinct points\n"
                "// and 660 distinct lines within x -618..618, y -1000..1000, z -218..220\n"
                "// (nose towards +y, up towards +z). Read by LoadObjects. Generated by\n"
                "// tools/jetgen/jetgen.py: change the model there and run it again.\n"
                "#include \"jet/object.h\"\n\n"
                "#define M(x, y, z) {OBJECT_MOVEI, x, y, z, 0.0f}\n"
                "#define D(x, y, z) {OBJECT_DRAWI, x, y, z, 0.0f}\n\n"
                "extern \"C\" const ObjectCommand JetCommands[] = {\n")
        for r in rows:
            f.write("    " + r + "\n")
        f.write("    {OBJECT_END, 0.0f, 0.0f, 0.0f, 0.0f}};\n")
    print("wrote", out)


if __name__ == "__main__":
    main()
