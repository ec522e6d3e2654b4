"""A world of its own for one run of the program under test: HOME, every XDG folder and the
runtime folder point into `home`, so nothing the machine has installed changes a result, no
other copy of Orvane answers, and the real user's files stay untouched. English, so that texts
compare as written (a test that wants another language passes its own LANG or LANGUAGE)."""
import os
import time

FOLDERS = {"XDG_CONFIG_HOME": ".config", "XDG_DATA_HOME": ".local/share",
           "XDG_CACHE_HOME": ".cache", "XDG_DATA_DIRS": "system/share",
           "XDG_CONFIG_DIRS": "system/xdg", "XDG_RUNTIME_DIR": "runtime"}


def isolated_env(home, base=None, **extra):
    env = dict(os.environ if base is None else base, HOME=home, LANG="C.UTF-8", LANGUAGE="")
    # Emptied rather than left out, so that os.environ.update() of the result clears them too.
    for name in [n for n in env if n.startswith("LC_")] + ["LC_ALL", "LC_MESSAGES"]:
        env[name] = ""
    for name, sub in FOLDERS.items():
        env[name] = os.path.join(home, sub)
        os.makedirs(env[name], exist_ok=True)
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    return dict(env, **extra)


def wait_for(predicate, timeout, step=0.05):
    """The predicate's first true value within timeout seconds, else its last answer."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()
