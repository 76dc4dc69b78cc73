"""Runs the real demo in a virtual X server of its own and looks at what it does."""

import contextlib
import os
import re
import subprocess
import tempfile
import time

DEMO = os.environ.get("PLASMA_TUNNEL", "build/plasma-tunnel")
SEND_WM_DELETE = os.environ.get("SEND_WM_DELETE", "build/tests/send-wm-delete")
FAIL_MALLOC = os.environ.get("FAIL_MALLOC", "build/tests/libfail_malloc.so")
SHIFT_TICKS = os.environ.get("SHIFT_TICKS", "build/tests/libshift_ticks.so")
QUIT_AT_ONCE = os.environ.get("QUIT_AT_ONCE", "build/tests/libquit_at_once.so")
CAPTION = "tovrelinkasumora 8)"
STATISTICS = re.compile(
    r"^Aika: (\d+\.\d{3}) sek, frm: (\d+) kpl, fps: (\d+\.\d{3}|inf)\n$")
WIDTH, HEIGHT = 640, 480


def start_x_server():
    """Starts an Xvfb on a free display number; returns (server process, its name, e.g. ':5')."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
         "-screen", "0", "1024x768x24"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as ready:
        number = ready.readline().strip()  # written once the server accepts clients
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


@contextlib.contextmanager
def virtual_display():
    """An Xvfb of its own for the duration; yields its name."""
    server, display = start_x_server()
    try:
        yield display
    finally:
        server.terminate()
        server.wait(timeout=10)


def demo_env(display, **extra):
    env = dict(os.environ)
    env.pop("SDL_VIDEODRIVER", None)
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = display
    if env.get("PLASMA_SANITIZED") == "1":
        # SDL and Mesa unload their libraries at exit, before the leak check runs, so
        # leak reports from them cannot be told apart or suppressed; the demo's leaks are
        # checked under Valgrind instead (scripts/memcheck). Every other report still halts.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    env.update(extra)
    return env


def run_to_end(args, env, timeout=60):
    """Runs a command to completion; returns (status, stdout, stderr)."""
    done = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    return done.returncode, done.stdout, done.stderr


class Demo:
    """A demo process with its window, on a given display."""

    def __init__(self, display, *flags, wrapper=(), extra_env=None, timeout=30):
        self.display = display
        self.env = demo_env(display, **(extra_env or {}))
        self.process = subprocess.Popen(
            [*wrapper, DEMO, *flags], env=self.env,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.window = self._wait_for_window(timeout)

    def _wait_for_window(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = subprocess.run(
                ["xdotool", "search", "--name", "^" + re.escape(CAPTION) + "$"],
                env=self.env, capture_output=True, text=True)
            if found.stdout.split():
                return found.stdout.split()[0]
            if self.process.poll() is not None:
                raise AssertionError("demo ended before its window showed: "
                                     + self.process.stderr.read())
            time.sleep(0.05)
        self.process.kill()
        raise AssertionError("no demo window within %d s" % timeout)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=30)

    def key(self, name):
        self.xdotool("key", "--window", self.window, name)

    def close_window(self):
        subprocess.run([SEND_WM_DELETE, self.window], env=self.env, check=True, timeout=30)

    def running(self):
        return self.process.poll() is None

    def screenshot(self):
        """The window's pixels as bytes of red, green, blue, row by row."""
        with tempfile.TemporaryDirectory() as folder:
            png = os.path.join(folder, "shot.png")
            subprocess.run(["import", "-window", self.window, png],
                           env=self.env, check=True, timeout=30)
            return subprocess.run(["convert", png, "-depth", "8", "rgb:-"],
                                  check=True, capture_output=True, timeout=30).stdout

    def finish(self, timeout=30):
        """Waits for the end of the run; returns (status, stdout, stderr)."""
        out, err = self.process.communicate(timeout=timeout)
        return self.process.returncode, out, err

    def quit(self, timeout=30):
        self.key("Escape")
        return self.finish(timeout)

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.communicate()


def frames_of(test, stdout):
    """Checks stdout is exactly one statistics line; returns its frame count."""
    match = STATISTICS.match(stdout)
    test.assertIsNotNone(match, "not a statistics line: %r" % stdout)
    return int(match.group(2))
