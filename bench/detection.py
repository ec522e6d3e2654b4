#!/usr/bin/env python3
"""Prints how fast Orvane notices a screenshot and what it costs at rest.

Starts the built program in a fresh home (under the caller's X display), drops screenshots
into the desktop folder the way the system does (a hidden file renamed into place), and
reads the log to time each one: file in place -> detection line -> card shown. Also samples
the resident memory and CPU time at rest. Run through `make bench`.
"""
import os, shutil, statistics, subprocess, sys, tempfile, threading, time

binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/src/app/orvane"
rounds = int(os.environ.get("ROUNDS", "20"))

def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0

def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

home = tempfile.mkdtemp(prefix="orvane-bench-")
desktop = os.path.join(home, "Desktop")
runtime = os.path.join(home, "runtime")
os.makedirs(desktop)
os.makedirs(runtime, mode=0o700)
env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
           XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=os.path.join(home, ".cache"))
sample = os.path.join(home, "sample.png")
subprocess.run(["convert", "-size", "1920x1080", "plasma:", sample], check=True)

proc = subprocess.Popen([binary, "--background"], env=env, stderr=subprocess.PIPE, text=True)
events = []
lock = threading.Condition()
def reader():
    for line in proc.stderr:
        with lock:
            events.append((time.monotonic(), line.rstrip("\n")))
            lock.notify_all()
threading.Thread(target=reader, daemon=True).start()

def wait_for(text, since=0.0, timeout=10.0):
    deadline = time.monotonic() + timeout
    with lock:
        while True:
            for stamp, line in events:
                if stamp >= since and text in line:
                    return stamp
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            lock.wait(left)

wait_for("FSEventStream started")
time.sleep(1.0)
rest_rss = rss_kib(proc.pid)
cpu_before = cpu_seconds(proc.pid)
time.sleep(5.0)
idle_cpu = cpu_seconds(proc.pid) - cpu_before

detect, shown = [], []
for i in range(rounds):
    name = f"Screenshot {i}.png"
    tmp = os.path.join(desktop, f".{name}.tmp")
    shutil.copyfile(sample, tmp)
    start = time.monotonic()
    os.rename(tmp, os.path.join(desktop, name))
    seen = wait_for(f"Screenshot detected: {name}", start)
    card = wait_for(f"HUD displayed", seen or start, timeout=3.0) if seen else None
    if seen:
        detect.append((seen - start) * 1000)
    if card:
        shown.append((card - start) * 1000)
    time.sleep(0.6)
busy_rss = rss_kib(proc.pid)
proc.terminate()
proc.wait(timeout=10)
shutil.rmtree(home, ignore_errors=True)

def summary(values):
    if not values:
        return "n/a"
    values = sorted(values)
    p95 = values[min(len(values) - 1, int(round(0.95 * (len(values) - 1))))]
    return f"median {statistics.median(values):.0f} ms, p95 {p95:.0f} ms, n={len(values)}"

print(f"screenshot in place -> detected : {summary(detect)} (includes the 100 ms settling delay)")
print(f"screenshot in place -> card shown: {summary(shown)}")
print(f"resident memory at rest          : {rest_rss / 1024:.1f} MiB")
print(f"resident memory after {rounds} cards  : {busy_rss / 1024:.1f} MiB")
print(f"CPU time over 5 s at rest        : {idle_cpu * 1000:.0f} ms")
