"""The installed program. tree: `cmake --install` into an empty prefix lays the program's files
where the desktop looks and nowhere else, valid, of the program's version, and the program finds
its module. package: the Debian package installed, started (autostart entry, a card) and purged
without leftovers; it installs into /usr, so it runs only as root from `make test-package`."""
import glob, os, re, subprocess, sys, tempfile  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, cards, orvane, screenshot, wait_for  # noqa: E402

MODE, CMAKE, BUILD = sys.argv[1:4]
APP = "com.tarnwell.orvane"
APT_ENV = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
check = Checks()


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def tree(prefix, source, libdir):
    done = run(CMAKE, "--install", BUILD, "--prefix", prefix,
               env={name: value for name, value in os.environ.items() if name != "DESTDIR"})
    check.must("cmake --install", done.returncode == 0, done.stdout + done.stderr)
    desktop, metainfo = f"share/applications/{APP}.desktop", f"share/metainfo/{APP}.metainfo.xml"
    man = "share/man/man1/orvane.1.gz"
    version = run(prefix + "/bin/orvane", "--version").stdout.split()[-1]
    # The card and the preferences are a module the program loads on first use, of its version.
    module = f"{libdir}/orvane/orvane-ui-{version}.so"
    expected = ["bin/orvane", module, desktop, metainfo, man, "share/doc/orvane/copyright",
                f"share/icons/hicolor/scalable/apps/{APP}.svg"]
    expected += [f"share/icons/hicolor/{n}x{n}/apps/{APP}.png" for n in (16, 24, 32, 48, 64, 128,
                                                                          256, 512)]
    expected += ["share/icons/hicolor/symbolic/apps/" + os.path.basename(p)
                 for p in glob.glob(source + "/src/app/icon/*-symbolic.svg")]
    # Only the program, its module and share/: no /etc, nothing for a home folder, no tests.
    everything = [os.path.relpath(os.path.join(d, f), prefix)
                  for d, _, files in os.walk(prefix) for f in files]
    check("every file installed", set(expected) <= set(everything),
          sorted(set(expected) - set(everything)))
    check("nothing besides the program's files", all(
        f.startswith("share/") or f in expected for f in everything), sorted(everything))
    for command in (["desktop-file-validate", desktop],
                    ["appstreamcli", "validate", "--no-net", metainfo]):
        checked = run(*command[:-1], os.path.join(prefix, command[-1]))
        check(" ".join(command[:-1]) + " accepts the file", checked.returncode == 0,
              checked.stdout + checked.stderr)

    # The version the program reports is the one its files announce.
    release = re.search(r'<release version="([^"]+)"', open(prefix + "/" + metainfo).read())
    page = run("man", "--warnings", "-l", "-Tutf8", os.path.join(prefix, man),
               env=dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8"))
    check("the man page reads without warnings", page.returncode == 0 and not page.stderr.strip(),
          page.stderr)
    check("metainfo and man page of version " + version, release and release.group(1) == version
          and ("Orvane " + version) in page.stdout,
          (release and release.group(1), page.stdout.strip().splitlines()[-1:]))

    for binary in ("bin/orvane", module):
        dynamic = run("readelf", "-d", os.path.join(prefix, binary)).stdout
        check(binary + " looks for no library in the build tree",
              BUILD not in dynamic and os.path.realpath(BUILD) not in dynamic)
        # Opened on first use: linked, they would cost their memory in every run. (Qt Widgets
        # is linked: the tray and the desktop's own dialogs.)
        check(binary + " links no GIO, GObject or libcanberra", not any(
            "[" + library in dynamic for library in ("libgio-2.0", "libgobject-2.0",
                                                     "libcanberra")))
    # The module is loaded off the main thread: a static plugin it registered then would change
    # Qt's plugin list while other threads read it.
    check(module + " registers no static plugin", "qRegisterStaticPluginFunction" not in run(
        "readelf", "--dyn-syms", "-W", os.path.join(prefix, module)).stdout)
    # It finds its module where it was installed: the sample card shows.
    with orvane(prefix + "/home", "--background", "--simulate-capture", program=prefix +
                "/bin/orvane", QT_QPA_PLATFORM="offscreen", ORVANE_UI_MODULE=None) as program:
        wait_for(lambda: program.logged("HUD displayed") or program.logged("not be loaded"), 20)
        check("the installed program shows its card", program.logged("HUD displayed"),
              "".join(program.lines))


def installed():
    return "ok installed" in run("dpkg-query", "-W", "-f=${Status}", "orvane").stdout


def package(home):
    # A plain `ctest` run by root must not install anything into /usr unasked.
    if os.environ.get("ORVANE_TEST_PACKAGE") != "1" or os.geteuid() != 0:
        print("SKIP: installs the package into /usr: run it as root with `make test-package`")
        sys.exit(77)
    check.must("no orvane package installed already (it would be replaced and removed)",
               not installed())
    built = run(CMAKE, "--build", BUILD, "--target", "package")
    debs = glob.glob(os.path.join(BUILD, "orvane_*_*.deb"))
    check.must("one package made", built.returncode == 0 and len(debs) == 1,
               (built.stdout[-3000:], built.stderr[-3000:], debs))
    # Qt's public API only: a package tied to one build of Qt (qt6-base-abi) breaks with the
    # distribution's next Qt update.
    depends = run("dpkg-deb", "-f", debs[0], "Depends").stdout
    check("it depends on Qt, not one build of Qt",
          "qt6-base-abi" not in depends and "libqt6widgets6" in depends, depends)
    linted = run("lintian", "--fail-on", "error", debs[0])
    check("lintian reports no errors", linted.returncode == 0, linted.stdout + linted.stderr)
    try:
        done = run("apt-get", "install", "-y", "-q", "--no-install-recommends",
                   os.path.abspath(debs[0]), env=APT_ENV)
        check.must("apt-get install", done.returncode == 0 and installed(),
                   done.stdout[-3000:] + done.stderr[-3000:])
        files = [p for p in run("dpkg", "-L", "orvane").stdout.splitlines() if p.startswith("/")]
        owned = [p for p in files if os.path.isfile(p) or os.path.islink(p)]
        with orvane(home, "--background", program="/usr/bin/orvane") as program:
            check.must("the installed program watches", program.watching(),
                       (program.process.poll(), "".join(program.lines)))
            entry = home + f"/.config/autostart/{APP}.desktop"
            text = open(entry).read() if os.path.exists(entry) else ""
            check("the autostart entry starts /usr/bin/orvane",
                  "\nExec=/usr/bin/orvane --background\n" in text, text)
            screenshot(home + "/Desktop/Screenshot from the package test.png", "640x400",
                       "gradient:seagreen-navy")
            check("a card for the screenshot", len(wait_for(cards, 10)) == 1)
            run("import", "-window", "root", os.path.join(BUILD, "package-card.png"))
    finally:
        if installed():
            run("apt-get", "purge", "-y", "-q", "orvane", env=APT_ENV)
    check.must("removed by apt-get purge", not installed())
    # Folders it brought are gone too, unless another package shares them (/usr/share/...).
    left = [p for p in owned + [f for f in files if "orvane" in os.path.basename(f)]
            if os.path.lexists(p)]
    check("none of its %d files is left" % len(owned), not left, left)


with tempfile.TemporaryDirectory(prefix="orvane-install-") as root:
    tree(root, *sys.argv[4:6]) if MODE == "tree" else package(root)
check.finish()
