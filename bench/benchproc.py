"""benchproc.py - the processes of a benchmark run and what Linux tells about
them: Win32 programs under Wine, controller simulators with their control
connections, the driver, CPU time from /proc, and statistics of samples.
Used by bench.py inside the Wine environment of scripts/wineenv.sh."""

import os
import queue
import signal
import socket
import statistics
import subprocess
import threading
import time


def now_us():
    """The clock QueryPerformanceCounter follows under Wine, in microseconds."""
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) / 1000.0


def win_path(path):
    """Linux path as Wine's Z: drive sees it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class BenchError(Exception):
    pass


class WineProc:
    """A Win32 program started with `wine`; its standard output is read line by
    line in a thread, standard input stays open until stop() closes it (the
    bench programs end when it closes)."""

    def __init__(self, exe, args, log_dir, tag):
        self.tag = tag
        self.err_path = os.path.join(log_dir, tag + ".err")
        self.err = open(self.err_path, "w")
        self.proc = subprocess.Popen(["wine", exe] + [str(a) for a in args], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.err, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.strip())
        self.lines.put(None)

    @property
    def pid(self):
        return self.proc.pid

    def expect(self, prefix, timeout=30.0):
        """The next output line that starts with prefix, as key=value pairs."""
        end = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                line = ""
            if line is None or line == "" and time.monotonic() >= end:
                raise BenchError("%s: no '%s' line (%s)" % (self.tag, prefix, self.stderr_tail()))
            if line.startswith(prefix):
                return parse_pairs(line)

    def stderr_tail(self):
        self.err.flush()
        with open(self.err_path, errors="replace") as f:
            text = f.read().strip()
        return text[-400:] if text else "no error output"

    def stop(self, timeout=15.0):
        """Closes standard input and waits; a program that does not end is
        killed (by its process id). Returns the remaining output lines."""
        try:
            self.proc.stdin.close()
        except OSError:
            pass
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            os.kill(self.proc.pid, signal.SIGKILL)
            self.proc.wait(5)
        self.err.close()
        rest = []
        while True:
            try:
                line = self.lines.get(timeout=1.0)
            except queue.Empty:
                break
            if line is None:
                break
            rest.append(line)
        return rest


def parse_pairs(line):
    out = {}
    for word in line.split():
        if "=" in word:
            k, v = word.split("=", 1)
            out[k] = v
    return out


class Sim:
    """One controller simulator (tools/gyxsim) on COM<n>, driven over its
    control connection."""

    def __init__(self, program, run_dir, com, baud=9600, model="2200"):
        self.com = com
        sim_dir = os.path.join(run_dir, "bench-sim")
        os.makedirs(sim_dir, exist_ok=True)
        port_file = os.path.join(sim_dir, "com%d.port" % com)
        if os.path.exists(port_file):
            os.unlink(port_file)
        self.log = os.path.join(sim_dir, "com%d.log" % com)
        self.proc = subprocess.Popen([program, "--model", model, "--link", os.path.join(run_dir, "com%d" % com),
                                      "--control", "0", "--port-file", port_file, "--log", self.log,
                                      "--parent-pid", str(os.getpid()), "--baud", str(baud)],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        end = time.monotonic() + 10
        while not os.path.exists(port_file):
            if time.monotonic() > end or self.proc.poll() is not None:
                raise BenchError("simulator on COM%d did not start" % com)
            time.sleep(0.02)
        with open(port_file) as f:
            port = int(f.read().strip())
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.buf = b""

    def send(self, line):
        self.sock.sendall(line.encode() + b"\n")

    def reply(self, timeout=60.0):
        self.sock.settimeout(timeout)
        while b"\n" not in self.buf:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise BenchError("simulator on COM%d closed its connection" % self.com)
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return line.decode().strip()

    def ask(self, line, timeout=60.0):
        self.send(line)
        r = self.reply(timeout)
        if not r.startswith("ok"):
            raise BenchError("COM%d: '%s' -> '%s'" % (self.com, line, r))
        return r

    def overruns(self):
        with open(self.log, errors="replace") as f:
            return sum(1 for line in f if "overrun" in line)

    def stop(self):
        try:
            self.send("quit")
            self.proc.wait(5)
        except (OSError, subprocess.TimeoutExpired):
            os.kill(self.proc.pid, signal.SIGTERM)
            self.proc.wait(5)
        self.sock.close()


def cpu_ns(pid):
    """CPU time a process has used so far, all its live threads together
    (scheduler statistics: nanoseconds, not clock ticks)."""
    total = 0
    try:
        for tid in os.listdir("/proc/%d/task" % pid):
            try:
                with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                    total += int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    except OSError:
        return None
    return total


def private_kib(pid):
    """Private memory (clean + dirty pages) of a Linux process, KiB."""
    try:
        with open("/proc/%d/smaps_rollup" % pid) as f:
            fields = dict(line.split(":", 1) for line in f if ":" in line)
        return int(fields["Private_Clean"].split()[0]) + int(fields["Private_Dirty"].split()[0])
    except (OSError, KeyError, ValueError):
        return None


def wineserver_pid(prefix):
    """The wineserver of this Wine prefix (each run has its own)."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/comm" % pid) as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            with open("/proc/%s/environ" % pid, "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=" + prefix).encode() in env:
            return int(pid)
    return None


class CpuMeter:
    """CPU time of some processes over a window of wall time."""

    def __init__(self, pids):
        self.pids = {k: v for k, v in pids.items() if v}

    def start(self):
        self.t0 = time.monotonic()
        self.c0 = {k: cpu_ns(p) for k, p in self.pids.items()}

    def stop(self):
        """{name: CPU seconds}, and the wall seconds of the window."""
        wall = time.monotonic() - self.t0
        out = {}
        for k, p in self.pids.items():
            c1 = cpu_ns(p)
            if c1 is not None and self.c0.get(k) is not None:
                out[k] = (c1 - self.c0[k]) / 1e9
        return out, wall


def percentile(values, p):
    """Nearest-rank percentile (p in 0..100) of a non-empty list."""
    s = sorted(values)
    k = max(0, min(len(s) - 1, int(round(p / 100.0 * len(s) + 0.5)) - 1))
    return s[k]


def summary(values):
    """min, median, p99 of a list of numbers (None when empty)."""
    if not values:
        return None
    return {"min": min(values), "median": statistics.median(values), "p99": percentile(values, 99),
            "n": len(values)}


def read_samples(path):
    with open(path) as f:
        return [float(x) for x in f if x.strip()]
