"""The real demo, end to end: how a run ends, and how it fails to start."""

import os
import time
import unittest

from harness import (Demo, FAIL_MALLOC, QUIT_AT_ONCE, demo_env, frames_of, run_to_end,
                     virtual_display, DEMO)


class Ending(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())

    def run_and_end(self, flags, end):
        demo = Demo(self.display, *flags)
        self.addCleanup(demo.kill)
        time.sleep(0.5)
        end(demo)
        status, out, err = demo.finish()
        self.assertEqual(status, 0, err)
        self.assertGreaterEqual(frames_of(self, out), 1)
        self.assertEqual(err, "")

    def test_escape_ends_the_run_with_statistics(self):
        self.run_and_end([], lambda demo: demo.key("Escape"))

    def test_closing_the_window_ends_the_run_with_statistics(self):
        self.run_and_end(["-out-of-tunnel"], lambda demo: demo.close_window())

    def test_other_keys_and_releasing_escape_do_not_end_it(self):
        demo = Demo(self.display)
        self.addCleanup(demo.kill)
        for key in ["space", "Return", "q", "F1", "Left", "ctrl+c", "alt+F4"]:
            demo.key(key)
        demo.xdotool("keyup", "--window", demo.window, "Escape")
        demo.xdotool("mousemove", "--window", demo.window, "100", "100", "click", "1")
        time.sleep(1.0)
        self.assertTrue(demo.running())
        status, out, _ = demo.quit()
        self.assertEqual(status, 0)
        frames_of(self, out)

    def test_every_flag_combination_runs_and_odd_arguments_are_ignored(self):
        for flags in (["-no-moving-plasma", "-stupid-plasma-on", "-out-of-tunnel"],
                      ["-fullscreen", "-fullscreen", "-out-of-tunnel"],
                      ["-FULLSCREEN", "-fullscreen=1", "fullscreen", "", "--help", "\u00e9"]):
            with self.subTest(flags=flags):
                self.run_and_end(flags, lambda demo: demo.key("Escape"))

    def test_a_close_waiting_before_the_first_frame_still_draws_one(self):
        env = demo_env(self.display, LD_PRELOAD=os.path.abspath(QUIT_AT_ONCE))
        status, out, err = run_to_end([DEMO, "-out-of-tunnel"], env)
        self.assertEqual(status, 0, err)
        self.assertEqual(frames_of(self, out), 1)

    def test_frames_are_counted_until_the_end(self):
        demo = Demo(self.display, "-out-of-tunnel")
        self.addCleanup(demo.kill)
        time.sleep(2.0)
        status, out, _ = demo.quit()
        self.assertEqual(status, 0)
        # The clock starts after the plasma is built, a little after the window shows.
        seconds = float(out.split()[1])
        self.assertGreater(seconds, 1.5)
        self.assertLess(seconds, 30.0)
        self.assertGreater(frames_of(self, out), 10)


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
    def test_image_buffers_that_cannot_be_allocated(self):
        with virtual_display() as display:
            for size in ("786432", "262144"):
                with self.subTest(size=size):
                    env = demo_env(display, LD_PRELOAD=os.path.abspath(FAIL_MALLOC),
                                   FAIL_MALLOC_SIZE=size)
                    status, out, err = run_to_end([DEMO], env)
                    self.assertEqual(status, 1, err)
                    self.assertEqual(out, "")
                    self.assertEqual(err, "malloc(): Cannot allocate memory\n")


if __name__ == "__main__":
    unittest.main()
