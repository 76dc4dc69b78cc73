"""The real demo, end to end: the window it asks for, how a run ends, and how it fails to
start."""

import os
import re
import subprocess
import tempfile
import time
import unittest

import motion_oracle
from harness import (DEMO, ESCAPE, FAIL_ALLOC, CAPTION, KEYDOWN, KEYUP, SPACE, Demo, ProbeRecord, check_statistics, demo_env, frames_of, probe_vars,
                     run_to_end, scripted_env, virtual_display)

WINDOWED = 0x7            # hardware surface, asynchronous blits, OpenGL
FULL_SCREEN = 0x80000007  # and full screen


class Ending(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())
        self.record = os.path.join(self.enterContext(tempfile.TemporaryDirectory()), "probe.txt")

    def run_and_end(self, flags, end):
        """A run on the real clock, ended by end(demo); its statistics line must tell the
        frames it presented and the time between its first and last clock reads."""
        demo = Demo(self.display, *flags, extra_env=probe_vars(self.record))
        self.addCleanup(demo.kill)
        time.sleep(0.5)
        end(demo)
        status, out, err = demo.finish()
        self.assertEqual((status, err), (0, ""))
        check_statistics(self, out, self.record)

    def test_escape_ends_the_run_with_statistics(self):
        self.run_and_end([], Demo.press_escape)

    def test_closing_the_window_ends_the_run_with_statistics(self):
        self.run_and_end(["-out-of-tunnel"], lambda demo: demo.close_window())

    def test_other_keys_and_releasing_escape_do_not_end_it(self):
        demo = Demo(self.display)
        self.addCleanup(demo.kill)
        for key in ["space", "Return", "q", "F1", "Left", "ctrl+c", "alt+F4"]:
            demo.key(key)
        # Escape goes down while the root window has the focus (and the pointer is off the
        # demo's window), and up once the demo has it: X gives the release to the demo's
        # window. (Whether SDL passes on a release whose press it never saw depends on the
        # implementation: the compatibility layer drops it, so the scripted test below pins
        # the demo's own part.)
        root = re.search(r"Window id: (\S+)", subprocess.run(
            ["xwininfo", "-root"], env=demo.env, capture_output=True, text=True,
            check=True).stdout).group(1)
        corner = subprocess.run(["xdotool", "getdisplaygeometry"], env=demo.env,
                                capture_output=True, text=True, check=True).stdout.split()
        demo.xdotool("mousemove", *(str(int(size) - 1) for size in corner))
        demo.xdotool("windowfocus", root)
        demo.xdotool("keydown", "Escape")
        demo.xdotool("windowfocus", demo.window)
        demo.xdotool("keyup", "Escape")
        demo.xdotool("mousemove", "--window", demo.window, "100", "100", "click", "1")
        time.sleep(1.0)
        self.assertTrue(demo.running())
        status, out, _ = demo.quit()
        self.assertEqual(status, 0)
        frames_of(self, out)

    def test_escape_let_go_and_other_keys_leave_the_run_going(self):
        """Events handed straight to the demo: none of these ends the run before the quit
        that comes with the sixth frame's events."""
        events = [(1, KEYUP, ESCAPE), (2, KEYDOWN, SPACE), (2, KEYUP, SPACE), (3, KEYUP, ESCAPE)]
        env = scripted_env(self.display, self.record, ticks=[0, 16], quit_after=5, events=events)
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual((status, err), (0, ""))
        probe = ProbeRecord(self.record)
        self.assertEqual(len(probe.frames), 6)
        self.assertIn((KEYUP, ESCAPE), probe.polls[1])
        self.assertIn((KEYUP, ESCAPE), probe.polls[3])

    def test_each_frame_first_takes_every_waiting_event(self):
        """The queue is emptied before each frame, behind Escape too; the frame whose events
        held Escape is still drawn, and it is the last."""
        waiting = [(KEYDOWN, SPACE), (KEYDOWN, ESCAPE), (KEYUP, ESCAPE), (KEYUP, SPACE)]
        env = scripted_env(self.display, self.record, ticks=[0, 16],
                           events=[(2, *event) for event in waiting])
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual((status, err), (0, ""))
        probe = ProbeRecord(self.record)
        self.assertEqual(len(probe.frames), 3)
        check_statistics(self, out, self.record)
        self.assertEqual(probe.polls[2][:len(waiting)], waiting)
        for polls in probe.polls:
            self.assertEqual(polls[-1], (), "a frame began before the queue was empty")

    def test_every_flag_combination_asks_for_its_window_and_draws_its_mode(self):
        """The video mode, caption and camera of each command line, on a scripted clock."""
        cases = [
            ([], WINDOWED, True, True),
            (["-no-moving-plasma", "-stupid-plasma-on", "-out-of-tunnel"], WINDOWED, False, False),
            (["-fullscreen"], FULL_SCREEN, True, True),
            (["-fullscreen", "-fullscreen", "-out-of-tunnel"], FULL_SCREEN, False, True),
            (["-out-of-tunnel", "-x", "-fullscreen", "-no-moving-plasma"], FULL_SCREEN, False, False),
            (["-FULLSCREEN", "-fullscreen=1", "fullscreen", "-fullscreen ", "", "--help", "\u00e9"],
             WINDOWED, True, True),
        ]
        for flags, video_flags, inside, moving in cases:
            with self.subTest(flags=flags):
                env = scripted_env(self.display, self.record, ticks=[5000, 5016], quit_after=2)
                status, out, err = run_to_end([DEMO, *flags], env)
                self.assertEqual((status, err), (0, ""))
                probe = ProbeRecord(self.record)
                self.assertEqual(probe.startup[:2], [
                    ("SDL_SetVideoMode", [640, 480, 32, video_flags]),
                    ("SDL_WM_SetCaption", [CAPTION, "null"])])
                reads = 2 if moving else 1
                self.assertEqual(len(probe.frames), 3)
                ticks = probe.ticks()
                self.assertEqual(ticks, [5000 + 16 * n for n in range(3 * reads + 2)])
                self.assertEqual(out, motion_oracle.statistics(ticks[0], ticks[-1], 3))
                travel = 0
                for frame in probe.frames:
                    camera_ticks = frame[reads - 1][1][0]
                    if inside:
                        camera, travel = motion_oracle.inside_camera(camera_ticks, travel)
                    else:
                        camera = motion_oracle.outside_camera(camera_ticks)
                    self.assertEqual(frame[reads:-1], camera)

    def test_a_close_waiting_before_the_first_frame_still_draws_one(self):
        env = scripted_env(self.display, self.record, ticks=[1000, 1250], quit_after=0)
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual(status, 0, err)
        # Start at 1000, one frame reading 1250 and 1500, the end at 1750.
        self.assertEqual(out, "Aika: 0.750 sek, frm: 1 kpl, fps: 1.333\n")

    def test_frames_are_counted_until_the_end(self):
        env = scripted_env(self.display, self.record, ticks=[0, 0], quit_after=39)
        status, out, err = run_to_end([DEMO, "-out-of-tunnel", "-no-moving-plasma"], env)
        self.assertEqual(status, 0, err)
        self.assertEqual(len(ProbeRecord(self.record).frames), 40)
        # A clock that stands still: no time passes, the rate is infinite.
        self.assertEqual(out, "Aika: 0.000 sek, frm: 40 kpl, fps: inf\n")


class FailingToStart(unittest.TestCase):
    def expect_failure(self, env, message_start):
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual(status, 1)
        self.assertEqual(out, "")
        self.assertTrue(err.startswith(message_start), err)
        self.assertTrue(err.endswith("\n"))
        self.assertEqual(err.count("\n"), 1, err)

    def test_no_video_driver(self):
        self.expect_failure(demo_env(None, SDL_VIDEODRIVER="nosuchdriver"), "SDL_Init(): ")

    def test_no_opengl_video_mode(self):
        self.expect_failure(demo_env(None, SDL_VIDEODRIVER="dummy"), "SDL_SetVideoMode(): ")

    @unittest.skipIf(os.environ.get("PLASMA_SANITIZED") == "1",
                     "the sanitizers own malloc; a preloaded one cannot stand in for it")
    def test_every_start_up_allocation_that_fails_ends_the_run_cleanly(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        count_file = os.path.join(folder, "count")
        record = os.path.join(folder, "probe.txt")
        with virtual_display() as display:
            def run(**failing):
                env = scripted_env(display, record, quit_after=0, preload=[FAIL_ALLOC], **failing)
                return run_to_end([DEMO], env)

            status, out, err = run(FAIL_ALLOC_COUNT_OUT=count_file)
            self.assertEqual((status, err), (0, ""))
            with open(count_file) as count:
                requests = int(count.read())
            # The two image buffers, five plasma tables, then the tunnel's vertex stream.
            self.assertGreater(requests, 8)
            for nth in [1, 2, 3, 4, 5, 6, 7, 8, requests // 2, requests]:
                with self.subTest(nth=nth):
                    status, out, err = run(FAIL_ALLOC_NTH=str(nth))
                    self.assertEqual((status, out), (1, ""))
                    self.assertEqual(err, "malloc(): Cannot allocate memory\n" if nth <= 2
                                     else "operator new(): std::bad_alloc\n")
            status, out, err = run(FAIL_ALLOC_NTH=str(requests + 1))
            self.assertEqual((status, err), (0, ""))
            self.assertRegex(out, "frm: 1 kpl")


if __name__ == "__main__":
    unittest.main()
