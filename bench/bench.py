"""bench.py - runs every measurement of the benchmark suite several times
inside a Wine environment (bench/run.sh sets it up) and prints one table;
also writes it to bench/results.md.

Phases, each with its bare baseline in the same run:
  A  no driver: bare serial echo latency, PostMessage throughput, two-semaphore
     round trip, an idle Win32 program's CPU and memory
  B  driver with four simulated Quorvanel 2200 at 9600 baud: idle CPU and
     memory, device-to-application latency, GiGetDeviceInfo from 1 and 4
     applications, CPU at full line rate, memory with eight applications
  C  driver with one unpaced simulator: pipeline throughput in bursts
  N  native parser speed (Google Benchmark)
  J  the jet demo's frame (its own window and paint code) beside a bare GDI
     program drawing the same lines, and motion -> screen through its loop
"""

import argparse
import json
import os
import platform
import subprocess
import sys
import time

from benchproc import (BenchError, CpuMeter, Sim, WineProc, now_us, parse_pairs, private_kib, read_samples,
                       summary, win_path, wineserver_pid)
import benchtable

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MOTION = "120 -60 30 10 -10 5"  # no byte of it needs a caret escape: 16 bytes on the wire
PACKET_SECONDS = 16 * 10 / 9600.0  # one such packet at 9600 8N1


class Run:
    def __init__(self, args):
        self.args = args
        self.bin = os.path.join(ROOT, "build", "bench-win64", "bin")
        self.native = os.path.join(ROOT, "build", "bench-native")
        self.sim_program = os.path.join(self.native, "tools", "gyxsim", "gyxsim")
        self.run_dir = os.environ["GYX_RUN_DIR"]
        self.prefix = os.environ["WINEPREFIX"]
        self.logs = os.path.join(self.run_dir, "bench-logs")
        os.makedirs(self.logs, exist_ok=True)
        self.results = {}
        self.count = 0

    def say(self, text):
        print("bench: " + text, file=sys.stderr, flush=True)

    def exe(self, name):
        return os.path.join(self.bin, name + ".exe")

    def start(self, name, args, tag=None):
        self.count += 1
        return WineProc(self.exe(name), args, self.logs, "%02d-%s" % (self.count, tag or name))

    def wineserver(self):
        return wineserver_pid(self.prefix)

    def win32_memory(self, exe_name):
        """Win32's view (GetProcessMemoryInfo) of every process of that name."""
        out = subprocess.run(["wine", self.exe("gyxbench_mem"), exe_name], capture_output=True, text=True,
                             timeout=60).stdout
        return [parse_pairs(line) for line in out.splitlines() if line.startswith("name=")]

    # ---- driver ---------------------------------------------------------------------------

    def write_ini(self, ports):
        home = win_path(self.bin)
        text = "[gyrantrix]\r\nhomedirectory=%s\r\nhomedir=%s\r\n" % (home, home)
        for com in ports:
            text += "[COM%d:]\r\ndevicetype=Quorvanel 2200\r\n" % com
        with open(os.path.join(self.prefix, "drive_c", "windows", "gyrantx.ini"), "w") as f:
            f.write(text)

    def start_driver(self, sims):
        self.write_ini(sorted(sims))
        for s in sims.values():
            s.ask("clear")
        self.count += 1
        err = open(os.path.join(self.logs, "%02d-gyxsrv.err" % self.count), "w")
        self.driver = subprocess.Popen(["wine", self.exe("gyxsrv"), "-quiet"], stdin=subprocess.DEVNULL,
                                       stdout=err, stderr=err)
        for s in sims.values():
            s.send("waitinit timeout=30000")
        for s in sims.values():
            r = s.reply(40)
            if not r.startswith("ok"):
                raise BenchError("driver did not initialise COM%d: %s" % (s.com, r))
        # The first request is served once the main loop runs: a client's open.
        app = self.start("gyxbench_app", ["idle"], "probe")
        app.expect("ready")
        app.stop()

    def stop_driver(self):
        subprocess.run(["wine", self.exe("gyxsrv"), "-shutdown", "-force", "-quiet"], timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            self.driver.wait(30)
        except subprocess.TimeoutExpired:
            self.driver.kill()
            self.driver.wait(5)

    # ---- measurements ---------------------------------------------------------------------

    def latency_rounds(self, sim):
        r = sim.ask("latency %s count=%d every=10 timeout=1000 ticks=283" % (MOTION, self.args.rounds),
                    timeout=self.args.rounds * 2 + 30)
        p = parse_pairs(r)
        us = [float(x) for x in p["us"].split(",") if x]
        return us, int(p["lost"])

    def cpu_windows(self, pids, seconds, runs):
        """CPU percent of each process over `runs` windows of `seconds`."""
        per = {}
        for _ in range(runs):
            meter = CpuMeter(pids)
            meter.start()
            time.sleep(seconds)
            cpu, wall = meter.stop()
            for k, v in cpu.items():
                per.setdefault(k, []).append(100.0 * v / wall)
        return per

    def phase_a(self):
        a = self.args
        self.say("A: baselines without the driver")
        sim = Sim(self.sim_program, self.run_dir, 1)
        try:
            for wake, key in (("event", "echo"), ("read", "echoread")):
                echo = self.start("gyxbench_echo", ["COM1", "--wake", wake], key)
                echo.expect("ready")
                samples, lost = [], 0
                self.latency_rounds(sim)  # warm-up
                for _ in range(a.runs):
                    us, l = self.latency_rounds(sim)
                    samples += us
                    lost += l
                # the warm-up rounds count too
                self.results[key + "_wakes"] = wakes_per_packet(echo.stop(), a.rounds * (a.runs + 1))
                self.results[key + "_us"] = samples
                self.results[key + "_lost"] = lost
            self.wake_modes(sim)
        finally:
            sim.stop()

        recv = self.start("gyxbench_post", ["recv"])
        hwnd = recv.expect("hwnd=")["hwnd"]
        rates, failed = [], 0
        for i in range(a.runs + 1):
            sender = self.start("gyxbench_post", ["send", hwnd, a.messages], "post-send")
            r = recv.expect("round", 60)
            p = sender.expect("posted", 60)
            sender.stop()
            if i > 0:  # the first round warms up
                rates.append(int(r["received"]) / (float(r["us"]) / 1e6))
                failed += int(p["failed"])
        recv.stop()
        self.results["post_rates"] = rates
        self.results["post_failed"] = failed

        server = self.start("gyxbench_sema", ["server"])
        server.expect("ready")
        for lock, key in ((0, "sema"), (1, "semalock")):
            samples, rates = [], []
            for i in range(a.runs):
                out = os.path.join(self.logs, "%s-%d.txt" % (key, i))
                c = self.start("gyxbench_sema", ["client", "--count", a.requests, "--out", win_path(out),
                                                 "--lock", lock], key)
                d = c.expect("done", 120)
                c.stop()
                samples += read_samples(out)
                rates.append(int(d["n"]) / (float(d["us"]) / 1e6))
            self.results[key + "_us"] = samples
            self.results[key + "_rates"] = rates
        server.stop()

        if not a.skip_idle:
            idle = self.start("gyxbench_idle", [])
            idle.expect("ready")
            time.sleep(1)
            cpu = self.cpu_windows({"idle": idle.pid, "wineserver": self.wineserver()}, a.idle_seconds, a.runs)
            self.results["idleprog_cpu"] = cpu.get("idle", [])
            self.results["idleprog_wineserver_cpu"] = cpu.get("wineserver", [])
            mem = self.win32_memory("gyxbench_idle.exe")
            self.results["idleprog_commit"] = [int(m.get("pagefile", 0)) for m in mem]
            self.results["idleprog_linux_private"] = private_kib(idle.pid)
            idle.stop()

    def wake_modes(self, sim):
        """The ways to be woken once per packet, each in the bare echo: the
        event character (EV_RXFLAG), a read ended by an interval time-out, and
        reads sized to the packet (the driver's). Fewer rounds with a short
        time-out, because a wake-up that never comes loses every round."""
        count = min(self.args.rounds, 40)
        for wake in ("rxflag", "interval", "sized"):
            key = "wake_" + wake
            echo = self.start("gyxbench_echo", ["COM1", "--wake", wake], key)
            echo.expect("ready")
            samples, lost = [], 0
            for _ in range(self.args.runs):
                r = sim.ask("latency %s count=%d every=10 timeout=300 ticks=283" % (MOTION, count),
                            timeout=count * 2 + 30)
                p = parse_pairs(r)
                samples += [float(x) for x in p["us"].split(",") if x]
                lost += int(p["lost"])
            self.results[key + "_wakes"] = wakes_per_packet(echo.stop(), count * self.args.runs)
            self.results[key + "_us"] = samples
            self.results[key + "_lost"] = lost
            self.results[key + "_rounds"] = count * self.args.runs

    def phase_b(self):
        a = self.args
        self.say("B: driver with four devices at 9600 baud")
        sims = {com: Sim(self.sim_program, self.run_dir, com) for com in (1, 2, 3, 4)}
        try:
            self.start_driver(sims)
            pids = {"driver": self.driver.pid, "wineserver": self.wineserver()}
            if not a.skip_idle:
                time.sleep(1)
                cpu = self.cpu_windows(pids, a.idle_seconds, a.runs)
                self.results["driver_idle_cpu"] = cpu.get("driver", [])
                self.results["driver_idle_wineserver_cpu"] = cpu.get("wineserver", [])
            mem = self.win32_memory("gyxsrv.exe")
            self.results["driver_commit_idle"] = [int(m.get("pagefile", 0)) for m in mem]
            self.results["driver_linux_private_idle"] = private_kib(self.driver.pid)

            # Latency: a library client answers every event with a beep.
            app = self.start("gyxbench_app", ["latency", "--device", 0, "--grab", 1, "--front", 1], "latency")
            app.expect("ready")
            self.latency_rounds(sims[1])  # warm-up
            samples, lost = [], 0
            for _ in range(a.runs):
                us, l = self.latency_rounds(sims[1])
                samples += us
                lost += l
            rest = app.stop()
            self.results["loop_us"] = samples
            self.results["loop_lost"] = lost
            self.results["loop_beep"] = [parse_pairs(x) for x in rest if x.startswith("beeps")]

            # Request round trip: one application, then four at once.
            samples, rates = [], []
            for i in range(a.runs):
                out = os.path.join(self.logs, "req1-%d.txt" % i)
                c = self.start("gyxbench_app", ["request", "--count", a.requests, "--out", win_path(out)], "req1")
                d = c.expect("done", 120)
                c.stop()
                samples += read_samples(out)
                rates.append(int(d["n"]) / (float(d["us"]) / 1e6))
            self.results["req1_us"] = samples
            self.results["req1_rates"] = rates
            samples, rates = [], []
            for i in range(a.runs):
                start_at = now_us() + 4e6
                apps, outs = [], []
                for k in range(4):
                    out = os.path.join(self.logs, "req4-%d-%d.txt" % (i, k))
                    outs.append(out)
                    apps.append(self.start("gyxbench_app", ["request", "--device", k, "--count", a.requests,
                                                            "--out", win_path(out), "--start-at", "%.0f" % start_at],
                                           "req4"))
                done = [x.expect("done", 180) for x in apps]
                for x in apps:
                    x.stop()
                for out in outs:
                    samples += read_samples(out)
                first = min(float(d["start"]) for d in done)
                last = max(float(d["start"]) + float(d["us"]) for d in done)
                rates.append(sum(int(d["n"]) for d in done) / ((last - first) / 1e6))
            self.results["req4_us"] = samples
            self.results["req4_rates"] = rates

            # Full line rate on all four ports, one client per device taking the events.
            if not a.skip_idle:
                apps = [self.start("gyxbench_app", ["idle", "--device", k, "--grab", 1, "--front", int(k == 3)],
                                   "work") for k in range(4)]
                for x in apps:
                    x.expect("ready")
                seconds = a.idle_seconds * a.runs + 2
                packets = int(seconds / PACKET_SECONDS) + 1
                for s in sims.values():
                    s.send("move %s every=0 count=%d ticks=267" % (MOTION, packets))
                time.sleep(1)
                meter_pids = dict(pids)
                for k, x in enumerate(apps):
                    meter_pids["app%d" % k] = x.pid
                cpu = self.cpu_windows(meter_pids, a.idle_seconds, a.runs)
                self.results["driver_work_cpu"] = cpu.get("driver", [])
                self.results["driver_work_wineserver_cpu"] = cpu.get("wineserver", [])
                self.results["driver_work_app_cpu"] = [sum(v) / 4 for v in zip(*[cpu.get("app%d" % k, [])
                                                                                 for k in range(4)])]
                for s in sims.values():
                    s.reply(seconds + 60)
                time.sleep(0.5)
                events = [parse_pairs(r[-1]) if r else {} for r in (x.stop() for x in apps)]
                self.results["work_events"] = sum(int(e.get("events", 0)) for e in events)
                self.results["work_packets"] = packets * 4
                self.results["work_seconds"] = packets * PACKET_SECONDS

            # Memory with eight applications attached (two per device).
            apps = [self.start("gyxbench_app", ["idle", "--device", k % 4], "mem") for k in range(8)]
            for x in apps:
                x.expect("ready")
            time.sleep(1)
            mem = self.win32_memory("gyxsrv.exe")
            self.results["driver_commit_8apps"] = [int(m.get("pagefile", 0)) for m in mem]
            self.results["driver_linux_private_8apps"] = private_kib(self.driver.pid)
            for x in apps:
                x.stop()
            self.stop_driver()
        finally:
            for s in sims.values():
                s.stop()

    def phase_c(self):
        a = self.args
        self.say("C: pipeline throughput (one unpaced device)")
        sim = Sim(self.sim_program, self.run_dir, 1, baud=0)
        try:
            self.start_driver({1: sim})
            # The application in use is in front and holds the grab.
            app = self.start("gyxbench_app", ["throughput", "--grab", 1, "--front", 1], "throughput")
            app.expect("ready")
            pids = {"driver": self.driver.pid, "app": app.pid, "wineserver": self.wineserver(),
                    "simulator": sim.proc.pid}
            bursts = []
            for i in range(a.runs + 1):
                meter = CpuMeter(pids)
                meter.start()
                sent = now_us()
                sim.ask("move %s every=0 count=%d ticks=320" % (MOTION, a.burst))
                # The marker goes once the burst has drained: a full ring would drop it.
                time.sleep(max(1.0, a.burst / 1000.0))
                sim.ask("press 1")
                b = app.expect("burst", 120)
                cpu, wall = meter.stop()
                sim.ask("release 1")
                b = {k: float(v) for k, v in b.items()}
                # From the burst's first byte to its last event, on the clock both sides share.
                if 0 < b["last"] - sent < 60e6:
                    b["us"] = b["last"] - sent
                b["cpu"] = cpu
                if i > 0:  # the first burst warms up
                    bursts.append(b)
            app.stop()
            self.results["bursts"] = bursts
            self.results["burst_packets"] = a.burst
            self.results["burst_overruns"] = sim.overruns()
            self.stop_driver()
        finally:
            sim.stop()

    def phase_jet(self):
        a = self.args
        self.say("J: jet demo frame beside bare GDI")
        lines = os.path.join(self.logs, "jet-lines.txt")
        r = self.results
        for key in ("jet_fps", "gdi_fps", "jet_frame_us", "gdi_frame_us", "jet_own_us", "jet_motion_us",
                    "jet_motion_max_us", "jet_paints"):
            r[key] = []
        for i in range(a.runs):
            # Alternating in the same run, so both meet the same load.
            out = os.path.join(self.logs, "jetframe-%d.txt" % i)
            j = self.start("gyxbench_jetframe", ["--frames", a.frames, "--rounds", a.jet_rounds, "--lines",
                                                 win_path(lines), "--out", win_path(out)], "jetframe")
            j.expect("ready", 60)
            d = j.expect("done", 600)
            j.stop()
            r["jet_fps"].append(float(d["fps"]))
            r["jet_frame_us"] += read_samples(out)
            r["jet_own_us"].append(float(d["own_us"]))
            r["jet_motion_us"].append(float(d["motion_us"]))
            r["jet_motion_max_us"].append(float(d["motion_max_us"]))
            r["jet_paints"].append(int(d["paints"]))
            r["jet_lines"] = int(d["lines"])
            out = os.path.join(self.logs, "gdiframe-%d.txt" % i)
            g = self.start("gyxbench_gdiframe", ["--lines", win_path(lines), "--frames", a.frames, "--out",
                                                 win_path(out)], "gdiframe")
            g.expect("ready", 60)
            e = g.expect("done", 600)
            g.stop()
            r["gdi_fps"].append(float(e["fps"]))
            r["gdi_frame_us"] += read_samples(out)

    def phase_native(self):
        self.say("N: native parser speed")
        out = os.path.join(self.logs, "parser.json")
        subprocess.run([os.path.join(self.native, "bench", "gyxbench_parser"),
                        "--benchmark_repetitions=%d" % self.args.runs, "--benchmark_out=" + out,
                        "--benchmark_out_format=json"], check=True, stdout=subprocess.DEVNULL)
        with open(out) as f:
            data = json.load(f)
        parser = {}
        for b in data["benchmarks"]:
            if b.get("run_type") != "iteration" or b.get("error_occurred"):
                if b.get("error_occurred"):
                    parser.setdefault(b["run_name"], []).append(None)
                continue
            parser.setdefault(b["run_name"], []).append(b["bytes_per_second"] / 1e6)
        self.results["parser"] = parser
        self.results["parser_context"] = data.get("context", {})


def wakes_per_packet(lines, packets):
    """Wake-ups per packet from gyxbench_echo's closing line, or None."""
    for line in lines:
        if line.startswith("echoes"):
            p = parse_pairs(line)
            return int(p.get("wakes", 0)) / float(max(1, packets))
    return None


def machine():
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return {"cpu": cpu, "cores": os.cpu_count(), "kernel": platform.release(), "wine": wine,
            "load": os.getloadavg(), "date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime())}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--runs", type=int, default=3, help="repetitions of every measurement")
    ap.add_argument("--rounds", type=int, default=100, help="latency rounds per run")
    ap.add_argument("--messages", type=int, default=20000, help="PostMessage baseline: messages per round")
    ap.add_argument("--requests", type=int, default=2000, help="timed requests per run and application")
    ap.add_argument("--burst", type=int, default=1000, help="packets per throughput burst")
    ap.add_argument("--idle-seconds", type=float, default=10.0, help="length of one CPU window")
    ap.add_argument("--skip-idle", action="store_true", help="leave out the CPU windows (quick runs)")
    ap.add_argument("--frames", type=int, default=2000, help="jet frame: frames per run")
    ap.add_argument("--jet-rounds", type=int, default=200, help="jet frame: motion -> screen rounds per run")
    ap.add_argument("--phases", default="ABCNJ", help="which phases to run")
    ap.add_argument("--out", default=os.path.join(ROOT, "bench", "results.md"), help="table file to write")
    ap.add_argument("--json", default=None, help="also write the raw figures here")
    ap.add_argument("--from-json", default=None, help="render the table from a file --json wrote, measuring nothing")
    args = ap.parse_args()
    if args.from_json:
        with open(args.from_json) as f:
            saved = json.load(f)
        info, results = saved["machine"], saved["results"]
    else:
        run = Run(args)
        started = time.monotonic()
        info = machine()
        for phase in args.phases:
            getattr(run, {"A": "phase_a", "B": "phase_b", "C": "phase_c", "N": "phase_native",
                          "J": "phase_jet"}[phase])()
        info["seconds"] = time.monotonic() - started
        info["runs"] = args.runs
        results = run.results
        if args.json:
            with open(args.json, "w") as f:
                json.dump({"machine": info, "results": results}, f)
    text = benchtable.render(results, info, args)
    print(text)
    with open(args.out, "w") as f:
        f.write(text)
    if os.path.abspath(args.out) == os.path.join(ROOT, "bench", "results.md"):
        quote_in_readme(text)


def quote_in_readme(text):
    """Puts the table into bench/README.md between its results markers."""
    path = os.path.join(ROOT, "bench", "README.md")
    with open(path) as f:
        readme = f.read()
    begin, end = "<!-- results -->\n", "<!-- /results -->"
    if begin not in readme or end not in readme:
        return
    body = "\n".join(("#" + line if line.startswith("## ") else line)
                     for line in text.splitlines() if not line.startswith("# "))
    head, rest = readme.split(begin, 1)
    readme = head + begin + body.strip() + "\n" + end + rest.split(end, 1)[1]
    with open(path, "w") as f:
        f.write(readme)


if __name__ == "__main__":
    try:
        main()
    except BenchError as e:
        print("bench: error: %s" % e, file=sys.stderr)
        sys.exit(1)
