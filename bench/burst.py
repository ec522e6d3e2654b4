#!/usr/bin/env python3
"""Prints what a burst of images costs Orvane: memory, main-thread stalls, card windows.

Two bursts, each against a fresh start of the built program in a fresh home (under the
caller's X display):
  a) 500 screenshots (1920 x 1080 PNG) renamed into ~/Desktop within one second;
  b) a folder of 100 photos (4000 x 3000 JPEG) moved onto the Desktop.
Before each burst one screenshot is shown and left to go, so that the level before the burst
includes what any card costs once (the QML engine).

Measured from outside the program:
  - resident memory from /proc/PID/status (VmRSS sampled every 20 ms, and VmHWM, reset before
    the burst through /proc/PID/clear_refs);
  - the main thread's stalls: a byte is written every 20 ms to a connection on the program's
    single-instance socket, and the time until the program has read it (the socket's unread
    bytes, TIOCOUTQ, back to 0) is how long its event loop was away. For the worst one, the
    main thread's own time on a CPU and waiting for one (/proc/PID/task/PID/schedstat) say
    whether it was busy, crowded out, or blocked (what is left: asleep, or this script late);
  - card windows: every 0.1 s, the program's 300 x 385 windows named "Orvane" on the X display,
    those mapped (xdotool --onlyvisible) and those that exist at all (xwininfo -tree).

Usage: burst.py PROGRAM [CACHE_FOLDER]. The photos are made once (ImageMagick) and kept in
CACHE_FOLDER (default: build/default/bench-cache). Run through `make bench`.
"""
import fcntl, os, re, shutil, socket, struct, subprocess, sys, tempfile, termios, threading, time

binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/src/app/orvane"
cache = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(binary), "..", "..",
                                                              "bench-cache")
cache = os.path.abspath(cache)
screenshots = int(os.environ.get("BURST_SCREENSHOTS", "500"))
photos = int(os.environ.get("BURST_PHOTOS", "100"))
quiet_seconds = 4.0   # no new detection or card for this long: the burst is over
longest_burst = 300.0


def scheduled(pid):
    """The main thread's nanoseconds on a CPU and waiting in the run queue, so far."""
    try:
        with open(f"/proc/{pid}/task/{pid}/schedstat") as f:
            ran, waited = f.read().split()[:2]
            return int(ran), int(waited)
    except (OSError, ValueError):
        return 0, 0


def status(pid, key):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def make_inputs():
    os.makedirs(cache, exist_ok=True)
    png = os.path.join(cache, "screen-1920x1080.png")
    if not os.path.exists(png):
        subprocess.run(["convert", "-size", "1920x1080", "plasma:", png + ".tmp.png"], check=True)
        os.rename(png + ".tmp.png", png)
    jpg = os.path.join(cache, "photo-4000x3000.jpg")
    if not os.path.exists(jpg):
        subprocess.run(["convert", "-size", "4000x3000", "plasma:", "-quality", "90",
                        jpg + ".tmp.jpg"], check=True)
        os.rename(jpg + ".tmp.jpg", jpg)
    return png, jpg


def place(source, target):
    """The file at `target`, sharing the cached file's content (a link where possible)."""
    try:
        os.link(source, target)
    except OSError:
        shutil.copyfile(source, target)


class Program:
    def __init__(self, home):
        self.home = home
        self.desktop = os.path.join(home, "Desktop")
        self.runtime = os.path.join(home, "runtime")
        os.makedirs(self.desktop)
        os.makedirs(self.runtime, mode=0o700)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_RUNTIME_DIR=self.runtime, XDG_CACHE_HOME=os.path.join(home, ".cache"))
        self.proc = subprocess.Popen([binary, "--background"], env=env, stderr=subprocess.PIPE,
                                     text=True, errors="replace")
        self.pid = self.proc.pid
        self.lines = []
        self.changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stderr:
            with self.changed:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.changed.notify_all()

    def wait_for(self, text, since=0.0, timeout=20.0):
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for stamp, line in self.lines:
                    if stamp >= since and text in line:
                        return stamp
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.changed.wait(left)

    def stamps(self, text, since):
        with self.changed:
            return [stamp for stamp, line in self.lines if stamp >= since and text in line]

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


class Sampler:
    """Memory, stalls and card windows, sampled on threads of their own until stopped."""

    def __init__(self, program):
        self.program = program
        self.running = True
        self.peak_rss = 0
        self.stalls = []
        self.stalled_at = []    # (seconds, when sent, ms on a CPU, ms waiting for one)
        self.most_mapped = 0
        self.most_existing = 0
        self.busy_since = None          # a probe not yet read, sent then
        self.last_busy = time.monotonic()  # when the program last took over 100 ms to read one
        self.probe = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.probe.connect(os.path.join(program.runtime, "orvane.sock"))
        self.threads = [threading.Thread(target=f, daemon=True)
                        for f in (self._memory, self._stalls, self._windows)]
        for thread in self.threads:
            thread.start()

    def stop(self):
        self.running = False
        for thread in self.threads:
            thread.join()
        self.probe.close()

    def _memory(self):
        while self.running:
            self.peak_rss = max(self.peak_rss, status(self.program.pid, "VmRSS"))
            time.sleep(0.02)

    def _unread(self):
        return struct.unpack("i", fcntl.ioctl(self.probe.fileno(), termios.TIOCOUTQ,
                                              b"\0\0\0\0"))[0]

    def _stalls(self):
        # A line the program reads and ignores; it answers nothing, but the byte count waiting
        # on the socket shows when its event loop took it.
        while self.running:
            start = time.monotonic()
            self.busy_since = start
            ran, waited = scheduled(self.program.pid)
            self.probe.send(b"\n")
            while self._unread() > 0 and time.monotonic() - start < 60:
                time.sleep(0.0005)
            now = time.monotonic()
            self.busy_since = None
            self.stalls.append(now - start)
            ran_after, waited_after = scheduled(self.program.pid)
            self.stalled_at.append((now - start, start, (ran_after - ran) / 1e6,
                                    (waited_after - waited) / 1e6))
            if now - start > 0.1:
                self.last_busy = now
            time.sleep(0.02)

    def last_unresponsive(self):
        """When the program last failed to read a probe within 100 ms (now, if it is failing)."""
        since = self.busy_since
        if since is not None and time.monotonic() - since > 0.1:
            return time.monotonic()
        return self.last_busy

    def _windows(self):
        pattern = re.compile(r'^\s*(0x[0-9a-f]+) "Orvane": .*?\s(\d+)x(\d+)[+-]')
        while self.running:
            tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True,
                                  text=True).stdout
            cards = set()
            for line in tree.splitlines():
                match = pattern.match(line)
                if match and match.group(2, 3) == ("300", "385"):
                    cards.add(int(match.group(1), 16))
            visible = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Orvane$"],
                                     capture_output=True, text=True).stdout.split()
            mapped = cards & {int(w) for w in visible}
            self.most_existing = max(self.most_existing, len(cards))
            self.most_mapped = max(self.most_mapped, len(mapped))
            time.sleep(0.1)


def run(label, drop):
    """Starts Orvane, shows one card, then calls `drop(program)` and measures."""
    home = tempfile.mkdtemp(prefix="orvane-burst-")
    program = Program(home)
    try:
        if not program.wait_for("FSEventStream started"):
            sys.exit("burst: Orvane did not start")
        time.sleep(1.0)
        cold = status(program.pid, "VmRSS")
        # One card, left to go, so that the level before the burst holds what any card costs.
        warm = os.path.join(home, "warm-up.png")
        place(png, warm)
        os.utime(warm)
        start = time.monotonic()
        os.rename(warm, os.path.join(program.desktop, "Warm up.png"))
        if not program.wait_for("HUD displayed", start, timeout=20):
            sys.exit("burst: no card for the warm-up screenshot")
        time.sleep(10.0)
        before = status(program.pid, "VmRSS")
        with open(f"/proc/{program.pid}/clear_refs", "w") as f:
            f.write("5")  # restart the peak (VmHWM) from here

        sampler = Sampler(program)
        time.sleep(0.5)
        start = time.monotonic()
        drop(program)
        dropped = time.monotonic() - start
        # Over when, for a while, nothing new has been detected or shown and the program has
        # answered every probe quickly (a frozen program logs nothing either).
        last = start
        while time.monotonic() - last < quiet_seconds and time.monotonic() - start < longest_burst:
            time.sleep(0.5)
            seen = program.stamps("Screenshot detected", start) + program.stamps("HUD displayed",
                                                                                  start)
            last = max([last, sampler.last_unresponsive()] + seen)
        cards = program.stamps("HUD displayed", start)
        detected = program.stamps("Screenshot detected", start)
        last_card = cards[-1] if cards else start
        time.sleep(max(0.0, last_card + 10.0 - time.monotonic()))
        after = status(program.pid, "VmRSS")
        sampler.stop()
        peak = max(sampler.peak_rss, status(program.pid, "VmHWM"))
        stalls = sorted(sampler.stalls)
        p99 = stalls[min(len(stalls) - 1, int(0.99 * len(stalls)))] if stalls else 0.0
        worst = sorted(sampler.stalled_at, reverse=True)
    finally:
        program.stop()
        shutil.rmtree(home, ignore_errors=True)

    mib = lambda kib: f"{kib / 1024:.0f} MiB"
    print(f"{label}")
    print(f"  dropped in                        : {dropped:.2f} s")
    print(f"  detected / cards shown            : {len(detected)} / {len(cards)}"
          f" (last card {last_card - start:.1f} s after the first file)")
    print(f"  resident memory, idle before any card: {mib(cold)}")
    print(f"  resident memory before the burst  : {mib(before)}")
    print(f"  peak resident memory              : {mib(peak)}")
    print(f"  10 s after the last card          : {mib(after)} ({(after - before) / 1024:+.0f} MiB)")
    print(f"  worst main-thread stall           : {stalls[-1] * 1000 if stalls else 0:.0f} ms"
          f" (p99 {p99 * 1000:.0f} ms, {len(stalls)} probes)")
    if worst:
        print(f"    of which the main thread ran / waited for a CPU: {worst[0][2]:.0f} /"
              f" {worst[0][3]:.0f} ms")
    print(f"  most card windows at once        : {sampler.most_mapped} mapped,"
          f" {sampler.most_existing} existing")
    if os.environ.get("BURST_VERBOSE"):
        print("  worst stalls                      : " +
              ", ".join(f"{d * 1000:.0f} ms at {t - start:+.1f} s (ran {r:.0f}, waited {w:.0f})"
                        for d, t, r, w in worst[:8]))
    sys.stdout.flush()


def screenshot_burst(program):
    staging = os.path.join(program.home, "staging")
    os.makedirs(staging)
    names = [f"Screenshot {i:03d}.png" for i in range(screenshots)]
    for name in names:
        place(png, os.path.join(staging, name))
    os.utime(os.path.join(staging, names[0]))  # links share one file: all of them are new
    step = 1.0 / screenshots
    start = time.monotonic()
    for i, name in enumerate(names):
        os.rename(os.path.join(staging, name), os.path.join(program.desktop, name))
        time.sleep(max(0.0, start + (i + 1) * step - time.monotonic()))


def photo_folder(program):
    folder = os.path.join(program.home, "Photos")
    os.makedirs(folder)
    for i in range(photos):
        place(jpg, os.path.join(folder, f"IMG_{i:04d}.jpg"))
        os.utime(os.path.join(folder, f"IMG_{i:04d}.jpg"))
    os.rename(folder, os.path.join(program.desktop, "Photos"))


png, jpg = make_inputs()
if screenshots > 0:
    run(f"burst: {screenshots} screenshots (1920 x 1080 PNG) renamed onto the Desktop in 1 s",
        screenshot_burst)
if photos > 0:
    run(f"burst: a folder of {photos} photos (4000 x 3000 JPEG) moved onto the Desktop",
        photo_folder)
