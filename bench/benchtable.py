"""benchtable.py - turns the figures of one bench.py run into the table of
bench/results.md: each figure with min, median and p99 (samples) or the
largest run (per-run figures), its target or physical limit, the ratio, and
a breakdown of where the time goes, computed from the same run."""

import statistics

from benchproc import percentile

WIRE_PACKET_US = 17 * 10 / 9600 * 1e6  # ~17.7 ms: a motion packet, 17 bytes with its usual escape, 10 bits each
FOUR_PORTS_PACKETS = 220               # what four ports at 9600 baud can carry together, packets/s


def num(x, digits=0):
    if x is None:
        return "-"
    if abs(x) >= 100 or digits == 0:
        return "{:,.0f}".format(x).replace(",", " ")
    return "{:.{d}f}".format(x, d=digits)


def samples_stats(values):
    if not values:
        return None
    return (min(values), statistics.median(values), percentile(values, 99))


def runs_stats(values):
    values = [v for v in values if v is not None]
    if not values:
        return None
    return (min(values), statistics.median(values), max(values))


class Table:
    def __init__(self):
        self.rows = []
        self.misses = []

    def add(self, part, figure, unit, stats, target="", ratio=None, met=None, digits=0, spread=False):
        if stats is None:
            cells = ["-", "-", "-"]
        else:
            cells = [num(stats[0], digits), num(stats[1], digits), num(stats[2], digits) + (" (max)" if spread else "")]
        ratio_text = "" if ratio is None else "{:.2f}".format(ratio)
        met_text = "" if met is None else ("yes" if met else "**no**")
        if met is False:
            self.misses.append(figure)
        self.rows.append("| %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            part, figure, unit, cells[0], cells[1], cells[2], target, ratio_text, met_text))

    def text(self):
        head = ["| # | figure | unit | min | median | p99 or max | target or limit | ratio | met |",
                "|---|---|---|---:|---:|---:|---|---:|---|"]
        return "\n".join(head + self.rows)


def render(r, info, args):
    t = Table()
    notes = []

    # 1. Latency
    echo = samples_stats(r.get("echo_us", []))
    echoread = samples_stats(r.get("echoread_us", []))
    loop = samples_stats(r.get("loop_us", []))
    wire = "wire: %s us per packet" % num(WIRE_PACKET_US)
    if echo:
        t.add(1, "bare Win32 echo on the virtual null-modem, comm-event wait: packet's last byte out -> first "
              "byte back (baseline)", "us", echo, wire, echo[1] / WIRE_PACKET_US)
    if echoread:
        t.add(1, "the same echo woken by a pending ReadFile, as the driver is under Wine (second baseline)", "us",
              echoread, wire, echoread[1] / WIRE_PACKET_US)
    if loop:
        t.add(1, "device -> driver -> application (in front) -> GiBeep -> driver -> port", "us", loop, wire,
              loop[1] / WIRE_PACKET_US)
    # The added latency is the client loop less the wake-up the driver really
    # uses (the pending read). Subtracting the slower comm-event echo would
    # give negative figures that are no latency at all, and would read as met.
    base, name = (echoread, "pending-read echo") if echoread else (echo, "comm-event echo")
    if base and loop:
        added = (loop[0] - base[0], loop[1] - base[1], loop[2] - base[2])
        if min(added) >= 0:
            t.add(1, "added by driver and library: client minus %s" % name, "us", added, "p99 <= 1 000 us",
                  added[2] / 1000.0, added[2] <= 1000.0)
        else:
            t.add(1, "client minus %s: the baseline is slower than the client, no added latency can be read "
                  "from it" % name, "us", added)
    modes = (("rxflag", "event character CR and WaitCommEvent(EV_RXFLAG), then ReadFile"),
             ("interval", "ReadFile ended by a 5 ms read interval time-out"),
             ("sized", "reads sized to the packet: any byte, then the other 15 (the driver sleeps through 13 of them first)"))
    for key, label in (("echoread", "pending ReadFile per byte"),) + modes:
        samples = r.get(key + "_us") if key != "echoread" else None
        if key != "echoread":
            rounds = r.get("wake_%s_rounds" % key, 0)
            samples = r.get("wake_%s_us" % key)
            if samples is None:
                continue
            stats = samples_stats(samples)
            if stats:
                t.add(1, "wake-up compared, bare echo: %s" % label, "us", stats, wire, stats[1] / WIRE_PACKET_US)
            else:
                t.add(1, "wake-up compared, bare echo: %s: no answer in %d rounds (the wake-up never came)"
                      % (label, rounds), "us", None)
        wakes = r.get(("%s_wakes" % key) if key == "echoread" else ("wake_%s_wakes" % key))
        if wakes is not None:
            t.add(1, "wake-ups per packet of 16 bytes: %s" % label, "per packet", (wakes, wakes, wakes), digits=2)
    base = echoread or echo
    if base and loop:
        beep = r.get("loop_beep") or []
        if echo and echoread:
            notes.append("Latency baselines: the comm-event echo answers in %s us median, spread from %s to %s us "
                         "(p99): Wine's comm-event wait is slow and uneven to notice input. The pending-read echo "
                         "answers in %s us median: that is the floor of a serial round trip under Wine, and the "
                         "driver uses this wake-up, so the added latency is read against it."
                         % (num(echo[1]), num(echo[0]), num(echo[2]), num(echoread[1])))
        if beep:
            b = beep[0]
            notes.append("Latency: of the client loop's median %s us the pending-read echo takes %s us (Wine's "
                         "serial wake-up, read and write). GiBeep, as the application times it, takes %s us "
                         "median (p99 %s us): the request through the channel (application lock, request "
                         "semaphore, the driver taking it, reply semaphore). The remaining %s us are the "
                         "driver's parse, focus check and PostMessage, the application's wake-up and GiGetEvent, "
                         "and the driver's write of the beep command."
                         % (num(loop[1]), num(base[1]), num(float(b["median_us"])), num(float(b["p99_us"])),
                            num(loop[1] - base[1] - float(b["median_us"]))))
        lost = r.get("echo_lost", 0) + r.get("echoread_lost", 0) + r.get("loop_lost", 0)
        if lost:
            notes.append("Latency: %d rounds got no answer within 1 s and are left out." % lost)

    # 2. Throughput
    post = runs_stats(r.get("post_rates", []))
    bursts = r.get("bursts", [])
    if post:
        t.add(2, "bare PostMessage -> GetMessage across processes (baseline)", "messages/s", post, spread=True)
    if bursts:
        rec = runs_stats([b["records"] / (b["us"] / 1e6) for b in bursts if b["us"] > 0])
        ev = runs_stats([b["events"] / (b["us"] / 1e6) for b in bursts if b["us"] > 0])
        target = ">= 0.7 x baseline, >= %s/s" % num(20 * FOUR_PORTS_PACKETS)
        ratio = rec[1] / post[1] if post else None
        met = rec[1] >= 20 * FOUR_PORTS_PACKETS and (ratio is None or ratio >= 0.7)
        t.add(2, "pipeline, unpaced device: packets reaching the application (records)", "packets/s", rec,
              target, ratio, met, spread=True)
        t.add(2, "pipeline: events after coalescing", "events/s", ev, spread=True)
        sent = r.get("burst_packets", 0)
        dropped = runs_stats([100.0 * (sent - b["records"]) / sent for b in bursts]) if sent else None
        t.add(2, "burst packets not delivered (dropped at the full ring)", "%", dropped, digits=1, spread=True)
        handled = runs_stats([(b["records"] + b["skips"]) / (b["us"] / 1e6) for b in bursts if b["us"] > 0])
        t.add(2, "breakdown: messages the application took off its queue (one per packet: its record, or the "
              "notice of its drop)", "messages/s", handled, "baseline", handled[1] / post[1] if post else None,
              spread=True)
        per = {}
        for b in bursts:
            for k, v in b["cpu"].items():
                per.setdefault(k, []).append(1000.0 * v * 1000.0 / max(1, sent))
        for k in ("driver", "app", "wineserver", "simulator"):
            if k in per:
                t.add(2, "CPU per 1 000 packets of the burst: %s" % {"app": "application",
                                                                  "simulator": "simulator (load, same cores)"}.get(k, k),
                      "ms", runs_stats(per[k]), digits=1, spread=True)
        if per:
            wall = 1e6 / rec[1]
            text = ("Throughput: the application takes %s messages/s off its queue (one per packet), %s x the "
                    "bare PostMessage -> GetMessage pair. Per packet the driver spent %s us of CPU, the application "
                    "%s us and wineserver %s us (medians over each burst): the driver makes a PostMessage per "
                    "event, one foreground look per read and its share of the reads, the application its wait "
                    "and, for each motion message folded behind the first, one removing PeekMessage (the ring "
                    "says what is queued, so no look before it), against one call on each side of the bare "
                    "pair (README), and wineserver, single-threaded, carries them all."
                    % (num(handled[1]) if handled else "-",
                       "{:.2f}".format(handled[1] / post[1]) if handled and post else "-",
                       num(statistics.median(per.get("driver", [0])), 1),
                       num(statistics.median(per.get("app", [0])), 1),
                       num(statistics.median(per.get("wineserver", [0])), 1)))
            if dropped and dropped[2] > 0:
                text += (" In bursts where the application fell behind, its 1800-byte ring (34 records) filled and "
                         "the driver dropped records (up to %s%% of a burst) yet still posted a notice for each, "
                         "which the application takes off its queue too: dropping does not lighten its load."
                         % num(dropped[2], 1))
            notes.append(text)
        if r.get("burst_overruns"):
            notes.append("Throughput: the simulator counted %d overrun bytes (pty full)." % r["burst_overruns"])

    # 3. Request round trip
    sema = samples_stats(r.get("sema_us", []))
    semalock = samples_stats(r.get("semalock_us", []))
    req1 = samples_stats(r.get("req1_us", []))
    req4 = samples_stats(r.get("req4_us", []))
    if sema:
        t.add(3, "bare two-semaphore request/reply between two processes (baseline)", "us", sema)
        t.add(3, "bare request/reply: round trips", "per s", runs_stats(r.get("sema_rates", [])), spread=True)
    if semalock:
        t.add(3, "breakdown: the same with a named mutex held around it (the channel's application lock)", "us",
              semalock, ratio=semalock[1] / sema[1] if sema else None)
    for key, stats, who in (("req1", req1, "one application"), ("req4", req4, "four applications at once")):
        if not stats:
            continue
        ratio = stats[1] / sema[1] if sema else None
        t.add(3, "GiGetDeviceInfo, %s" % who, "us", stats, "median <= 1.3 x baseline", ratio,
              ratio is not None and ratio <= 1.3)
        t.add(3, "GiGetDeviceInfo, %s: requests" % who, "per s", runs_stats(r.get(key + "_rates", [])),
              spread=True)
    if sema and semalock and req1:
        notes.append("Requests: the bare two-semaphore exchange takes %s us median; with a named mutex held "
                     "around it, as the channel holds its application lock from request to reply, %s us: the "
                     "lock's wait and release are two more wineserver round trips, so any request of this channel "
                     "costs about %s x the bare exchange before the driver does anything. GiGetDeviceInfo takes "
                     "%s us, %s x the locked exchange%s. With four applications each request also waits for the "
                     "lock while the others are served (median %s us), and together they reach about the requests "
                     "per second of one: the channel serves one request at a time."
                     % (num(sema[1]), num(semalock[1]), "{:.1f}".format(semalock[1] / sema[1]), num(req1[1]),
                        "{:.2f}".format(req1[1] / semalock[1]),
                        ": the driver's own part (its wake-up through MsgWaitForMultipleObjects, the handling) "
                        "adds %s us" % num(req1[1] - semalock[1]) if req1[1] > semalock[1] * 1.1 else
                        ": beyond the channel's own kernel-object calls the driver adds next to nothing",
                        num(req4[1]) if req4 else "-"))

    # 4. Parser
    parser = r.get("parser", {})
    for name in sorted(parser):
        vals = parser[name]
        label = name.replace("BM_QuorvanelParse/", "Quorvanel parser, ").replace(
            "BM_Bit7Parse/", "bit-7 parser, ").replace("type:1/", "2200/").replace("type:2/", "3200/").replace(
            "type:3/", "Quorvanel Stick/").replace("type:5/", "Lumeqaro 700/").replace(
            "/read:", ", reads of ").replace("/min_time:0.500", "") + " bytes"
        if None in vals:
            t.add(4, label + " (the parser's events did not match the stream)", "MB/s", None)
            continue
        s = runs_stats(vals)
        t.add(4, label, "MB/s", s, ">= 100 MB/s (wire: 0.001)", s[1] / 100.0, s[1] >= 100.0, spread=True)

    slow = [n for n, v in parser.items() if None not in v and runs_stats(v)[1] < 100.0]
    if slow:
        notes.append("Parser: the reads of 1 byte (what the driver gets at 9600 baud, where each byte comes alone) "
                     "stay under 100 MB/s. A profile (README) puts about half the time in memchr: every call "
                     "searches the whole receive buffer for the packet's CR again, so a 16-byte packet fed byte "
                     "by byte is scanned some 136 bytes. Reads of 256 bytes pass the target four times over; the "
                     "wire brings 960 bytes/s.")

    # 5. Cost at rest and at work
    idle = runs_stats(r.get("idleprog_cpu", []))
    if idle:
        t.add(5, "idle Win32 program (window, 250 ms message wait): CPU (baseline)", "% of a core", idle, digits=2,
              spread=True)
        t.add(5, "wineserver while only the idle program runs", "% of a core",
              runs_stats(r.get("idleprog_wineserver_cpu", [])), digits=2, spread=True)
    drv_idle = runs_stats(r.get("driver_idle_cpu", []))
    if drv_idle:
        t.add(5, "driver at rest, four devices open, no traffic: CPU", "% of a core", drv_idle, "idle program",
              drv_idle[1] / idle[1] if idle and idle[1] else None, digits=2, spread=True)
        t.add(5, "wineserver while the driver rests", "% of a core",
              runs_stats(r.get("driver_idle_wineserver_cpu", [])), digits=2, spread=True)
    work = runs_stats(r.get("driver_work_cpu", []))
    if work:
        rate = r["work_packets"] / r["work_seconds"] if r.get("work_seconds") else None
        t.add(5, "driver at work, four devices at full 9600 baud (%s packets/s): CPU" % num(rate), "% of a core",
              work, "idle program", work[1] / idle[1] if idle and idle[1] else None, digits=1, spread=True)
        ws = runs_stats(r.get("driver_work_wineserver_cpu", []))
        t.add(5, "wineserver while the driver works", "% of a core", ws, digits=1, spread=True)
        t.add(5, "each of the four clients taking the events", "% of a core",
              runs_stats(r.get("driver_work_app_cpu", [])), digits=1, spread=True)
        bytes_per_s = 4 * 960.0
        notes.append("At work: four ports at 9600 baud bring %s bytes/s, a byte at a time. Per packet the driver "
                     "wakes for its first byte, sleeps through the line time of all but the last two of the rest "
                     "(no read pending, so Wine has nothing to complete byte by byte) and then reads the rest "
                     "with one read that ends with the last byte: %s us of driver CPU and %s us of wineserver CPU "
                     "per packet delivered (medians). Each read is a wineserver call for the port's time-outs, "
                     "one to start it and one completion signalled to the driver's thread; each wake-up a "
                     "queue-mask change and the wait; each event a PostMessage and a foreground look "
                     "(bench/requests.sh counts them)."
                     % (num(bytes_per_s), num(work[1] / 100.0 * 1e6 / rate, 1) if rate else "-",
                        num(ws[1] / 100.0 * 1e6 / rate, 1) if ws and rate else "-"))

    def kib(values):
        values = [v / 1024.0 for v in (values or []) if v]
        return (min(values), statistics.median(values), max(values)) if values else None

    def one(v):
        return (v, v, v) if v else None

    t.add(5, "idle program memory: commit (Win32 PagefileUsage)", "KiB", kib(r.get("idleprog_commit")), spread=True)
    t.add(5, "idle program memory: Linux private pages", "KiB", one(r.get("idleprog_linux_private")))
    t.add(5, "driver memory at rest: commit (Win32 PagefileUsage)", "KiB", kib(r.get("driver_commit_idle")),
          "idle program", None, spread=True)
    t.add(5, "driver memory at rest: Linux private pages", "KiB", one(r.get("driver_linux_private_idle")))
    t.add(5, "driver memory with eight applications attached: commit", "KiB", kib(r.get("driver_commit_8apps")),
          spread=True)
    t.add(5, "driver memory with eight applications attached: Linux private pages", "KiB",
          one(r.get("driver_linux_private_8apps")))

    # 6. The jet demo's frame
    jet = runs_stats(r.get("jet_fps", []))
    gdi = runs_stats(r.get("gdi_fps", []))
    if gdi:
        t.add(6, "bare GDI: the same %s lines at 800 x 800, into an off-screen bitmap, one copy to the window "
              "(baseline)" % r.get("jet_lines", "-"), "frames/s", gdi, spread=True)
        t.add(6, "bare GDI frame time", "us", samples_stats(r.get("gdi_frame_us", [])))
    if jet:
        ratio = gdi[1] / jet[1] if gdi else None
        met = jet[1] >= 200 and (ratio is None or ratio <= 1.2)
        t.add(6, "jet demo frame: one motion event, 348 points transformed, %s lines clipped, projected and "
              "drawn, one copy (double buffering)" % r.get("jet_lines", "-"), "frames/s", jet,
              ">= 200/s, frame time <= 1.2 x baseline", ratio, met, spread=True)
        t.add(6, "jet demo frame time", "us", samples_stats(r.get("jet_frame_us", [])))
        t.add(6, "breakdown: the demo's own work per frame, GDI left out (motion event, transform, clip, "
              "project)", "us", runs_stats(r.get("jet_own_us", [])), spread=True)
        t.add(6, "motion event -> end of the frame that shows it, through the demo's message loop (median of "
              "each run)", "us", runs_stats(r.get("jet_motion_us", [])), spread=True)
        paints = max(r.get("jet_paints", [0]) or [0])
        t.add(6, "paints from a motion event to the one that shows it (most in any round)", "paints",
              (paints, paints, paints), "1: the next frame", None, paints == 1)
        if gdi:
            jus = samples_stats(r.get("jet_frame_us", []))
            gus = samples_stats(r.get("gdi_frame_us", []))
            own = runs_stats(r.get("jet_own_us", []))
            if jus and gus and own:
                notes.append("Jet frame: %s us median against %s us for bare GDI drawing the same lines. The "
                             "demo's own work per frame (one motion event, 348 points through the model-view "
                             "matrix, %s lines clipped and projected, a call through the canvas table per move "
                             "and line) takes %s us with GDI left out; the rest of the frame is GDI (the black "
                             "square, the lines, the copy to the window), the same calls as the baseline's, and "
                             "the spread between the two medians beyond that is the load of the shared machine. "
                             "The paint is not passed on to the default window procedure after EndPaint: under "
                             "Wine that second BeginPaint/EndPaint pair cost about as much as the frame itself "
                             "(the frame rate fell to 0.57 x the baseline with it)."
                             % (num(jus[1]), num(gus[1]), r.get("jet_lines", "-"), num(own[1], 1)))

    load = info.get("load", (0, 0, 0))
    out = ["# Benchmark results", "",
           "Measured on %s (%d cores), Linux %s, %s, on %s; load average at the start %.2f / %.2f / %.2f "
           "(a shared machine: other work ran beside it). %d runs of every measurement; the whole run took %s s."
           % (info.get("cpu"), info.get("cores", 0), info.get("kernel"), info.get("wine"), info.get("date"),
              load[0], load[1], load[2], info.get("runs", 0), num(info.get("seconds", 0))),
           "",
           "Samples (us) show min, median and p99 over every sample of every run; per-run figures (rates, CPU, "
           "memory) show min, median and the largest run. The ratio is the median against the target or limit "
           "(latency: the added p99 against 1 ms; throughput: against the baseline).",
           "",
           t.text(), ""]
    if notes:
        out += ["## Where the time goes (measured in the same run)", ""] + ["- " + n for n in notes] + [""]
    if t.misses:
        out += ["Figures that miss their target in this run: " + "; ".join(t.misses) + ".", ""]
    return "\n".join(out)
