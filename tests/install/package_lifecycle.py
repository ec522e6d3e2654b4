#!/usr/bin/python3
"""The Debian package from install to removal: lintian finds no error; apt installs it;
/usr/bin/orvane starts for a fresh user, writes its autostart entry and shows its card for a
new screenshot; `apt-get purge` leaves none of its files behind. It installs into /usr for
real, so it runs only as root and only when asked (`make test-package`); else it skips."""
import glob
import os
import re
import select
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from testhome import isolated_env, wait_for  # noqa: E402

CMAKE, BUILD = sys.argv[1:3]
SKIP = 77
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def installed():
    return "ok installed" in run("dpkg-query", "-W", "-f=${Status}", "orvane").stdout


def wait_for_line(process, text, timeout):
    deadline = time.monotonic() + timeout
    seen = []
    while time.monotonic() < deadline:
        ready, _, _ = select.select([process.stderr], [], [], 0.1)
        if ready:
            line = process.stderr.readline()
            seen.append(line)
            if text in line:
                return True
            if not line and process.poll() is not None:
                break
    print("".join(seen))
    return False


def card_windows():
    found = run("xdotool", "search", "--onlyvisible", "--name", "^Orvane$").stdout.split()
    return [w for w in found
            if re.search(r"Width: 300\s+Height: 385\n", run("xwininfo", "-id", w).stdout)]


def build_package():
    built = run(CMAKE, "--build", BUILD, "--target", "package")
    if built.returncode != 0:
        fail("making the package: " + built.stdout[-3000:] + built.stderr[-3000:])
    debs = glob.glob(os.path.join(BUILD, "orvane_*_*.deb"))
    if len(debs) != 1:
        fail("expected one orvane_<version>_<arch>.deb in %s, found %s" % (BUILD, debs))
    checked = run("lintian", "--fail-on", "error", debs[0])
    print("lintian:", (checked.stdout + checked.stderr).strip() or "no findings")
    if checked.returncode != 0:
        fail("lintian reports errors")
    return os.path.abspath(debs[0])


def start_and_see_the_card():
    home = tempfile.mkdtemp(prefix="orvane-package-")
    env = isolated_env(home)
    desktop = os.path.join(home, "Desktop")
    os.makedirs(desktop)
    orvane = subprocess.Popen(["/usr/bin/orvane", "--background"], env=env,
                              stderr=subprocess.PIPE, text=True)
    try:
        if not wait_for_line(orvane, "[Orvane] FSEventStream started: YES", 20):
            fail("the installed program did not start watching (exit status %s)" % orvane.poll())
        entry = os.path.join(home, ".config/autostart/com.tarnwell.orvane.desktop")
        text = open(entry).read() if os.path.exists(entry) else ""
        if "\nExec=/usr/bin/orvane --background\n" not in text:
            fail("autostart entry does not start /usr/bin/orvane: %r" % text)
        shot = os.path.join(desktop, "Screenshot from the package test.png")
        subprocess.run(["convert", "-size", "640x400", "gradient:seagreen-navy",
                        shot + ".tmp.png"], check=True)
        os.rename(shot + ".tmp.png", shot)
        if len(wait_for(card_windows, 10)) != 1:
            fail("no card for %s" % shot)
        picture = os.path.join(BUILD, "package-card.png")
        run("import", "-window", "root", picture)
        print("card shown for the screenshot; the screen:", picture)
    finally:
        orvane.terminate()
        try:
            orvane.wait(10)
        except subprocess.TimeoutExpired:
            orvane.kill()
            orvane.wait()
        subprocess.run(["rm", "-rf", home], check=False)


def main():
    # A plain `ctest` run by root must not install anything into /usr unasked.
    if os.environ.get("ORVANE_TEST_PACKAGE") != "1" or os.geteuid() != 0:
        print("SKIP: installs the package into /usr: run it as root with `make test-package`")
        sys.exit(SKIP)
    if installed():
        fail("an orvane package is installed already; this test would replace and remove it")
    deb = build_package()
    try:
        done = run("apt-get", "install", "-y", "-q", "--no-install-recommends", deb, env=APT_ENV)
        if done.returncode != 0 or not installed():
            fail("apt-get install: " + done.stdout[-3000:] + done.stderr[-3000:])
        files = [p for p in run("dpkg", "-L", "orvane").stdout.splitlines() if p.startswith("/")]
        owned = [p for p in files if os.path.isfile(p) or os.path.islink(p)]
        start_and_see_the_card()
    finally:
        if installed():
            removed = run("apt-get", "purge", "-y", "-q", "orvane", env=APT_ENV)
            print("apt-get purge orvane:", removed.returncode)
    if installed():
        fail("still installed after apt-get purge")
    left = [p for p in owned if os.path.lexists(p)]
    # Folders it brought are gone too, unless another package shares them (/usr/share/...).
    left += [p for p in files if "orvane" in os.path.basename(p) and os.path.lexists(p)]
    if left:
        fail("left behind after removal: %s" % left)
    print("removed: none of its %d files is left" % len(owned))


main()
