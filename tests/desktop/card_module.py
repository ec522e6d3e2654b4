"""The card module loading in the real program: the X server killed meanwhile is one line and
exit status 1, no core; SIGTERM then is status 0. (A module refused before it loads:
tst_lazyui's failureIsLoggedOnceAndReported, tst_launch's missingModuleIsReportedNotFatal.)"""
import os, re, resource, signal, sys, tempfile  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import Checks, Display, Program, home_env  # noqa: E402

LOST = "[Orvane] The connection to the display was lost; Orvane quits."
# The dynamic loader's line as it maps Qt Quick for the module: the loading has begun.
LOADING = "file=libQt6Quick.so.6 "
check = Checks()


def own_log(program):
    """Its own lines, without the dynamic loader's ("  1234:\t...")."""
    return "".join(l for l in program.lines if not re.match(r"\s*\d+:\t", l))[-3000:]


def while_loading(end, round_number):
    """Orvane loading the card at once, the X server killed or SIGTERM sent once it has begun;
    its cores, were there any, in its working folder."""
    killed = end == "X server killed"
    what = "%s while loading, round %d: " % (end, round_number)
    with tempfile.TemporaryDirectory(prefix="orvane-module-") as home, \
            Display(size=(800, 600)) as x, \
            Program([os.path.abspath(sys.argv[1]), "--background", "--simulate-capture"],
                    env=home_env(home, DISPLAY=x.env["DISPLAY"], QT_QPA_PLATFORM="xcb",
                                 LD_DEBUG="files"), cwd=home, preexec_fn=lambda: resource.setrlimit(
                        resource.RLIMIT_CORE, (resource.RLIM_INFINITY,) * 2)) as app:
        check.must(what + "Qt Quick is loaded", app.wait_for_line(LOADING), own_log(app))
        x.xvfb.kill() if killed else app.process.send_signal(signal.SIGTERM)
        status, cores = app.process.wait(20), [n for n in os.listdir(home) if n.startswith("core")]
        check.must(what + "exit status %d, no core" % killed, status == killed and not cores,
                   (status, cores, own_log(app)))
        check.must(what + "%d lines say the display was lost" % killed,
                   len(app.logged(LOST)) == killed, own_log(app))


for end in ("X server killed", "SIGTERM"):
    for round_number in range(1, 11):
        while_loading(end, round_number)
check.finish()
