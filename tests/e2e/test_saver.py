"""The xscreensaver hack, run as xscreensaver runs it: into a window it is handed."""

import os
import signal
import subprocess
import tempfile
import time
import unittest

from harness import (STATISTICS, colours, demo_env, lit, probe_vars, virtual_display,
                     wait_until, window_pixels)

HACK = os.environ.get("PLASMA_HACK", "build-test/src/saver/plasma-tunnel-saver")
HOST_WINDOW = os.environ.get("HOST_WINDOW", "build-test/tests/host-window")


def four_three(width, height):
    """The largest centred 4:3 rectangle of a window: (left, top, width, height)."""
    fitted_width, fitted_height = min(width, height * 4 // 3), min(height, width * 3 // 4)
    return (width - fitted_width) // 2, (height - fitted_height) // 2, fitted_width, fitted_height


def lit_box(shot, width, height):
    """The first and last lit column and row of a shot, (left, right, top, bottom); None
    while nothing is lit."""
    pixels = colours(shot)
    columns = [x for x in range(width) if any(lit(pixels[y * width + x]) for y in range(height))]
    rows = [y for y in range(height) if any(lit(pixels[y * width + x]) for x in range(width))]
    return (columns[0], columns[-1], rows[0], rows[-1]) if columns else None


class HostWindow:
    """A window for the hack to draw into, resized on request, destroyed at the end."""

    def __init__(self, env, width, height):
        self.env = env
        self.size = width, height
        self.process = subprocess.Popen([HOST_WINDOW, str(width), str(height)], env=env,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.id = self.process.stdout.readline().strip()

    def resize(self, width, height):
        self.size = width, height
        self.process.stdin.write("%d %d\n" % self.size)
        self.process.stdin.flush()

    def pixels(self):
        return window_pixels(self.env, self.id)

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=30)
        self.process.stdout.close()


class Hack(unittest.TestCase):
    def setUp(self):
        self.env = demo_env(self.enterContext(virtual_display()))

    def start(self, host, *flags, **variables):
        hack = subprocess.Popen([HACK, "-window-id", host.id, *flags],
                                env=dict(self.env, **variables),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: hack.poll() is None and hack.kill())
        return hack

    def host(self, width, height):
        host = HostWindow(self.env, width, height)
        self.addCleanup(host.close)
        return host

    def assert_ring_fills_four_three(self, host):
        # The clock held at 0: the ring seen face-on, a circle 0.8 of the picture's width
        # across, cut by its top and bottom edges. Stretched to the window or drawn in a
        # 640 x 480 corner, its box lands elsewhere.
        width, height = host.size
        left, top, fitted_width, fitted_height = four_three(width, height)
        expected = (left + fitted_width // 10, left + fitted_width * 9 // 10 - 1,
                    top, top + fitted_height - 1)

        def ring_in_place():
            self.last_box = lit_box(host.pixels(), width, height)
            return self.last_box is not None and all(
                abs(a - b) <= 2 for a, b in zip(self.last_box, expected))

        self.assertTrue(wait_until(ring_in_place, timeout=20),
                        "%dx%d: ring at %s, not %s" % (width, height, self.last_box, expected))

    def test_the_picture_fills_any_window_at_four_three_and_follows_its_size(self):
        record = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "probe.txt")
        host = self.host(800, 450)
        self.start(host, "-out-of-tunnel", "-no-moving-plasma", **probe_vars(record, ticks=[0]))
        for size in [(800, 450), (450, 600), (1000, 750)]:
            with self.subTest(size=size):
                host.resize(*size)
                self.assert_ring_fills_four_three(host)

    def test_terminate_ends_it_at_once_and_cleanly(self):
        for root in (False, True):
            with self.subTest(root=root):
                host = self.host(320, 240)
                hack = self.start(host, *(["-root"] if root else []))
                self.assertTrue(wait_until(lambda: any(map(lit, colours(host.pixels())))))
                hack.send_signal(signal.SIGTERM)
                ended = time.monotonic()
                out, err = hack.communicate(timeout=30)
                self.assertLess(time.monotonic() - ended, 1.0)
                self.assertEqual((hack.returncode, err), (0, ""))
                self.assertRegex(out, STATISTICS)

    def test_malformed_window_numbers_are_refused(self):
        for args, variables in [(["-window-id", "0x12zz"], {}), (["-window-id"], {}),
                                (["-root"], {"XSCREENSAVER_WINDOW": "window"}),
                                (["--window-id", "0x3fffffff"], {})]:
            with self.subTest(args=args, variables=variables):
                done = subprocess.run([HACK, *args], env=dict(self.env, **variables),
                                      capture_output=True, text=True, timeout=30)
                self.assertEqual((done.returncode, done.stdout), (1, ""))
                self.assertEqual(len(done.stderr.splitlines()), 1, done.stderr)


if __name__ == "__main__":
    unittest.main()
