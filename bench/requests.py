"""requests.py - where the wineserver calls go, counted per packet or per request.

Runs one load against the driver in a Wine environment whose wineserver logs
every request (bench/requests.sh starts it with GYX_WINESERVER_DEBUG=-d1) and
counts, for the driver and for the applications, the server requests their
threads made while the load ran, by request name:

  work     four simulated Quorvanel 2200 at their full 9600 baud, one library
           client per device (the CPU row of bench.py); per packet
  burst    one unpaced simulator, one client in front holding the grab (the
           pipeline row); per packet
  request  one client timing GiGetDeviceInfo (the request row); per request
  post     the bare PostMessage -> GetMessage pair (the pipeline's baseline),
           no driver; per message

The logging slows wineserver down, so times and CPU of such a run mean
nothing; the counts do not depend on them.
"""

import argparse
import collections
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench import MOTION, PACKET_SECONDS, Run  # noqa: E402
from benchproc import Sim, now_us, win_path  # noqa: E402

REQUEST = re.compile(r"^([0-9a-f]{4,8}): ([a-z_]+)\((.*)")
SIGNAL = re.compile(r"^([0-9a-f]{4,8}): \*sent signal\*")
UNIX_PID = re.compile(r"unix_pid=(\d+)")


def threads_of(text):
    """Wine thread id -> the Linux pid of its process, from the threads' start requests."""
    owner = {}
    for line in text.splitlines():
        m = REQUEST.match(line)
        if m and m.group(2) in ("init_first_thread", "init_thread"):
            p = UNIX_PID.search(m.group(3))
            if p:
                owner[m.group(1)] = int(p.group(1))
    return owner


def count(text):
    """Requests per thread id: {tid: Counter(name -> n)}; signals sent to it as '*signal*'."""
    per = collections.defaultdict(collections.Counter)
    for line in text.splitlines():
        m = REQUEST.match(line)
        if m and not m.group(3).startswith(") ="):
            per[m.group(1)][m.group(2)] += 1
            continue
        m = SIGNAL.match(line)
        if m:
            per[m.group(1)]["*signal*"] += 1
    return per


def report(title, per, tids, units, unit, top):
    both = collections.Counter()
    for t in tids:
        both.update(per.get(t, {}))
    total = sum(n for k, n in both.items() if k != "*signal*")
    print("%s: %d server requests, %.1f per %s" % (title, total, total / units, unit))
    print("| request | per %s |" % unit)
    print("|---|---:|")
    for name, n in both.most_common(top):
        print("| %s | %.2f |" % (name, n / units))
    print()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--load", choices=("work", "burst", "request", "post"), default="work")
    ap.add_argument("--seconds", type=float, default=3.0, help="work: length of the traced load")
    ap.add_argument("--packets", type=int, default=1000, help="burst: packets")
    ap.add_argument("--requests", type=int, default=500, help="request: timed requests")
    ap.add_argument("--messages", type=int, default=5000, help="post: messages")
    ap.add_argument("--top", type=int, default=14, help="request names listed per side")
    a = ap.parse_args()

    log = os.path.join(os.environ["GYX_RUN_DIR"], "wineserver.log")
    run = Run(argparse.Namespace())
    apps = []
    sims = {}
    unit = "packet"
    if a.load == "post":
        unit = "message"
        recv = run.start("gyxbench_post", ["recv"])
        hwnd = recv.expect("hwnd=")["hwnd"]
        sender = run.start("gyxbench_post", ["send", hwnd, a.messages], "post-send")
        recv.expect("round", 60)  # the first round warms up, as in bench.py
        sender.expect("posted", 60)
        sender.stop()
        sender = run.start("gyxbench_post", ["send", hwnd, a.messages], "post-send")
        time.sleep(0.3)  # its start-up, before the posting begins
        start = os.path.getsize(log)
        recv.expect("round", 60)
        end = os.path.getsize(log)
        sender.expect("posted", 60)
        apps = [sender, recv]
        units = a.messages
    elif a.load == "work":
        sims = {com: Sim(run.sim_program, run.run_dir, com) for com in (1, 2, 3, 4)}
        run.start_driver(sims)
        apps = [run.start("gyxbench_app", ["idle", "--device", k, "--grab", 1, "--front", int(k == 3)], "work")
                for k in range(4)]
        for x in apps:
            x.expect("ready")
        packets = int(a.seconds / PACKET_SECONDS) + 1
        start = os.path.getsize(log)
        for s in sims.values():
            s.send("move %s every=0 count=%d ticks=267" % (MOTION, packets))
        for s in sims.values():
            s.reply(a.seconds + 120)
        time.sleep(0.5)
        end = os.path.getsize(log)
        units = 4 * packets
    elif a.load == "burst":
        sims = {1: Sim(run.sim_program, run.run_dir, 1, baud=0)}
        run.start_driver(sims)
        apps = [run.start("gyxbench_app", ["throughput", "--grab", 1, "--front", 1], "throughput")]
        apps[0].expect("ready")
        start = os.path.getsize(log)
        sims[1].ask("move %s every=0 count=%d ticks=320" % (MOTION, a.packets))
        time.sleep(max(1.0, a.packets / 1000.0))
        sims[1].ask("press 1")
        apps[0].expect("burst", 120)
        end = os.path.getsize(log)
        sims[1].ask("release 1")
        units = a.packets
    else:
        unit = "request"
        sims = {1: Sim(run.sim_program, run.run_dir, 1)}
        run.start_driver(sims)
        out = os.path.join(run.logs, "requests-trace.txt")
        # The client starts first and begins at an agreed time, so that its
        # start-up is not counted.
        begin = now_us() + 4e6
        c = run.start("gyxbench_app", ["request", "--count", a.requests, "--out", win_path(out),
                                       "--start-at", "%.0f" % begin], "req1")
        time.sleep(max(0.0, (begin - now_us()) / 1e6 - 0.5))
        start = os.path.getsize(log)
        c.expect("done", 300)
        end = os.path.getsize(log)
        apps = [c]
        units = a.requests
    pids = [x.pid for x in apps]
    for x in apps:
        x.stop()
    if a.load == "post":
        whole = open(log, "rb").read().decode("latin1")
        owner, per = threads_of(whole), count(whole[start:end])
        senders = [t for t, p in owner.items() if p == pids[0]]
        receivers = [t for t, p in owner.items() if p == pids[1]]
        # The posting began before the count did: every message the receiver
        # took in the window is one get_message.
        units = max(1, sum(per[t]["get_message"] for t in receivers))
        print("load post: %d messages taken while counted\n" % units)
        report("sender", per, senders, units, unit, a.top)
        report("receiver", per, receivers, units, unit, a.top)
        return 0
    run.stop_driver()
    for s in sims.values():
        s.stop()

    with open(log, "rb") as f:
        whole = f.read().decode("latin1")
    window = whole[start:end]
    owner = threads_of(whole)
    per = count(window)
    driver = [t for t, p in owner.items() if p == run.driver.pid]
    clients = [t for t, p in owner.items() if p in pids]
    if not driver:
        print("requests: the driver's threads were not found in the server's log", file=sys.stderr)
        return 1
    print("load %s: %d %ss\n" % (a.load, units, unit))
    report("driver", per, driver, units, unit, a.top)
    report("application%s" % ("s" if len(pids) > 1 else ""), per, clients, units, unit, a.top)
    return 0


if __name__ == "__main__":
    sys.exit(main())
