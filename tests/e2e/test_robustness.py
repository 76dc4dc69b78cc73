"""The real demo under rough treatment: signals, a clock about to wrap, event storms,
odd command lines, and an X server that goes away."""

import os
import signal
import tempfile
import time
import unittest

import motion_oracle
from harness import (Demo, ProbeRecord, check_statistics, demo_env, frames_of, probe_vars,
                     run_to_end, scripted_env, start_x_server, virtual_display, DEMO)


class Robustness(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())

    def start(self, *flags, **options):
        demo = Demo(self.display, *flags, **options)
        self.addCleanup(demo.kill)
        return demo

    def test_interrupt_and_terminate_end_the_run_like_a_window_close(self):
        record = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "probe.txt")
        for signal_number in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=signal_number):
                demo = self.start(extra_env=probe_vars(record))
                time.sleep(0.5)
                demo.process.send_signal(signal_number)
                status, out, err = demo.finish(timeout=30)
                self.assertEqual((status, err), (0, ""))
                check_statistics(self, out, record)

    def test_clock_wrapping_past_two_to_the_32_mid_run(self):
        # The clock starts 700 ms short of the wrap and crosses it 10 ms a read: two reads
        # a frame, 100 frames, and the end read 2,010 ms after the start.
        record = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "probe.txt")
        env = scripted_env(self.display, record, ticks=[2**32 - 700, 2**32 - 690], quit_after=99)
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual((status, err), (0, ""))
        ticks = ProbeRecord(record).ticks()
        self.assertEqual((ticks[0], ticks[-1]), (2**32 - 700, 1310))
        self.assertEqual(out, motion_oracle.statistics(ticks[0], ticks[-1], 100))
        self.assertEqual(out, "Aika: 2.010 sek, frm: 100 kpl, fps: 49.751\n")

    def test_event_storm_keeps_drawing_and_escape_still_ends_it(self):
        demo = self.start()
        keys = ["a", "space", "Left", "shift+x", "F5", "Return"] * 400
        demo.xdotool("key", "--window", demo.window, "--delay", "0", *keys)
        moves = []
        for i in range(1500):
            moves += ["mousemove", "--window", demo.window, str(i % 640), str(i % 480)]
        demo.xdotool(*moves)
        resizes = []
        for i in range(200):
            resizes += ["windowmove", demo.window, str(i), str(i),
                        "windowsize", demo.window, str(600 + i % 50), str(440 + i % 40)]
        demo.xdotool(*resizes)
        self.assertTrue(demo.running())
        before = demo.screenshot()
        time.sleep(0.3)
        self.assertNotEqual(before, demo.screenshot(), "the demo stopped drawing")
        # Escape still ends the run, behind whatever the storm left queued.
        status, out, _ = demo.quit(timeout=60)
        self.assertEqual(status, 0)
        frames_of(self, out)

    def test_odd_command_lines_only_take_exact_flags(self):
        junk = ["", "-", "--", "\udcff\udcfe", "-out-of-tunnel\udcff",
                "-FULLSCREEN", "-fullscreen=yes", "-no-moving-plasma "]
        args = ["x" * 100_000] + (junk * 1250)[:10_000] + ["-out-of-tunnel"]
        demo = self.start(*args)
        time.sleep(0.5)
        status, out, err = demo.quit()
        self.assertEqual(status, 0, err)
        frames_of(self, out)

    def test_losing_the_x_server_ends_the_run_at_once(self):
        # Xlib ends the process when its connection breaks: status 1, no statistics.
        server, display = start_x_server()
        demo = Demo(display)
        self.addCleanup(demo.kill)
        time.sleep(0.5)
        server.kill()
        server.wait()
        status, out, err = demo.finish(timeout=10)
        self.assertEqual(status, 1)
        self.assertEqual(out, "")
        # Xlib's words depend on how the connection's end is seen: reset, or unreadable.
        self.assertRegex(err, r'X connection to %s broken|XIO:  fatal IO error \d+ \(.*\) on '
                              r'X server "%s"' % (display, display))


class FailurePathsPrintNothing(unittest.TestCase):
    def test_sdl_failures_with_flags_leave_stdout_empty(self):
        for driver in ("nosuchdriver", "dummy"):
            with self.subTest(driver=driver):
                status, out, _ = run_to_end(
                    [DEMO, "-fullscreen", "-stupid-plasma-on"],
                    demo_env(None, SDL_VIDEODRIVER=driver))
                self.assertEqual((status, out), (1, ""))


if __name__ == "__main__":
    unittest.main()
