#!/usr/bin/env python3
"""Measures Orvane against baselines of its own in the same run, and prints the ratios.

Usage: compare.py PROGRAM TOOLS_FOLDER [JSON_OUT]. Run through `make bench`, which builds the
baselines (bench/baselines, target bench_tools) and gives a virtual display with a tray.

The baselines: a bare QSystemTrayIcon program (idle cost), the same with a QMenu and a
QQuickView showing one 300x385 picture (the cost of a card), and a bare pipeline (inotify on the folder, the same
0.1 s wait, decode off the main thread, a new 300x385 QQuickView; its QML engine made with
its first window) for the latencies. Every program runs on the software scene graph in a
fresh home of its own.

Seen from outside, by bench/xprobe.c: a window's first frame is the first drawing into it
(X DAMAGE); a main-thread stall is the slowest answer to _NET_WM_PING sent every 2 ms to the
program's tray icon (Qt answers it on the main thread). Memory and CPU from /proc; memory as
the machine pays it: PSS (shared pages divided among the processes that map them) and USS
(pages of this process alone), beside RSS, which counts every Qt library page in full. The
memory baselines run beside Orvane's first launch and are read at the same moments.
"""
import json, os, platform, shutil, statistics, subprocess, sys, tempfile, threading, time

binary = os.path.abspath(sys.argv[1])
tools = os.path.abspath(sys.argv[2])
json_out = sys.argv[3] if len(sys.argv) > 3 else None
rounds = int(os.environ.get("ROUNDS", "20"))
launches = int(os.environ.get("LAUNCHES", "5"))
cards = int(os.environ.get("CARDS", "100"))
here = os.path.dirname(os.path.abspath(__file__))

work = tempfile.mkdtemp(prefix="orvane-compare-")
samples = {}
for name, size in (("1080p", "1920x1080"), ("64px", "64x64"), ("card", "300x385")):
    samples[name] = os.path.join(work, f"{name}.png")
    subprocess.run(["convert", "-size", size, "plasma:", samples[name]], check=True)


def proc_status(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def rss_mib(pid):
    return proc_status(pid, "VmRSS") / 1024


def memory(pid):
    """RSS, PSS and USS in MiB, from smaps_rollup."""
    fields = {}
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and parts[2] == "kB":
                    fields[parts[0].rstrip(":")] = int(parts[1]) / 1024
    except OSError:
        pass
    return {"rss": fields.get("Rss", 0), "pss": fields.get("Pss", 0),
            "uss": fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0)}


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def switches(pid):
    """Context switches of every thread: each is a wakeup or a preemption."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if "ctxt_switches" in line:
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def activity(pid, seconds):
    """CPU share (%) and wakeups per second over `seconds`."""
    cpu, woke, start = cpu_seconds(pid), switches(pid), time.monotonic()
    time.sleep(seconds)
    spent = time.monotonic() - start
    return 100 * (cpu_seconds(pid) - cpu) / spent, (switches(pid) - woke) / spent


class Lines:
    """A child's output lines, each with the time it came."""

    def __init__(self, stream):
        self.lines, self.cond = [], threading.Condition()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            with self.cond:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.cond.notify_all()

    def wait(self, test, since=0.0, timeout=10.0):
        deadline = time.monotonic() + timeout
        with self.cond:
            while True:
                for stamp, line in self.lines:
                    if stamp >= since and test(line):
                        return stamp, line
                left = deadline - time.monotonic()
                if left <= 0:
                    return None, None
                self.cond.wait(left)


class Probe:
    def __init__(self, pid=0):
        self.proc = subprocess.Popen([os.path.join(tools, "bench_xprobe")] +
                                     ([str(pid)] if pid else []), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        self.out = Lines(self.proc.stdout)

    def frame(self, pid, since, timeout=10.0):
        """When the first window of `pid` created after `since` drew its first frame."""
        created = set()

        def test(line):
            parts = line.split()
            if parts[0] == "window" and float(parts[2]) / 1000 >= since:
                created.add(parts[1])
            return parts[0] == "frame" and parts[1] in created and int(parts[3]) == pid

        _, line = self.out.wait(test, since, timeout)
        return float(line.split()[2]) / 1000 if line else None

    def has_target(self, timeout=5.0):
        return self.out.wait(lambda l: l.startswith("target"), 0, timeout)[1] is not None

    def worst(self, over30=False):
        """The slowest ping answer since the last call, in ms (and how many took > 30 ms)."""
        asked = time.monotonic()
        self.proc.stdin.write("worst\n")
        self.proc.stdin.flush()
        _, line = self.out.wait(lambda l: l.startswith("worst"), asked, 5.0)
        worst = float(line.split()[1]) if line else None
        return (worst, int(line.split()[3]) if line else None) if over30 else worst

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=5)


class Program:
    """One program in a fresh home of its own, its log read line by line."""

    def __init__(self, argv, ready):
        self.home = tempfile.mkdtemp(prefix="home-", dir=work)
        self.desktop = os.path.join(self.home, "Desktop")
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.desktop)
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"),
                   XDG_DATA_HOME=os.path.join(self.home, ".local/share"), XDG_RUNTIME_DIR=runtime,
                   QT_QUICK_BACKEND="software", QT_QPA_PLATFORM="xcb")
        argv = [a.replace("{desktop}", self.desktop) for a in argv]
        self.proc = subprocess.Popen(argv, env=env, stderr=subprocess.PIPE, text=True)
        self.pid = self.proc.pid
        self.log = Lines(self.proc.stderr)
        if self.log.wait(lambda l: ready in l, timeout=20)[0] is None:
            raise SystemExit(f"{argv[0]} did not start")

    def drop(self, sample, name):
        """A file written hidden, then renamed into place; the time of the rename."""
        temporary = os.path.join(self.desktop, f".{name}.tmp")
        shutil.copyfile(sample, temporary)
        at = time.monotonic()
        os.rename(temporary, os.path.join(self.desktop, name))
        return at

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def orvane():
    return Program([binary, "--background"], "FSEventStream started")


def pipeline():
    return Program([os.path.join(tools, "bench_bare_pipeline"), "{desktop}"], "ready")


def percentile(values, p):
    values = sorted(v for v in values if v is not None)
    if not values:
        return None
    return values[min(len(values) - 1, int(round(p * (len(values) - 1))))]


def p50(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


figures = {}


def record(key, what, value, unit, baseline=None, goal=None):
    figures[key] = {"what": what, "value": value, "unit": unit, "baseline": baseline,
                    "ratio": value / baseline if value is not None and baseline else None,
                    "goal": goal}


# --- First card after launch, and the program at rest -------------------------------------
first_frames, first_stalls, base_first = [], [], []
for launch in range(launches):
    if launch == 0:
        # The baselines run beside it while memory is read, as Qt programs run side by side on a
        # desktop: the library pages they all map are shared, not one program's own, and
        # whatever else the machine runs then shares the same pages with all of them.
        tray_beside = Program([os.path.join(tools, "bench_bare_tray")], "ready")
        card_beside = Program([os.path.join(tools, "bench_bare_tray_card"), samples["card"]],
                              "ready")
    app = orvane()
    time.sleep(1.5)
    if launch == 0:  # before the probe, whose pings wake the program
        # At rest: once start-up is over, the start-up sound too (its library is let go
        # 10 s after the last sound).
        time.sleep(11.0)
        idle_mem, tray_mem = memory(app.pid), memory(tray_beside.pid)
        idle_cpu, idle_wakeups = activity(app.pid, 5.0)
    probe = Probe(app.pid)
    probe.has_target()
    probe.worst()
    start = app.drop(samples["1080p"], f"First {launch}.png")
    frame = probe.frame(app.pid, start)
    first_frames.append((frame - start) * 1000 if frame else None)
    time.sleep(0.5)
    first_stalls.append(probe.worst())
    probe.close()
    if launch == 0:
        time.sleep(0.5)
        card_mem, bare_mem = memory(app.pid), memory(card_beside.pid)
        card_cpu, card_wakeups = activity(app.pid, 3.0)
        tray_beside.stop()
        card_beside.stop()
    app.stop()

    base = pipeline()
    probe = Probe()
    time.sleep(1.0)
    start = base.drop(samples["1080p"], f"First {launch}.png")
    frame = probe.frame(base.pid, start)
    base_first.append((frame - start) * 1000 if frame else None)
    probe.close()
    base.stop()

# --- Baselines at rest --------------------------------------------------------------------
tray = Program([os.path.join(tools, "bench_bare_tray")], "ready")
time.sleep(3.0)
tray_cpu, tray_wakeups = activity(tray.pid, 5.0)
# What the machine itself adds to a ping's answer: the bare tray program does nothing.
probe = Probe(tray.pid)
probe.has_target()
probe.worst()
time.sleep(5.0)
tray_stall, tray_slow = probe.worst(over30=True)
probe.close()
tray.stop()
bare = Program([os.path.join(tools, "bench_bare_tray_card"), samples["card"]], "ready")
time.sleep(2.0)
bare_cpu, bare_wakeups = activity(bare.pid, 3.0)
# What six lines of text add to the bare card, side by side as above: a card with words has
# at least this over the picture alone.
labelled = Program([os.path.join(tools, "bench_bare_tray_card"), "--labels", samples["card"]],
                   "ready")
tray = Program([os.path.join(tools, "bench_bare_tray")], "ready")
time.sleep(2.0)
labelled_mem, unlabelled_mem = memory(labelled.pid), memory(bare.pid)
for program in (bare, labelled, tray):
    program.stop()

# --- Latencies, one session each; then Orvane's memory over many cards ---------------------
latency = {}
for label, make in (("orvane", orvane), ("bare", pipeline)):
    app = make()
    probe = Probe(app.pid if label == "orvane" else 0)
    if label == "orvane":
        probe.has_target()
    time.sleep(1.0)
    app.drop(samples["64px"], "Warm-up.png")  # the first card is measured above
    time.sleep(1.5)
    if label == "orvane":
        probe.worst()
    shown = 0
    rss_at = {}
    for size in ("1080p", "64px"):
        detected, framed = [], []
        for i in range(rounds):
            name = f"Screenshot {size} {i}.png"
            start = app.drop(samples[size], name)
            frame = probe.frame(app.pid, start)
            framed.append((frame - start) * 1000 if frame else None)
            if label == "orvane":
                seen, _ = app.log.wait(lambda l: f"Screenshot detected: {name}" in l, start, 5.0)
                detected.append((seen - start) * 1000 if seen else None)
            shown += 1
            time.sleep(0.4)
            if shown == 10:
                time.sleep(1.0)
                rss_at[10] = rss_mib(app.pid)
        latency[(label, size)] = (framed, detected)
    if label == "orvane":
        stall_steady, slow_steady = probe.worst(over30=True)
        while shown < cards:
            start = app.drop(samples["1080p"], f"More {shown}.png")
            probe.frame(app.pid, start)
            shown += 1
            time.sleep(0.3)
            if shown == 10:
                time.sleep(1.0)
                rss_at[10] = rss_mib(app.pid)
        time.sleep(1.0)
        rss_at[cards] = rss_mib(app.pid)
        time.sleep(8.0)  # the last card times out and goes
        rss_after = rss_mib(app.pid)
        rss_10, rss_n = rss_at.get(10), rss_at[cards]
    probe.close()
    app.stop()

# --- Figures --------------------------------------------------------------------------------
for size, what in (("1080p", "1920x1080 PNG"), ("64px", "64x64 PNG")):
    framed, detected = latency[("orvane", size)]
    base_framed, _ = latency[("bare", size)]
    record(f"frame_p50_{size}", f"{what} renamed in -> card's first frame, p50", p50(framed), "ms",
           p50(base_framed), "<= 0.65x" if size == "1080p" else None)
    record(f"frame_p95_{size}", f"{what} renamed in -> card's first frame, p95",
           percentile(framed, 0.95), "ms", percentile(base_framed, 0.95))
    record(f"detect_p50_{size}", f"{what} renamed in -> detection log line, p50", p50(detected),
           "ms", None, "<= 110 ms" if size == "64px" else None)
    record(f"detect_p95_{size}", f"{what} renamed in -> detection log line, p95",
           percentile(detected, 0.95), "ms")
record("first_frame_p50", f"first card after launch -> first frame, p50 of {launches} launches",
       p50(first_frames), "ms", p50(base_first), "<= 0.85x")
record("first_stall", "worst main-thread stall during the first card (ping to the tray icon; "
       "baseline: the bare tray program's worst over 5 s idle, the machine's own noise)",
       max([s for s in first_stalls if s is not None], default=None), "ms", tray_stall, "<= 30 ms")
record("steady_stall", f"worst main-thread stall over {2 * rounds} later cards", stall_steady, "ms",
       tray_stall)
record("steady_slow", f"pings answered in over 30 ms over {2 * rounds} later cards (baseline: "
       "the bare tray program in 5 s)", slow_steady, "", tray_slow)
for kind, goals in (("rss", (None, None)), ("pss", ("<= 1.2x", "<= 1.3x")),
                    ("uss", ("<= 1.1x", "<= 1.2x"))):
    record(f"idle_{kind}", f"memory at rest, {kind.upper()} (vs a bare tray program)",
           idle_mem[kind], "MiB", tray_mem[kind], goals[0])
for kind, goals in (("rss", (None, None)), ("pss", ("<= 1.2x", "<= 1.3x")),
                    ("uss", ("<= 1.1x", "<= 1.2x"))):
    record(f"card_{kind}", f"memory with the first card showing, {kind.upper()} (vs a bare tray "
           "with a QMenu and a QQuickView of a 300x385 picture)", card_mem[kind], "MiB",
           bare_mem[kind], goals[1])
for kind in ("pss", "uss"):
    record(f"labels_{kind}", f"the bare card with six lines of text, {kind.upper()} (vs without)",
           labelled_mem[kind], "MiB", unlabelled_mem[kind])
record("rss_10", "resident memory 1 s after the 10th card", rss_10, "MiB")
record(f"rss_{cards}", f"resident memory 1 s after the {cards}th card (vs after 10)",
       rss_n, "MiB", rss_10, "within 10 MiB")
record("rss_after_last", f"resident memory once the {cards}th card has gone", rss_after, "MiB")
record("idle_wakeups", "wakeups per second at rest (vs a bare tray program)", idle_wakeups, "/s",
       tray_wakeups)
record("idle_cpu", "CPU at rest (vs a bare tray program)", idle_cpu, "%", tray_cpu)
record("card_cpu", "CPU while a card shows (vs the bare tray with a QQuickView, which is static)",
       card_cpu, "%", bare_cpu)
record("card_wakeups", "wakeups per second while a card shows (vs the bare tray with a QQuickView)",
       card_wakeups, "/s", bare_wakeups)

machine = (f"{platform.node()}: {os.cpu_count()} cores, "
           f"{open('/proc/cpuinfo').read().split('model name')[1].split(':')[1].splitlines()[0].strip()}, "
           f"load {os.getloadavg()[0]:.1f}; Xvfb, software scene graph")
print(f"Orvane against bare Qt baselines, same run. Machine: {machine}")
print(f"{'figure':<92} {'Orvane':>9} {'baseline':>9} {'ratio':>6}  goal")


def shown_value(value):
    return "n/a" if value is None else f"{value:.1f}"


for key, f in figures.items():
    ratio = "" if f["ratio"] is None else f"{f['ratio']:.2f}"
    base = "" if f["baseline"] is None else shown_value(f["baseline"])
    print(f"{f['what'] + ' (' + f['unit'] + ')':<92} {shown_value(f['value']):>9} {base:>9} "
          f"{ratio:>6}  {f['goal'] or ''}")

burst_lines = []
if os.environ.get("BURST", "1") != "0":
    burst = subprocess.run([sys.executable, os.path.join(here, "burst.py"), binary,
                            os.path.join(os.path.dirname(tools), "bench-cache")],
                           capture_output=True, text=True)
    print(burst.stdout, end="")
    burst_lines = burst.stdout.splitlines()
if json_out:
    with open(json_out, "w") as f:
        json.dump({"machine": machine, "program": binary, "figures": figures,
                   "burst": burst_lines}, f, indent=1)
    print(f"Written to {json_out}")
shutil.rmtree(work, ignore_errors=True)
