#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora (corpus/<fuzzer>/seed-*) from real
traffic: Quorvanel packets as the controller sends them, event rings as the
driver leaves them, the object files of the tests, and configuration files
as the README shows them. Regression inputs (corpus/<fuzzer>/regress-*) are
kept by hand and never rewritten here. Run from anywhere; idempotent."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def write(fuzzer, name, data):
    d = os.path.join(HERE, "corpus", fuzzer)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "seed-" + name), "wb") as f:
        f.write(data)


# ---- Quorvanel packets -------------------------------------------------------
def esc(b):
    return {0x0D: b"^M", 0x11: b"^Q", 0x13: b"^S", 0x5E: b"^^"}.get(b, bytes([b]))


def word(v):
    w = v & 0xFFFF
    return esc(w >> 8) + esc(w & 0xFF)


def motion(period, axes):
    return b"D" + word(period) + b"".join(word(a) for a in axes) + b"\r"


def buttons(raw):
    return b"K" + esc(raw >> 8) + esc(raw & 0xFF) + b"\r"


def chunks(head, stream, size):
    """The parser fuzzer's script: model/mode byte, then (n, n bytes) reads."""
    out = bytes([head])
    for i in range(0, len(stream), size):
        part = stream[i:i + size]
        out += bytes([len(part)]) + part
    return out


session = (buttons(0x0001) + buttons(0) + motion(800, [48, 0, 0, 0, 0, 0]) +
           motion(800, [0, 0, -80, 0, 0, 0]) + motion(800, [0] * 6) +
           buttons(0x1000) + buttons(0))
escaped = motion(-20 * 16, [0x0D, 0x11, 0x13, 0x5E, -1, 0x5E0D])
message = b"@RESET\r!" + b"@Firmware version 2.14\r" + buttons(0x0F00)
garbage = b"^X" + b"D\x00\x10\r" + b"K\x40\r" + b"Zz\r" + motion(16, [1, 2, 3, 4, 5, 6])
long_run = b"x" * 1030 + b"\r" + buttons(0x0003)
write("parser", "2200-session-1byte", chunks(0, session, 1))
write("parser", "2200-session-7bytes", chunks(0, session, 7))
write("parser", "2200-session-whole", chunks(0, session, 255))
write("parser", "3200-buttons", chunks(1, buttons(0x0030) + buttons(0x2000) + buttons(0), 5))
write("parser", "raw-escapes", chunks(0x80, escaped + buttons(0xFFFF), 3))
write("parser", "device-message", chunks(0, message, 4))
write("parser", "malformed", chunks(0, garbage, 6))
write("parser", "no-frame-end", chunks(0, long_run, 200))


# Bit-7 framed models (rows 2 and 3 of the model table): a packet's first
# byte has bit 7 clear, every further byte set; it ends where the next begins.
def b7(letter, data):
    return letter + bytes([0x80 | (d & 0x7F) for d in data])


stick = (b7(b"K", [0x01, 0, 0]) + b7(b"D", [0, 0x30, 0x02, 0, 0x40, 0, 0, 0, 0, 0, 0x11]) + b7(b"K", [0, 0, 0]) +
         b7(b"R", b"ESET Quorvanel Stick") + b7(b"D", [0] * 11) + b"K")
lumeqaro = (b7(b"K", [0, 0x3F, 0, 0]) + b7(b"D", [0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0]) + b7(b"K", [0, 0, 0, 0]) +
            b7(b"!", b"1 Quorvanel (R) V4.0") + b"D")
write("parser", "stick-session", chunks(2, stick, 5))
write("parser", "stick-raw-bytewise", chunks(0x82, stick, 1))
write("parser", "lumeqaro-session", chunks(3, lumeqaro, 9))

# ---- Event rings ---------------------------------------------------------------
RING = 1800


def event(kind, period=50, axes=(0,) * 6, current=0):
    rec = struct.pack("<i4I7i", kind, 0, current, current, 0, *axes, period)
    return rec


def ring_with(records, start):
    """A ring as the driver leaves it: records from offset start, wrapping."""
    ring = bytearray(RING)
    at = start
    for seq, payload in records:
        rec = struct.pack("<HH", seq, len(payload)) + payload
        for b in rec:
            ring[at] = b
            at = (at + 1) % RING
    return bytes(ring), at


def ring_seed(size, read, write_off, reads, ring, roundtrip=b""):
    out = struct.pack("<HhhB", (size - 5) % (RING - 4), read, write_off, len(reads) - 1)
    for wanted, full in reads:
        out += struct.pack("<H", wanted) + (b"\x01" if full else b"\x00\x00\x07")
    return out + ring[:size] + roundtrip


recs = [(s, event(2, axes=(s, 0, 0, 0, 0, -s))) for s in range(1, 6)]
ring, end = ring_with(recs, 0)
write("ring", "five-motions", ring_seed(RING, 0, end, [(3, True), (4, True), (5, True)], ring))
ring, end = ring_with([(65534, event(1, current=2)), (65535, event(2)), (1, event(4))], 1798)
write("ring", "wrap-at-edge", ring_seed(RING, 1798, end, [(65535, True), (1, True), (2, True)], ring))
ring, end = ring_with([(7, b"@RESET\r".ljust(132, b"\0"))], 100)
write("ring", "exception-record", ring_seed(RING, 100, end, [(7, True), (6, True)], ring))
write("ring", "roundtrip", ring_seed(RING, 0, 0, [(1, True)], bytes(RING)) +
      struct.pack("<HHHB", RING - 5, 1790, 65534, 12) + bytes([1] * 12))

# ---- The library's event path: scripts of appevents_fuzz operations ----------
def op_motion(which, tx, period, rz=0, kind=0):
    return bytes([1 | which << 7]) + struct.pack("<iiiB", tx, period, rz, kind)


def op_record(which, ev, short=True):
    return bytes([0 | which << 7]) + ev.ljust(132, b"\0")[:132] + bytes([1 if short else 0])


def op_get(which, fixed=False, poll=False):
    return bytes([6 | which << 7, 1 if fixed else 0, 0 if poll else 1])


def op_clock(ms):
    return bytes([5, 1, ms & 0xFF])


write("appevents", "fold-motion", op_motion(0, 100, 320) + op_motion(0, 200, 480) + op_get(0) +
      op_clock(30) + op_motion(0, -100, 800, kind=2) + op_get(0, fixed=True))
write("appevents", "buttons-two-handles", op_record(0, event(1, current=2)) + op_record(1, event(1, current=0)) +
      op_get(1) + op_get(0) + op_get(0, poll=True))
write("appevents", "poll-until-rest", op_motion(0, 50, 50) + op_get(0, poll=True) + op_clock(200) +
      op_get(0, poll=True) + bytes([5, 0]) + struct.pack("<I", 5000) + op_get(0, poll=True))
write("appevents", "ring-spoiled", op_motion(0, 7, 50) + bytes([3, 1]) + struct.pack("<I", 5000) + op_get(0) +
      op_motion(0, 8, 50) + op_get(0))
write("appevents", "driver-farewell", op_motion(0, 7, 50) + bytes([4, 0xFF, 0, 0]) + op_get(0) + op_get(0) +
      bytes([7]) + op_motion(0, 9, 50) + op_get(0))

# ---- The driver's request service: scripts of reqserve_fuzz operations ------
CODES = [0, 1, 2, 3, 4, 5, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116,
         117, 118, 119, 120, 121, 122, 123, 124, 125, 200, 201, 202, -1, 2**31 - 1, -2**31]


def words(*vals):
    return b"".join(struct.pack("<i", v) for v in vals)


def req(code, data=b"", reply=True, handle=None):
    """One request as the library sends it; handle: which open handle goes
    into the first word."""
    how = 1 | (2 if reply else 0) | (4 if handle is not None else 0)
    out = bytes([0, how, CODES.index(code)]) + struct.pack("<H", len(data)) + data
    if handle is not None:
        out += bytes([handle])
    return out


def open_request(window, device=-1, name=b"Gyrantrix Test Utility"):
    n = len(name) + 1
    return (words(n) + name + b"\0" + words(device, 1) + b"\xff" * 8 +
            words(1, window, 0, 31))


beep = words(0) + b"cCc".ljust(15, b"\0")
write("reqserve", "library-session",
      req(2) + req(3, words(1, 0)) + req(101) + req(103, words(0)) + req(104) +
      req(113, open_request(0x2000, 0)) + req(122, words(0), handle=0) + req(120, words(0, 1), handle=1) +
      req(201, words(0), handle=0) + req(118, beep, reply=False, handle=2) + req(119, words(0), False, 0) +
      req(124, words(0, 3), False, 1) + req(123, words(0), handle=1) + req(121, words(0), False, 1) +
      req(114, words(0), False, 0) + req(4, words(0)))
write("reqserve", "events-and-focus",
      bytes([6, 0, 4]) + b"K\x40\x41\r" + bytes([4, 1, 7]) + bytes([6, 1, 16]) + motion(800, [5, 0, 0, 0, 0, 0]) +
      bytes([5, 0, 7]) + bytes([4, 3, 7]) + bytes([6, 0, 16]) + motion(800, [0] * 6) + req(4, words(0)))
write("reqserve", "odd-requests",
      req(116, words(0, 3) + b"abc" + words(100), handle=0) + req(116, words(0, 3) + b"abc" + words(-1), handle=0) +
      req(115, words(0, 2) + b"xy", reply=False, handle=1) + req(112, words(0, 2)) + req(108, words(1)) +
      req(102) + req(117, reply=False) + req(113, open_request(0x3000)[:20]) + req(113, open_request(0x1000, 7)))

# ---- Object files ----------------------------------------------------------------
fixtures = os.path.join(ROOT, "tests", "fixtures", "objects")
for name in sorted(os.listdir(fixtures)):
    with open(os.path.join(fixtures, name), "rb") as f:
        write("objread", name, f.read())

# ---- Configuration -----------------------------------------------------------------
config = (b"; homedirectory: where applications find gyxsrv.exe, and where the log goes\r\n"
          b"[gyrantrix]\r\n"
          b"homedirectory=C:\\Program Files\\Halvorin\\Gyrantrix\\Win32\r\n"
          b"homedir=C:\\Program Files\\Halvorin\\Gyrantrix\\Win32\r\n"
          b"version=8.0\r\n"
          b"[COM1:]\r\ndevicetype=Quorvanel 2200\r\nappfile=C:\\apps\\jet.ini\r\nmenuButton=5\r\n"
          b"[COM3:]\r\ndevicetype=quorvanel 3200\r\n")
appfile = (b"[Gyrantrix]\r\nappName=Jet Demo\r\n" +
           b"".join(b"button%d=Fire %d\r\n" % (i, i) for i in range(1, 10)) +
           b"leftbutton=Left\r\nrightbutton=\"Right\"\r\n")
write("iniparse", "readme-config", config + b"\0" + appfile)
write("iniparse", "no-devices", b"[gyrantrix]\nhomedir=C:\\x\n")
write("iniparse", "unknown-model", b"[COM2:]\ndevicetype=Quorvanel 9999\n")
write("iniparse", "empty-section", b"[COM1:]\n[COM2:]\nDeviceType = QUORVANEL STICK \n")
