"""HOME and every XDG folder in `home` for a run of the program, so that nothing installed, no
other Orvane and no real user's file changes a result; English, unless `extra` says otherwise."""
import os
import time

FOLDERS = {"XDG_CONFIG_HOME": ".config", "XDG_DATA_HOME": ".local/share",
           "XDG_CACHE_HOME": ".cache", "XDG_DATA_DIRS": "system/share",
           "XDG_CONFIG_DIRS": "system/xdg", "XDG_RUNTIME_DIR": "runtime"}


def isolated_env(home, **extra):
    # LC_* emptied rather than left out, so that os.environ.update() of the result clears them.
    env = dict(os.environ, HOME=home, LANG="C.UTF-8", LANGUAGE="", LC_ALL="", LC_MESSAGES="")
    env.update({name: "" for name in env if name.startswith("LC_")})
    for name, sub in FOLDERS.items():
        env[name] = os.path.join(home, sub)
        os.makedirs(env[name], exist_ok=True)
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    return dict(env, **extra)


def wait_for(predicate, timeout):
    """The predicate's first true value within timeout seconds, else its last answer."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()) and time.monotonic() < deadline:
        time.sleep(0.05)
    return value
