"""beside.py - two runs' tables side by side: python3 bench/beside.py BEFORE.md AFTER.md
prints one markdown table with each figure's median (p99 for samples where the
target is read from it) before and after, and the ratio after / before. Rows are
matched by their figure text; a figure only one run has shows "-" for the other.
Each column names its run's date and load average at the start."""

import re
import sys


def rows(path):
    out, order, heading = {}, [], ""
    with open(path) as f:
        for line in f:
            if line.startswith("Measured on"):
                heading = line.strip()
            if not line.startswith("| ") or line.startswith("| #"):
                continue
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if len(cells) < 9 or not cells[0].isdigit():
                continue
            key = (cells[0], cells[1])
            out[key] = {"unit": cells[2], "median": cells[4], "p99": cells[5], "target": cells[6], "met": cells[8]}
            order.append(key)
    return out, order, heading


def value(text):
    m = re.match(r"^-?[\d ]+(\.\d+)?", text.replace("\u202f", " "))
    if not m or not m.group(0).strip():
        return None
    return float(m.group(0).replace(" ", ""))


def when(heading):
    m = re.search(r"on (\d{4}-\d\d-\d\d \d\d:\d\d UTC); load average at the start ([\d.]+)", heading)
    return ("%s (load %s)" % (m.group(1), m.group(2))) if m else "?"


def main():
    before, border, bhead = rows(sys.argv[1])
    after, aorder, ahead = rows(sys.argv[2])
    print("| # | figure | unit | which | before: %s | after: %s | after / before | target | met after |"
          % (when(bhead), when(ahead)))
    print("|---|---|---|---|---:|---:|---:|---|---|")
    keys = aorder + [k for k in border if k not in after]
    for key in keys:
        b, a = before.get(key), after.get(key)
        any_row = a or b
        # Latency is judged by its p99; every other row by its median.
        which = "p99" if any_row["target"].startswith("p99") else "median"
        bv = b[which] if b else "-"
        av = a[which] if a else "-"
        ratio = ""
        if value(bv) and value(av) is not None:
            ratio = "{:.2f}".format(value(av) / value(bv))
        print("| %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (key[0], key[1], any_row["unit"], which, bv, av, ratio,
                                                                any_row["target"], a["met"] if a else ""))


if __name__ == "__main__":
    main()
