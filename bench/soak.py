"""soak.py - the driver under a long, busy run (scripts/soak.sh starts it inside
a private Wine environment): four simulated controllers (2200, 3200, Stick,
2200) send motion at their full 9600-baud rate, eight applications
(tools/soakapp) open, grab, release, read and close at random. Every sample
notes the driver's Win32 handle count, commit and Linux private memory and its
CPU share; at the end the report gives the events sent, the records delivered,
what the library folded and what full rings dropped, and whether the driver's
handles and memory stayed flat. Figures, not a test."""

import argparse
import os
import queue
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from benchproc import BenchError, Sim, WineProc, cpu_ns, parse_pairs, private_kib, wineserver_pid  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MODELS = {1: ("2200", "Quorvanel 2200"), 2: ("3200", "Quorvanel 3200"), 3: ("stick", "Quorvanel Stick"),
          4: ("2200", "Quorvanel 2200")}
MOTION = "120 -60 30 10 -10 5"
BATCH = 60  # packets queued per move command: about a second of line time


def say(text):
    print("soak: " + text, file=sys.stderr, flush=True)


class Feeder(threading.Thread):
    """Keeps one simulator's line full of motion packets and counts them."""

    def __init__(self, sim):
        super().__init__(daemon=True)
        self.sim, self.sent, self.stop_flag, self.error = sim, 0, False, None

    def run(self):
        try:
            while not self.stop_flag:
                self.sim.ask("move %s every=0 count=%d" % (MOTION, BATCH), timeout=60)
                self.sent += BATCH
        except (BenchError, OSError) as e:
            self.error = str(e)


class App:
    """One soak application; keeps its newest stats line."""

    def __init__(self, proc):
        self.proc, self.stats, self.other = proc, {}, []

    def drain(self):
        while True:
            try:
                line = self.proc.lines.get_nowait()
            except queue.Empty:
                return
            if line is None:
                return
            if line.startswith("stats"):
                self.stats = parse_pairs(line)
            elif line:
                self.other.append(line)


def linux_handles(pid):
    """Open file descriptors and mapped regions of a Linux process: where a
    Wine process's leaked handles and views show (Wine 8 answers Win32's
    handle count with 0)."""
    try:
        fds = len(os.listdir("/proc/%d/fd" % pid))
        with open("/proc/%d/maps" % pid) as f:
            maps = sum(1 for _ in f)
        return fds, maps
    except OSError:
        return None, None


def probe(exe, name):
    out = subprocess.run(["wine", exe, "--probe", name], capture_output=True, text=True, timeout=60).stdout
    rows = [parse_pairs(x) for x in out.splitlines() if x.startswith("probe")]
    return rows[0] if rows else {}


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--minutes", type=float, default=10.0)
    ap.add_argument("--apps", type=int, default=8)
    ap.add_argument("--sample-seconds", type=float, default=30.0)
    ap.add_argument("--every", type=int, default=300, help="ms between an application's random steps")
    ap.add_argument("--out", default=None, help="also write the report here")
    args = ap.parse_args()

    bin_dir = os.path.join(ROOT, "build", "win64", "bin")
    sim_program = os.path.join(ROOT, "build", "native", "tools", "gyxsim", "gyxsim")
    run_dir, prefix = os.environ["GYX_RUN_DIR"], os.environ["WINEPREFIX"]
    logs = os.path.join(run_dir, "soak-logs")
    os.makedirs(logs, exist_ok=True)
    soakapp = os.path.join(bin_dir, "gyx_soakapp.exe")
    seconds = int(args.minutes * 60)

    sims = {com: Sim(sim_program, run_dir, com, model=MODELS[com][0]) for com in MODELS}
    home = "Z:" + bin_dir.replace("/", "\\")
    text = "[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n" % (home, home)
    for com in sorted(MODELS):
        text += "[COM%d:]\r\ndevicetype=%s\r\n" % (com, MODELS[com][1])
    with open(os.path.join(prefix, "drive_c", "windows", "gyrantx.ini"), "w") as f:
        f.write(text)
    err = open(os.path.join(logs, "gyxsrv.err"), "w")
    driver = subprocess.Popen(["wine", os.path.join(bin_dir, "gyxsrv.exe"), "-quiet"], stdin=subprocess.DEVNULL,
                              stdout=err, stderr=err)
    for s in sims.values():
        s.ask("waitinit timeout=30000", timeout=40)
    say("driver serves four devices; %d applications for %d s" % (args.apps, seconds))

    feeders = [Feeder(s) for s in sims.values()]
    for f in feeders:
        f.start()
    apps = []
    for k in range(args.apps):
        apps.append(App(WineProc(soakapp, ["--seed", k + 1, "--seconds", seconds, "--every", args.every], logs,
                                 "app%d" % k)))
    for a in apps:
        a.proc.expect("ready", 60)

    wsrv = wineserver_pid(prefix)
    samples = []
    started = time.monotonic()
    last_t, last_cpu, last_ws = started, cpu_ns(driver.pid), cpu_ns(wsrv) if wsrv else None
    while True:
        left = seconds - (time.monotonic() - started)
        time.sleep(max(0.0, min(args.sample_seconds, left)))
        for a in apps:
            a.drain()
        now, cpu, ws = time.monotonic(), cpu_ns(driver.pid), cpu_ns(wsrv) if wsrv else None
        p = probe(soakapp, "gyxsrv.exe")
        fds, maps = linux_handles(driver.pid)
        samples.append({
            "fds": fds,
            "maps": maps,
            "t": now - started,
            "cpu": 100.0 * (cpu - last_cpu) / 1e9 / (now - last_t) if cpu is not None else None,
            "ws_cpu": 100.0 * (ws - last_ws) / 1e9 / (now - last_t) if ws is not None and last_ws else None,
            "private": private_kib(driver.pid),
            "commit": int(p.get("pagefile", 0)) // 1024,
            "handles": int(p.get("handles", 0)),
            "records": sum(int(a.stats.get("records", 0)) for a in apps),
            "sent": sum(f.sent for f in feeders),
        })
        last_t, last_cpu, last_ws = now, cpu, ws
        s = samples[-1]
        say("t=%4.0fs driver cpu=%.1f%% private=%s KiB commit=%d KiB fds=%s maps=%s sent=%d delivered=%d" %
            (s["t"], s["cpu"] or 0, s["private"], s["commit"], s["fds"], s["maps"], s["sent"], s["records"]))
        if left <= args.sample_seconds or driver.poll() is not None:
            break

    for f in feeders:
        f.stop_flag = True
    for a in apps:
        rest = a.proc.stop(60)
        for line in rest:
            if line.startswith("stats"):
                a.stats = parse_pairs(line)
    for f in feeders:
        f.join(90)
    alive = driver.poll() is None
    final = probe(soakapp, "gyxsrv.exe")
    final_fds, final_maps = linux_handles(driver.pid)
    subprocess.run(["wine", os.path.join(bin_dir, "gyxsrv.exe"), "-shutdown", "-force", "-quiet"], timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        driver.wait(30)
    except subprocess.TimeoutExpired:
        driver.kill()
    for s in sims.values():
        s.stop()

    def total(key):
        return sum(int(a.stats.get(key, 0)) for a in apps)

    sent = sum(f.sent for f in feeders)
    lines = []
    lines.append("Soak run: %d s, four simulated controllers at full rate (COM1 2200, COM2 3200, COM3 Stick, "
                 "COM4 2200), %d applications taking a random step every %d ms on average; finished %s UTC." %
                 (seconds, args.apps, args.every, time.strftime("%Y-%m-%d %H:%M", time.gmtime())))
    lines.append("")
    lines.append("| what | count |")
    lines.append("|---|---:|")
    lines.append("| motion packets sent by the controllers | %d |" % sent)
    lines.append("| records the driver put in the applications' rings | %d |" % total("records"))
    lines.append("| events the applications received (after folding) | %d |" % total("events"))
    lines.append("| records the library folded into a later motion event (coalesced) | %d |" % total("coalesced"))
    lines.append("| zero events received (in place of events a nearly full ring could not take, and at focus "
                 "changes) | %d |" % total("zero"))
    lines.append("| records a full ring dropped (notice repeating the last number) | %d |" % total("dropped"))
    lines.append("| packets put in no ring (no application had the device, or its ring was full) | %d |" %
                 max(0, sent - total("records")))
    lines.append("| opens / closes / grabs by the applications | %d / %d / %d |" %
                 (total("opens"), total("closes"), total("grabs")))
    lines.append("| failed library calls | %d |" % total("failures"))
    lines.append("| feeder errors | %s |" % (", ".join(f.error for f in feeders if f.error) or "none"))
    lines.append("| driver still running at the end | %s |" % ("yes" if alive else "**no**"))
    lines.append("")
    lines.append("| t (s) | driver CPU (% of a core) | wineserver CPU | Linux private (KiB) | Win32 commit (KiB) | "
                 "open fds | mapped regions | records delivered so far |")
    lines.append("|---:|---:|---:|---:|---:|---:|---:|---:|")
    for s in samples:
        lines.append("| %.0f | %.1f | %s | %s | %d | %s | %s | %d |" %
                     (s["t"], s["cpu"] or 0, "%.1f" % s["ws_cpu"] if s["ws_cpu"] is not None else "-",
                      s["private"], s["commit"], s["fds"], s["maps"], s["records"]))
    lines.append("| after the applications ended | | | | %d | %s | %s | |" %
                 (int(final.get("pagefile", 0)) // 1024, final_fds, final_maps))
    if len(samples) >= 2:
        first, last = samples[0], samples[-1]
        lines.append("")
        lines.append("From the first sample to the last: open fds %+d, mapped regions %+d, Win32 commit %+d KiB, "
                     "Linux private %+d KiB. (Wine 8 reports no Win32 handle count: GetProcessHandleCount gives "
                     "%s; the driver's handles show as the fds and mapped views of its Linux process.)" %
                     ((last["fds"] or 0) - (first["fds"] or 0), (last["maps"] or 0) - (first["maps"] or 0),
                      last["commit"] - first["commit"], (last["private"] or 0) - (first["private"] or 0),
                      last["handles"]))
    report = "\n".join(lines)
    print(report)
    if args.out:
        with open(args.out, "w") as f:
            f.write(report + "\n")
    return 0 if alive else 1


if __name__ == "__main__":
    sys.exit(main())
