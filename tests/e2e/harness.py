"""Runs the real demo in a virtual X server of its own and looks at what it does."""

import contextlib
import os
import re
import select
import signal
import subprocess
import tempfile
import time

import motion_oracle

DEMO = os.environ.get("PLASMA_TUNNEL", "build-test/plasma-tunnel")
# The program that starts the demo, if any: "wine" for the Windows build.
LAUNCHER = os.environ.get("PLASMA_LAUNCHER", "").split()
SEND_WM_DELETE = os.environ.get("SEND_WM_DELETE", "build-test/tests/send-wm-delete")
FAIL_ALLOC = os.path.abspath(os.environ.get("FAIL_ALLOC", "build-test/tests/libfail_alloc.so"))
DEMO_PROBE = os.path.abspath(os.environ.get("DEMO_PROBE", "build-test/tests/libdemo_probe.so"))
CAPTION = "tovrelinkasumora 8)"
STATISTICS = re.compile(
    r"^Aika: (\d+\.\d{3}) sek, frm: (\d+) kpl, fps: (\d+\.\d{3}|inf)\n$")
WIDTH, HEIGHT = 640, 480
# SDL 1.2's numbers for the events and keys the tests script.
KEYDOWN, KEYUP, QUIT = 2, 3, 12
ESCAPE, SPACE = 27, 32


def start_x_server(timeout=30, size="1024x768"):
    """Starts an Xvfb of the given screen size on a free display number; returns (server
    process, its name, e.g. ':5')."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
         "-screen", "0", size + "x24"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as ready:
        # The number is written once the server accepts clients.
        number = ready.readline().strip() if wait_readable(ready, timeout) else ""
    if not number:
        server.kill()
        server.wait()
        raise RuntimeError("Xvfb did not start within %d s" % timeout)
    return server, ":" + number


def wait_readable(stream, timeout):
    return bool(select.select([stream], [], [], timeout)[0])


@contextlib.contextmanager
def virtual_display(size="1024x768"):
    """An Xvfb of its own for the duration; yields its name. A run that shares one X server
    among all its tests names it in PLASMA_DISPLAY, and gets that one: Wine puts every window
    on the display its first program met, for as long as its server lives."""
    shared = os.environ.get("PLASMA_DISPLAY")
    if shared:
        yield shared
        return
    server, display = start_x_server(size=size)
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


def default_interrupt():
    """In the child before the demo starts: a test run from a shell that ignores SIGINT
    (a background job) must still see the demo's own answer to it."""
    signal.signal(signal.SIGINT, signal.SIG_DFL)


def demo_command(*flags, program=None):
    """The command line that starts the demo (or another build of it) with flags."""
    return [*LAUNCHER, program or DEMO, *flags]


def run_to_end(args, env, timeout=120):
    """Runs a command to completion; returns (status, stdout, stderr)."""
    done = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout,
                          preexec_fn=default_interrupt)
    return done.returncode, done.stdout, done.stderr


def probe_vars(record, ticks=None, quit_after=None, preload=(), events=(), hold_after=None):
    """The variables of a run under the probe: the clock answers ticks in turn (and on in
    their last step); the demo's event queue hands out each of events, (swaps, type, key
    symbol), once that many frames have been presented, ahead of the real queue; the run
    ends by itself after quit_after frames, or is held with frame hold_after on the screen
    until it is killed; and what the demo hands to SDL and OpenGL is written to the file
    record. Without ticks the clock is the real one; without quit_after the run ends as
    usual."""
    variables = {"LD_PRELOAD": ":".join([DEMO_PROBE, *preload]), "PROBE_OUT": record}
    if hold_after is not None:
        variables["PROBE_HOLD_AFTER"] = str(hold_after)
    if ticks is not None:
        variables["PROBE_TICKS"] = ",".join(str(t % 2**32) for t in ticks)
    scripted = list(events) + ([(quit_after, QUIT, 0)] if quit_after is not None else [])
    if scripted:
        variables["PROBE_EVENTS"] = ",".join(
            probe_event(*event) for event in sorted(scripted, key=lambda event: event[0]))
    return variables


def probe_event(swaps, kind, key):
    """An event as PROBE_EVENTS gives it."""
    if kind == QUIT:
        return "%d:quit" % swaps
    return "%d:%s:%d" % (swaps, "keydown" if kind == KEYDOWN else "keyup", key)


def scripted_env(display, record, ticks=None, quit_after=None, preload=(), events=(), **extra):
    """demo_env for a run under the probe (see probe_vars)."""
    return demo_env(display, **probe_vars(record, ticks, quit_after, preload, events), **extra)


def scripted_ticks(ticks, count):
    """The first count answers of a clock scripted with ticks, as the probe gives them."""
    step = ticks[-1] - ticks[-2] if len(ticks) > 1 else 0
    return [(ticks[n] if n < len(ticks) else ticks[-1] + (n - len(ticks) + 1) * step) % 2**32
            for n in range(count)]


class ProbeRecord:
    """What the probe wrote down: the calls before the first frame, each frame's calls (up
    to its buffer swap), and those after the last; a call is (name, [arguments]), floats
    exact, tick counts and flags as integers."""

    def __init__(self, path):
        segments = [[]]
        with open(path) as lines:
            for line in lines:
                name, _, rest = line.rstrip("\n").partition(" ")
                if name == "SDL_WM_SetCaption":
                    args = list(re.fullmatch(r"\[(.*)\] (\S+)", rest).groups())
                else:
                    args = [value(v) for v in rest.split()]
                segments[-1].append((name, args))
                if name == "SDL_GL_SwapBuffers":
                    segments.append([])
        # Start-up ends with the start time, the demo's first clock read.
        first = segments[0]
        names = [name for name, _ in first]
        end = names.index("SDL_GetTicks") + 1 if "SDL_GetTicks" in names else len(first)
        self.startup = first[:end]
        frames = [first[end:], *segments[1:-1]] if len(segments) > 1 else []
        self.shutdown = segments[-1] if len(segments) > 1 else []
        # What each frame's drain of the event queue found: (type, key symbol) an event, and
        # () for the empty queue that ends it.
        self.polls = [[tuple(args) for name, args in frame if name == "SDL_PollEvent"]
                      for frame in frames]
        self.frames = [[call for call in frame if call[0] != "SDL_PollEvent"] for frame in frames]

    def ticks(self):
        return [args[0] for part in [self.startup, *self.frames, self.shutdown]
                for name, args in part if name == "SDL_GetTicks"]


def check_statistics(test, stdout, record):
    """The statistics line of a run recorded by the probe must give the frames it presented
    and the time between its first and last clock reads, whatever the machine's speed."""
    probe = ProbeRecord(record)
    ticks = probe.ticks()
    test.assertGreaterEqual(len(probe.frames), 1)
    test.assertEqual(stdout, motion_oracle.statistics(ticks[0], ticks[-1], len(probe.frames)))


def value(text):
    return float.fromhex(text) if "p" in text else int(text, 0)

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")


def readme_commands(start):
    """The README's lines that start with start, without their surrounding white space."""
    with open(README) as readme:
        return [line.strip() for line in readme if line.strip().startswith(start)]


def find_windows(env, name, visible=False):
    """The windows named name exactly (only the visible ones, if asked) on the display env
    names."""
    found = subprocess.run(
        ["xdotool", "search", *(["--onlyvisible"] if visible else []),
         "--name", "^" + re.escape(name) + "$"],
        env=env, capture_output=True, text=True, timeout=30)
    return found.stdout.split()


def find_demo_window(env):
    """The demo's visible window on the display env names, or None."""
    found = find_windows(env, CAPTION, visible=True)
    return found[0] if found else None


def window_pixels(env, window):
    """The pixels of a window ("root": the whole screen) on the display env names."""
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, "shot.png")
        subprocess.run(["import", "-window", window, png], env=env, check=True, timeout=30)
        return png_pixels(png)


def wait_until(condition, timeout=60):
    """Whether condition() came true within timeout seconds."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


class Demo:
    """A demo process with its window, on a given display."""

    def __init__(self, display, *flags, wrapper=(), extra_env=None, timeout=30, program=None):
        self.display = display
        self.env = demo_env(display, **(extra_env or {}))
        self.process = subprocess.Popen(
            [*wrapper, *demo_command(*flags, program=program)], env=self.env,
            preexec_fn=default_interrupt,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + timeout
        self.window = find_demo_window(self.env)
        while not self.window:
            if self.process.poll() is not None:
                raise AssertionError("demo ended before its window showed: "
                                     + self.process.stderr.read())
            if time.monotonic() > deadline:
                self.process.kill()
                raise AssertionError("no demo window within %d s" % timeout)
            time.sleep(0.05)
            self.window = find_demo_window(self.env)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=30)

    def key(self, name):
        """Presses and releases a key."""
        self.xdotool("key", "--window", self.window, name)

    def press_escape(self):
        """Presses Escape. The demo ends on the press and destroys its window, so the key
        is let go only once the run has finished (see finish)."""
        self.xdotool("keydown", "--window", self.window, "Escape")

    def close_window(self):
        subprocess.run([SEND_WM_DELETE, self.window], env=self.env, check=True, timeout=30)

    def running(self):
        return self.process.poll() is None

    def screenshot(self, window=None):
        """The pixels of the demo's window, or of another ("root": the whole screen)."""
        return window_pixels(self.env, window or self.window)

    def finish(self, timeout=30):
        """Waits for the end of the run and for its window to go; returns (status, stdout,
        stderr). The X server destroys the window a moment after the process has gone, and
        a demo started on the same display before that could be taken for the old window,
        whose number is soon nobody's."""
        out, err = self.process.communicate(timeout=timeout)
        # A key pressed to end the run is let go, wherever the focus is now: left down,
        # the server would repeat it into the next demo on this display.
        subprocess.run(["xdotool", "keyup", "Escape"], env=self.env, capture_output=True,
                       timeout=30)
        wait_until(lambda: find_demo_window(self.env) is None, timeout)
        return self.process.returncode, out, err

    def quit(self, timeout=30):
        self.press_escape()
        return self.finish(timeout)

    def kill(self):
        if self.running():
            self.process.kill()
            self.finish()


def png_pixels(png):
    """A PNG's pixels, from its file or its bytes, as bytes of red, green, blue, row by row."""
    data = png if isinstance(png, bytes) else None
    source = "png:-" if data is not None else png
    return subprocess.run(["convert", source, "-alpha", "off", "-depth", "8", "rgb:-"],
                          input=data, check=True, capture_output=True, timeout=30).stdout


def colours(shot):
    """The (red, green, blue) of each pixel of a shot."""
    return [tuple(shot[i:i + 3]) for i in range(0, len(shot), 3)]


def lit(colour):
    """Brighter than black and the darkest shadows: what the tunnel's wall shows."""
    return max(colour) > 24


def lit_share(pixels):
    """The share of the pixels that are lit."""
    return sum(lit(c) for c in pixels) / len(pixels)


def frames_of(test, stdout):
    """Checks stdout is exactly one statistics line; returns its frame count."""
    match = STATISTICS.match(stdout)
    test.assertIsNotNone(match, "not a statistics line: %r" % stdout)
    return int(match.group(2))
