#!/usr/bin/python3
"""The installed program. tree: `cmake --install` into an empty prefix lays the program's files
where the desktop looks and nowhere else, valid, of the program's version, and the program finds
its module. package: the Debian package installed, started (autostart entry, a card) and purged
without leftovers; it installs into /usr, so it runs only as root from `make test-package`."""
import glob
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Program, cards, fail, isolated_env, screenshot, wait_for  # noqa: E402

MODE, CMAKE, BUILD = sys.argv[1:4]
APP = "com.tarnwell.orvane"
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def tree(source, libdir):
    prefix = tempfile.mkdtemp(prefix="orvane-install-")
    env = {name: value for name, value in os.environ.items() if name != "DESTDIR"}
    done = run(CMAKE, "--install", BUILD, "--prefix", prefix, env=env)
    if done.returncode != 0:
        fail("cmake --install: " + done.stdout + done.stderr)
    desktop = f"share/applications/{APP}.desktop"
    metainfo = f"share/metainfo/{APP}.metainfo.xml"
    man = "share/man/man1/orvane.1.gz"
    version = run(os.path.join(prefix, "bin/orvane"), "--version").stdout.split()[-1]
    # The card and the preferences are a module the program loads on first use, of its version.
    module = f"{libdir}/orvane/orvane-ui-{version}.so"
    expected = ["bin/orvane", module, desktop, metainfo, f"share/icons/hicolor/scalable/apps/{APP}.svg",
                man, "share/doc/orvane/copyright"]
    expected += [f"share/icons/hicolor/{n}x{n}/apps/{APP}.png" for n in (16, 24, 32, 48, 64, 128,
                                                                          256, 512)]
    expected += ["share/icons/hicolor/symbolic/apps/" + os.path.basename(p)
                 for p in glob.glob(os.path.join(source, "src/app/icon/*-symbolic.svg"))]
    missing = [f for f in expected if not os.path.isfile(os.path.join(prefix, f))]
    # Only the program, its module and share/: no /etc, nothing for a home folder, no tests.
    everything = [os.path.relpath(os.path.join(d, f), prefix)
                  for d, _, files in os.walk(prefix) for f in files]
    stray = sorted(f for f in everything if not f.startswith("share/") and f not in expected)
    if missing or stray:
        fail("not installed: %s; installed besides the program's files: %s" % (missing, stray))

    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", metainfo]):
        checked = run(*command[:-1], os.path.join(prefix, command[-1]))
        print(" ".join(command[:-1]) + ":", (checked.stdout + checked.stderr).strip())
        if checked.returncode != 0:
            fail(command[0] + " rejects the file")

    # The version the program reports is the one its files announce.
    release = re.search(r'<release version="([^"]+)"',
                        open(os.path.join(prefix, metainfo)).read())
    page = run("man", "--warnings", "-l", "-Tutf8", os.path.join(prefix, man),
               env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
    if page.returncode != 0 or page.stderr.strip():
        fail("man page: " + page.stderr)
    if not release or release.group(1) != version or ("Orvane " + version) not in page.stdout:
        fail("orvane --version says %s; metainfo %s; man page footer %r"
             % (version, release and release.group(1), page.stdout.strip().splitlines()[-1:]))

    # An installed program must not look for libraries in the build tree.
    for binary in ("bin/orvane", module):
        dynamic = run("readelf", "-d", os.path.join(prefix, binary)).stdout
        if BUILD in dynamic or os.path.realpath(BUILD) in dynamic:
            fail(binary + " keeps the build tree's RUNPATH")
        # Opened on first use: linked, they would cost their memory in every run. (Qt Widgets
        # is linked: the tray and the desktop's own dialogs.)
        for library in ("libgio-2.0", "libgobject-2.0", "libcanberra"):
            if "[" + library in dynamic:
                fail(binary + " links " + library)
    # The module is loaded off the main thread: a static plugin it registered then would change
    # Qt's plugin list while other threads read it.
    symbols = run("readelf", "--dyn-syms", "-W", os.path.join(prefix, module)).stdout
    if "qRegisterStaticPluginFunction" in symbols:
        fail(module + " registers static plugins when loaded")
    shows_its_card(os.path.join(prefix, "bin/orvane"))
    subprocess.run(["rm", "-rf", prefix], check=False)


def shows_its_card(program):
    """The installed program finds its module where it was installed: the sample card shows."""
    home = tempfile.mkdtemp(prefix="orvane-installed-")
    env = isolated_env(home, QT_QPA_PLATFORM="offscreen")
    env.pop("ORVANE_UI_MODULE", None)
    orvane = Program([program, "--background", "--simulate-capture"], env=env)
    try:
        wait_for(lambda: orvane.logged("HUD displayed") or orvane.logged("not be loaded"), 20)
        if not orvane.logged("HUD displayed"):
            fail("the installed program shows no card: " + "".join(orvane.lines))
    finally:
        orvane.end()
        subprocess.run(["rm", "-rf", home], check=False)


def installed():
    return "ok installed" in run("dpkg-query", "-W", "-f=${Status}", "orvane").stdout


def start_and_see_the_card():
    home = tempfile.mkdtemp(prefix="orvane-package-")
    desktop = os.path.join(home, "Desktop")
    os.makedirs(desktop)
    orvane = Program(["/usr/bin/orvane", "--background"], env=isolated_env(home))
    try:
        if not orvane.watching():
            fail("the installed program did not start watching (exit status %s): %s"
                 % (orvane.process.poll(), "".join(orvane.lines)))
        entry = os.path.join(home, ".config/autostart/com.tarnwell.orvane.desktop")
        text = open(entry).read() if os.path.exists(entry) else ""
        if "\nExec=/usr/bin/orvane --background\n" not in text:
            fail("autostart entry does not start /usr/bin/orvane: %r" % text)
        shot = screenshot(os.path.join(desktop, "Screenshot from the package test.png"),
                          "640x400", "gradient:seagreen-navy")
        if len(wait_for(cards, 10)) != 1:
            fail("no card for %s" % shot)
        picture = os.path.join(BUILD, "package-card.png")
        run("import", "-window", "root", picture)
        print("card shown for the screenshot; the screen:", picture)
    finally:
        orvane.end()
        subprocess.run(["rm", "-rf", home], check=False)


def package():
    # A plain `ctest` run by root must not install anything into /usr unasked.
    if os.environ.get("ORVANE_TEST_PACKAGE") != "1" or os.geteuid() != 0:
        print("SKIP: installs the package into /usr: run it as root with `make test-package`")
        sys.exit(77)
    if installed():
        fail("an orvane package is installed already; this test would replace and remove it")
    built = run(CMAKE, "--build", BUILD, "--target", "package")
    debs = glob.glob(os.path.join(BUILD, "orvane_*_*.deb"))
    if built.returncode != 0 or len(debs) != 1:
        fail("making the package: %s%s; found %s" % (built.stdout[-3000:], built.stderr[-3000:],
                                                     debs))
    # Qt's public API only: a package tied to one build of Qt (qt6-base-abi) breaks with the
    # distribution's next Qt update.
    depends = run("dpkg-deb", "-f", debs[0], "Depends").stdout
    if "qt6-base-abi" in depends or "libqt6widgets6" not in depends:
        fail("the package depends on: " + depends)
    checked = run("lintian", "--fail-on", "error", debs[0])
    print("lintian:", (checked.stdout + checked.stderr).strip() or "no findings")
    if checked.returncode != 0:
        fail("lintian reports errors")
    try:
        done = run("apt-get", "install", "-y", "-q", "--no-install-recommends",
                   os.path.abspath(debs[0]), env=APT_ENV)
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


tree(*sys.argv[4:6]) if MODE == "tree" else package()
