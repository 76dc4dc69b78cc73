"""The demo's web page in a real browser: the same program, its pictures, its flags and
its statistics line, opened from the disk and from a web server."""

import functools
import http.server
import os
import re
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

import plasma_oracle  # noqa: E402
from browser import (PAGE, EngineTest, browser, canvas_pixels, console_lines,  # noqa: E402
                     open_page, output, press_escape, statistics_line)
from harness import CAPTION, lit, lit_share  # noqa: E402

WIDTH, HEIGHT = 640, 480

class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Page(EngineTest):
    @classmethod
    def setUpClass(cls):
        cls.driver = cls.enterClassContext(browser())

    def start(self, query="", url=None):
        open_page(self.driver, query, url)
        time.sleep(1.5)

    def end(self):
        """Escape, then the statistics line on the page and in the console."""
        press_escape(self.driver)
        match = statistics_line(self.driver)
        line = output(self.driver) + "\n"
        self.assertIsNotNone(match, line)
        console = console_lines(self.driver)
        self.assertIn(line.strip(), console)
        return float(match.group(1)), int(match.group(2)), float(match.group(3))

    def test_title_canvas_palette_colours_and_statistics(self):
        started = time.monotonic()
        self.start()
        self.assertEqual(self.driver.title, CAPTION)
        # One canvas, drawn at 640 x 480 whatever size the page shows it at.
        self.assertEqual(self.driver.execute_script(
            "return [...document.querySelectorAll('canvas')].map(c => [c.width, c.height])"),
            [[WIDTH, HEIGHT]])
        pixels = canvas_pixels(self.driver)
        self.assertGreater(lit_share(pixels), 0.95)  # inside, the wall covers the picture
        self.assertGreater(plasma_oracle.share_near_palette([c for c in pixels if lit(c)]), 0.8)
        seconds, frames, rate = self.end()
        self.assertLess(seconds, time.monotonic() - started)
        self.assertGreater(seconds, 1.0)
        self.assertGreater(frames, 10)
        self.assertAlmostEqual(rate, frames / seconds, delta=0.01 * rate)

    def test_colours_move(self):
        self.start()
        first = canvas_pixels(self.driver)
        time.sleep(0.2)
        second = canvas_pixels(self.driver)
        changed = sum(a != b for a, b in zip(first, second))
        self.assertGreater(changed / len(first), 0.5)
        self.end()

    def test_flags_come_from_the_query_string(self):
        # Outside: a lit ring round a black centre, black corners. The ring tumbles, and is
        # edge-on across the centre for a moment every half turn: look until it is not.
        self.start("?-out-of-tunnel&-no-moving-plasma")
        self.assertEqual(self.driver.execute_script("return demoArguments"),
                         ["-out-of-tunnel", "-no-moving-plasma"])
        for _ in range(12):
            pixels = canvas_pixels(self.driver)
            centre = [pixels[WIDTH * y + x] for y in range(220, 260) for x in range(300, 340)]
            if not any(lit(c) for c in centre):
                break
            time.sleep(0.13)
        else:
            self.fail("the centre of the ring never showed black")
        self.assertTrue(0.02 < lit_share(pixels) < 0.5)
        self.assertFalse(any(lit(pixels[WIDTH * y + x]) for y in (0, HEIGHT - 1) for x in range(20)))
        self.end()
        # Matched exactly, as on the command line: a near miss is ignored.
        self.start("?-out-of-tunnelx&-Out-of-tunnel")
        self.assertGreater(lit_share(canvas_pixels(self.driver)), 0.95)
        self.end()

    def test_served_over_http_as_well(self):
        folder, name = os.path.split(PAGE)
        handler = functools.partial(QuietHandler, directory=folder)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        self.start(url="http://127.0.0.1:%d/%s" % (server.server_port, name))
        self.assertEqual(self.driver.title, CAPTION)
        self.assertGreater(lit_share(canvas_pixels(self.driver)), 0.95)
        self.end()


class WithoutWebGl(EngineTest):
    def test_failure_shows_its_one_line_message(self):
        with browser(webgl=False) as driver:
            open_page(driver)
            time.sleep(1.0)
            self.assertEqual(output(driver), "SDL_SetVideoMode(): this browser gives the page no WebGL")


class OnePage(EngineTest):
    def test_page_is_self_contained_and_small(self):
        with open(PAGE) as page:
            text = page.read()
        self.assertLessEqual(len(text.encode()), 1 << 20)
        # Nothing is fetched: no script, style or image comes from elsewhere; the icon is
        # inline, and a link to the page is previewed with a line of its own.
        self.assertIsNone(re.search(r'<script[^>]+src=|<link[^>]+href="(?!data:)|<img', text))
        self.assertRegex(text, r'<link rel="icon" type="image/svg\+xml" href="data:image/svg\+xml,')
        self.assertRegex(text, r'<meta name="description" content="[^"]{20,}">')
        self.assertIn("data:application/octet-stream;base64,", text)


if __name__ == "__main__":
    unittest.main()
