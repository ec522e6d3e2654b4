"""What the end-to-end tests share: X displays and window managers of their own, helpers started
and ended, the card's window found on the screen, the program's log read as it comes, AT-SPI
nodes found and pressed, and checks counted to one verdict."""
import os
import struct
import subprocess
import sys
import threading

from testhome import isolated_env, wait_for  # noqa: F401  (the tests take both from here)

CARD_SIZE = (300, 385)


def fail(message):
    sys.exit("FAIL: " + message)


def run(*command, env=None, text=True, timeout=20):
    return subprocess.run(command, capture_output=True, text=text, timeout=timeout,
                          env=env).stdout


def start(*command, env=None):
    """A helper process whose output nobody reads."""
    return subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def stop(*processes):
    for process in processes:
        if process and process.poll() is None:
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def own_display(size=(1280, 800)):
    """An Xvfb on the first free display: (process, ":N"). It never resets: a window manager
    still connecting while the last other client leaves would lose its connection."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % size,
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            sys.exit("FAIL: Xvfb did not start")
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def wait_for_wm(env):
    return wait_for(lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                                env=env), 15)


def home_env(home, **extra):
    """A fresh home with a Desktop folder (where screenshots land) and its environment."""
    os.makedirs(os.path.join(home, "Desktop"), exist_ok=True)
    return isolated_env(home, **extra)


def accessible_env(home, **extra):
    """home_env with Qt's accessibility on, made this process's own, and the accessibility bus
    started before Orvane looks for it."""
    env = home_env(home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **extra)
    os.environ.update(env)
    import pyatspi
    pyatspi.Registry.getDesktop(0)
    return env


def screenshot(path, size="64x48", fill="xc:teal"):
    """A PNG saved as capture tools do: written aside, then renamed into place."""
    run("convert", "-size", size, fill, path + ".tmp.png")
    os.rename(path + ".tmp.png", path)
    return path


def pasted_size(env=None):
    """The (width, height) of the PNG on the clipboard; None if there is none."""
    png = run("xclip", "-selection", "clipboard", "-t", "image/png", "-o", env=env, text=False)
    return struct.unpack(">II", png[16:24]) if png[12:16] == b"IHDR" else None


def write(path, text, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)
    return path


def settings(env, text):
    write(os.path.join(env["XDG_CONFIG_HOME"], "orvane", "orvane.conf"), "[General]\n" + text)


def geometry(window, env=None):
    """A window's (x, y, width, height) on the screen, and whether it is shown."""
    info = run("xwininfo", "-id", window, env=env)
    values = dict(line.strip().partition(":")[::2] for line in info.splitlines())
    keys = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
    rect = tuple(int(values.get(key, "0").strip() or 0) for key in keys)
    return rect, values.get("Map State", "").strip() == "IsViewable"


def cards(env=None):
    """The cards shown: (window, rect) for each window of the card's name and size."""
    found = run("xdotool", "search", "--name", "^Orvane$", env=env).split()
    return [(w, rect) for w, (rect, shown) in ((w, geometry(w, env)) for w in found)
            if shown and rect[2:] == CARD_SIZE]


class Program:
    """A process whose standard error is read as it comes."""

    def __init__(self, command, env=None, **popen):
        self.lines = []
        self.process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True, errors="replace",
                                        **popen)
        self.reader = threading.Thread(target=lambda: self.lines.extend(self.process.stderr),
                                       daemon=True)
        self.reader.start()

    def logged(self, text):
        return [line.rstrip("\n") for line in list(self.lines) if text in line]

    def wait_for_line(self, text, timeout=20):
        return wait_for(lambda: self.logged(text) or self.process.poll() is not None,
                        timeout) and self.logged(text)

    def watching(self, timeout=20):
        """Once the screenshot folders are watched."""
        return self.wait_for_line("FSEventStream started: YES", timeout)

    def end(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class Checks:
    """Prints each check as it goes; exits with the failed ones named."""

    def __init__(self):
        self.failed = []

    def __call__(self, what, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + what + ("" if ok else "  " + str(detail)), flush=True)
        if not ok:
            self.failed.append(what)
        return ok

    def finish(self):
        if self.failed:
            sys.exit("FAIL: " + ", ".join(self.failed))
        print("all passed")


def find(role, name):
    """The one AT-SPI node of Orvane's with that role and name: none while there are two."""
    import pyatspi
    from gi.repository import GLib

    def walk(node):
        if node is None:
            return []
        try:
            if node.name == name and node.getRoleName() == role:
                return [node]
            return [n for i in range(node.childCount) for n in walk(node.getChildAtIndex(i))]
        except (GLib.GError, RuntimeError):
            return []
    try:
        found = [n for app in pyatspi.Registry.getDesktop(0)
                 if app is not None and app.name.lower().startswith("orvane") for n in walk(app)]
    except (GLib.GError, RuntimeError):
        return None
    return found[0] if len(found) == 1 else None


def press(node):
    """Presses the node; false when there is none, or it went away under the call."""
    from gi.repository import GLib
    try:
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i).lower() in ("press", "click", "activate", "toggle"):
                return action.doAction(i) or True
    except (AttributeError, NotImplementedError, RuntimeError, GLib.GError):
        pass
    return False


def centre(node):
    import pyatspi
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x + e.width // 2, e.y + e.height // 2


def pump(predicate, timeout):
    """wait_for, while GLib delivers the D-Bus messages and AT-SPI events meanwhile."""
    from gi.repository import GLib
    context = GLib.MainContext.default()
    return wait_for(lambda: [context.iteration(False) for _ in range(20)] and predicate(),
                    timeout)
