#!/usr/bin/python3
"""`cmake --install` into an empty prefix: the program's files land where the desktop looks for
them and nowhere else, the freedesktop validators accept them, and every file names the version
the program itself reports."""
import glob
import os
import re
import subprocess
import sys
import tempfile

CMAKE, BUILD, SOURCE, LIBDIR = sys.argv[1:5]
APP = "com.tarnwell.orvane"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def main():
    prefix = tempfile.mkdtemp(prefix="orvane-install-")
    env = {name: value for name, value in os.environ.items() if name != "DESTDIR"}
    done = run(CMAKE, "--install", BUILD, "--prefix", prefix, env=env)
    if done.returncode != 0:
        fail("cmake --install: " + done.stdout + done.stderr)

    expected = [
        "bin/orvane",
        # The card and the preferences, loaded by the program on first use.
        f"{LIBDIR}/orvane/orvane-ui.so",
        f"share/applications/{APP}.desktop",
        f"share/metainfo/{APP}.metainfo.xml",
        f"share/icons/hicolor/scalable/apps/{APP}.svg",
        "share/man/man1/orvane.1.gz",
        "share/doc/orvane/copyright",
    ] + [f"share/icons/hicolor/{n}x{n}/apps/{APP}.png" for n in (16, 24, 32, 48, 64, 128, 256, 512)]
    expected += ["share/icons/hicolor/symbolic/apps/" + os.path.basename(p)
                 for p in glob.glob(os.path.join(SOURCE, "src/app/icon/*-symbolic.svg"))]
    missing = [f for f in expected if not os.path.isfile(os.path.join(prefix, f))]
    if missing:
        fail("not installed: %s" % missing)
    # Only under bin/, share/ and the module's folder: no /etc, nothing for a home folder, no
    # test programs.
    modules = os.path.join(prefix, LIBDIR)
    stray = sorted(set(os.listdir(prefix)) - {"bin", "share", LIBDIR.split("/")[0]}) + \
        sorted(set(os.listdir(os.path.join(prefix, "bin"))) - {"orvane"}) + \
        sorted(set(os.listdir(modules)) - {"orvane"}) + \
        sorted(set(os.listdir(os.path.join(modules, "orvane"))) - {"orvane-ui.so"})
    if stray:
        fail("installed besides the program's files: %s" % stray)

    desktop = os.path.join(prefix, f"share/applications/{APP}.desktop")
    metainfo = os.path.join(prefix, f"share/metainfo/{APP}.metainfo.xml")
    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", metainfo]):
        checked = run(*command)
        print(" ".join(command[:-1]) + ":", (checked.stdout + checked.stderr).strip())
        if checked.returncode != 0:
            fail(command[0] + " rejects the file")

    # The version the program reports is the one its files announce.
    version = run(os.path.join(prefix, "bin/orvane"), "--version").stdout.split()[-1]
    release = re.search(r'<release version="([^"]+)"', open(metainfo).read())
    man = run("man", "--warnings", "-l", "-Tutf8",
              os.path.join(prefix, "share/man/man1/orvane.1.gz"),
              env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
    if man.returncode != 0 or man.stderr.strip():
        fail("man page: " + man.stderr)
    if not release or release.group(1) != version or ("Orvane " + version) not in man.stdout:
        fail("orvane --version says %s; metainfo %s; man page footer %r"
             % (version, release and release.group(1), man.stdout.strip().splitlines()[-1:]))

    # An installed program must not look for libraries in the build tree.
    for binary in ("bin/orvane", f"{LIBDIR}/orvane/orvane-ui.so"):
        dynamic = run("readelf", "-d", os.path.join(prefix, binary)).stdout
        if BUILD in dynamic or os.path.realpath(BUILD) in dynamic:
            fail(binary + " keeps the build tree's RUNPATH")
    subprocess.run(["rm", "-rf", prefix], check=False)


main()
