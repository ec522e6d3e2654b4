"""What the end-to-end tests share: X displays and window managers of their own, the program in a
fresh home with its log read as it comes, stand-in D-Bus services, the card's window found on the
screen, AT-SPI nodes found and pressed, and checks counted to one verdict."""
import os, struct, subprocess, sys, threading, time  # noqa: E401

from gi.repository import Gio, GLib

def wait_for(predicate, timeout):
    """The predicate's first true value within timeout seconds, else its last answer."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()) and time.monotonic() < deadline:
        time.sleep(0.05)
    return value


def run(*command, env=None, text=True, timeout=20):
    return subprocess.run(command, capture_output=True, text=text, timeout=timeout,
                          env=env).stdout


def stop(*processes):
    for process in filter(None, processes):
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Display:
    """An Xvfb on the first free display, managed by `wm` as installed (themes and all) once
    given; what is started on it ends with it. It never resets: a window manager still
    connecting while the last other client leaves would lose its connection."""

    def __init__(self, *wm, size=(1280, 800)):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                      "%dx%dx24" % size, "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            self.env, self.started = dict(os.environ, DISPLAY=":" + pipe.readline().strip()), []
        if self.env["DISPLAY"] == ":":
            sys.exit("FAIL: Xvfb did not start")
        if wm:
            self.start(*wm)
            wait_for(lambda: "window id" in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                                env=self.env), 15)

    def start(self, *command, env=None):
        """A helper whose output nobody reads."""
        self.started.append(subprocess.Popen(command, env=env or self.env,
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(*reversed(self.started), self.xvfb)


def home_env(home, **extra):
    """HOME, every XDG folder and a Desktop (where screenshots land) in `home`: nothing installed,
    no other Orvane and no user's file changes a result. English unless `extra` says otherwise;
    LC_* emptied, not left out, so that os.environ.update() of the result clears them; a None in
    `extra` leaves that variable out."""
    env = dict(os.environ, HOME=home, LANG="C.UTF-8", LANGUAGE="", LC_ALL="", LC_MESSAGES="")
    env.update({name: "" for name in env if name.startswith("LC_")})
    for name, sub in {"XDG_CONFIG_HOME": ".config", "XDG_DATA_HOME": ".local/share",
                      "XDG_CACHE_HOME": ".cache", "XDG_DATA_DIRS": "system/share",
                      "XDG_CONFIG_DIRS": "system/xdg", "XDG_RUNTIME_DIR": "runtime"}.items():
        env[name] = os.path.join(home, sub)
        os.makedirs(env[name], exist_ok=True)
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    os.makedirs(os.path.join(home, "Desktop"), exist_ok=True)
    return {name: value for name, value in dict(env, **extra).items() if value is not None}


def orvane(home, *arguments, program=None, conf="", accessible=False, **extra):
    """The program (the test's first argument) in a fresh home, with the settings `conf` and the
    environment `extra` (None: left out). Accessible: Qt's accessibility on, the environment made
    this process's own too, the accessibility bus started before Orvane looks for it."""
    env = home_env(home, **extra, **({"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"} if accessible
                                     else {}))
    if accessible:
        os.environ.update(env)
        import pyatspi
        pyatspi.Registry.getDesktop(0)
    if conf:
        write(os.path.join(env["XDG_CONFIG_HOME"], "orvane/orvane.conf"), "[General]\n" + conf)
    return Program([program or os.path.abspath(sys.argv[1]), *arguments], env=env)


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
            if shown and rect[2:] == (300, 385)]


class Program:
    """A process whose standard error is read as it comes; killed at the end of a `with`."""

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

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.end()


class Checks:
    """Prints each check as it goes; exits with the failed ones named."""

    def __init__(self):
        self.failed = []

    def __call__(self, what, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + what + ("" if ok else "  " + str(detail)), flush=True)
        if not ok:
            self.failed.append(what)
        return ok

    def must(self, what, ok, detail=""):
        """A check the rest depends on: its failure ends the test."""
        return self(what, ok, detail) or self.finish()

    def finish(self):
        if self.failed:
            sys.exit("FAIL: " + ", ".join(self.failed))
        print("all passed")


class Service:
    """A stand-in desktop service: the interface of `xml` at `path` under `name`, on a bus
    connection of its own, so that a reopened one is a new owner, as a restarted service is.
    Its methods go to self.call(sender, method, args, invocation), its properties to get()."""

    def __init__(self, name, path, xml):
        self.name, self.path = name, path
        self.interface = Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0]
        self.open()

    def open(self):
        self.bus = Gio.DBusConnection.new_for_address_sync(
            Gio.dbus_address_get_for_bus_sync(Gio.BusType.SESSION, None),
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
            Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
        self.bus.register_object(self.path, self.interface,
                                 lambda _, s, _p, _i, m, a, i: self.call(s, m, a, i),
                                 lambda _, _s, _p, _i, prop: self.get(prop), None)
        owned = []
        self.owner = Gio.bus_own_name_on_connection(self.bus, self.name, 0,
                                                    lambda *_: owned.append(1), None)
        pump(lambda: owned, 10)

    def close(self):
        Gio.bus_unown_name(self.owner)
        self.bus.close_sync(None)

    def emit(self, signal, signature, args):
        self.bus.emit_signal(None, self.path, self.interface.name, signal,
                             GLib.Variant(signature, args))
        self.bus.flush_sync(None)


def find(role, name):
    """The one AT-SPI node of Orvane's with that role and name: none while there are two, or
    while the tree changes under the walk."""
    import pyatspi
    try:
        found = [n for app in pyatspi.Registry.getDesktop(0)
                 if app is not None and app.name.lower().startswith("orvane")
                 for n in pyatspi.findAllDescendants(
                     app, lambda n: n.name == name and n.getRoleName() == role)]
    except (GLib.GError, RuntimeError, TypeError, AttributeError):
        return None
    return found[0] if len(found) == 1 else None


def press(node):
    """Presses the node; false when there is none, or it went away under the call."""
    try:
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i).lower() in ("press", "click", "activate", "toggle"):
                return action.doAction(i) or True
    except (AttributeError, NotImplementedError, RuntimeError, GLib.GError):
        pass
    return False


def box(node):
    """The node's (x, y, width, height) on the screen."""
    import pyatspi
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def pump(predicate, timeout):
    """wait_for, while GLib delivers the D-Bus messages and AT-SPI events meanwhile."""
    context = GLib.MainContext.default()
    return wait_for(lambda: [context.iteration(False) for _ in range(20)] and predicate(),
                    timeout)
