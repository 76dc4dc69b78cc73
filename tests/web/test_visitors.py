"""The page for every visitor: a phone and a short window see the whole picture and can end
the run without a keyboard, the warning comes before the colours, a system that asks for
reduced motion gets still colours, and any address runs."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from browser import (EngineTest, browser, console_lines, only_in,  # noqa: E402
                     open_page, output, press_escape, statistics_line, tap)
from harness import wait_until  # noqa: E402

# Counts the texture uploads of every WebGL context the page makes: one a frame while the
# colours move, none while they stand still. Installed before the run starts.
COUNT_UPLOADS = """
window.uploads = 0;
var upload = WebGLRenderingContext.prototype.texSubImage2D;
WebGLRenderingContext.prototype.texSubImage2D = function () {
  window.uploads += 1;
  return upload.apply(this, arguments);
};
"""
LAYOUT = """
var box = canvas.getBoundingClientRect(), page = document.documentElement;
return {left: box.left, top: box.top, right: box.right, bottom: box.bottom,
        width: box.width, height: box.height, innerWidth: innerWidth, innerHeight: innerHeight,
        scrollWidth: page.scrollWidth, scrollHeight: page.scrollHeight,
        fontSize: parseFloat(getComputedStyle(document.querySelector('#bar p')).fontSize)};
"""


def started(driver):
    """True once the demo has started SDL."""
    return driver.execute_script("return SDL.startTime !== null")


class Layout(EngineTest):
    def check_whole_picture(self, driver):
        """The picture at 4:3, all of it in the window, nothing to scroll sideways."""
        layout = driver.execute_script(LAYOUT)
        self.assertAlmostEqual(layout["width"] * 3 / 4, layout["height"], delta=1)
        self.assertGreaterEqual(layout["left"], 0)
        self.assertGreaterEqual(layout["top"], 0)
        self.assertLessEqual(layout["right"], layout["innerWidth"])
        self.assertLessEqual(layout["bottom"], layout["innerHeight"])
        self.assertLessEqual(layout["scrollWidth"], layout["innerWidth"])
        return layout

    @only_in(["chromium"], "its phone emulation, with touch")
    def test_a_phone_sees_the_whole_picture_and_a_tap_ends_the_run(self):
        with browser(phone=(390, 844)) as driver:
            open_page(driver, start=None)
            tap(driver, driver.find_element("id", "start"))
            layout = self.check_whole_picture(driver)
            # Laid out at the phone's own width, not zoomed out from a desktop's, with text
            # of a readable size.
            self.assertEqual(layout["innerWidth"], 390)
            self.assertEqual(layout["width"], 390)
            self.assertGreaterEqual(layout["fontSize"], 14)
            time.sleep(1.0)
            self.assertTrue(started(driver))
            tap(driver, driver.find_element("id", "end"))
            line = statistics_line(driver)
            self.assertIsNotNone(line, output(driver))
            self.assertIn(line.group(0).strip(), console_lines(driver))

    def test_a_short_window_sees_the_whole_picture_without_scrolling(self):
        with browser(size=(900, 520)) as driver:
            open_page(driver)
            layout = self.check_whole_picture(driver)
            self.assertLessEqual(layout["scrollHeight"], layout["innerHeight"])
            # The picture has the focus, for the keys, and no ring round it.
            self.assertEqual(driver.execute_script(
                "return document.activeElement === canvas && "
                "getComputedStyle(canvas).outlineStyle"), "none")
            press_escape(driver)
            self.assertIsNotNone(statistics_line(driver))


class Warning(EngineTest):
    def uploads_after_start(self, driver, control):
        """Starts the run with a control of the notice; the uploads of the next second."""
        driver.execute_script(COUNT_UPLOADS)
        driver.find_element("id", control).click()
        time.sleep(1.0)
        self.assertTrue(started(driver))
        return driver.execute_script("return window.uploads")

    def test_the_warning_comes_before_the_colours(self):
        with browser() as driver:
            open_page(driver, start=None)
            notice = driver.find_element("id", "notice")
            self.assertIn("photosensitive epilepsy", notice.text)
            self.assertFalse(driver.find_element("id", "start-moving").is_displayed())
            time.sleep(1.0)
            self.assertFalse(started(driver))
            self.assertGreater(self.uploads_after_start(driver, "start"), 10)
            self.assertEqual(driver.find_elements("id", "notice"), [])
            driver.refresh()
            self.assertEqual(self.uploads_after_start(driver, "start-still"), 0)

    @only_in(["chromium", "firefox"], "a way to ask for the system's reduced-motion setting")
    def test_reduced_motion_starts_with_still_colours_unless_chosen(self):
        with browser(reduced_motion=True) as driver:
            open_page(driver, start=None)
            self.assertFalse(driver.find_element("id", "start-still").is_displayed())
            self.assertEqual(self.uploads_after_start(driver, "start"), 0)
            driver.refresh()
            self.assertGreater(self.uploads_after_start(driver, "start-moving"), 10)


# Takes away the browser's way of giving an element the screen, as Safari on an iPhone has
# none for a canvas.
WITHOUT_FULL_SCREEN = """
delete Element.prototype.requestFullscreen;
delete Element.prototype.webkitRequestFullscreen;
"""
FILLED_LAYOUT = """
var box = canvas.getBoundingClientRect(), bar = document.getElementById('bar');
return {left: box.left, top: box.top, width: box.width, height: box.height,
        innerWidth: innerWidth, innerHeight: innerHeight, bar: bar.innerText,
        barShown: bar.getClientRects().length > 0,
        barTop: bar.getBoundingClientRect().top};
"""


class FullScreen(EngineTest):
    def test_with_the_api_the_canvas_takes_the_screen_at_the_start(self):
        with browser() as driver:
            open_page(driver, "?-fullscreen&-out-of-tunnel")
            self.assertTrue(wait_until(lambda: self.shown_full_screen(driver), timeout=10))
            # Escape ends the run; Firefox and WebKit take the first press to leave full
            # screen, and the page sees only the second.
            press_escape(driver)
            if statistics_line(driver, timeout=2) is None:
                self.assertFalse(self.shown_full_screen(driver))
                press_escape(driver)
            self.assertIsNotNone(statistics_line(driver), output(driver))

    @staticmethod
    def shown_full_screen(driver):
        return driver.execute_script(
            "return (document.fullscreenElement || document.webkitFullscreenElement) === canvas")

    def assert_fills_the_window(self, layout):
        width = min(layout["innerWidth"], layout["innerHeight"] * 4 / 3)
        self.assertAlmostEqual(layout["width"], width, delta=1)
        self.assertAlmostEqual(layout["height"], width * 3 / 4, delta=1)
        self.assertAlmostEqual(layout["left"], (layout["innerWidth"] - width) / 2, delta=1)
        self.assertAlmostEqual(layout["top"], (layout["innerHeight"] - width * 3 / 4) / 2,
                               delta=1)
        self.assertFalse(layout["barShown"])

    def assert_bar_back(self, layout):
        self.assertTrue(layout["barShown"])
        self.assertLessEqual(layout["top"] + layout["height"], layout["barTop"] + 1)
        # It promises only what this browser does.
        self.assertIn("the picture fills the window", layout["bar"])
        self.assertNotIn("taken at the start", layout["bar"])

    def test_the_picture_fills_the_window_and_a_tap_brings_the_bar_back(self):
        with browser() as driver:
            open_page(driver, "?-fullscreen&-out-of-tunnel", start=None)
            driver.execute_script(WITHOUT_FULL_SCREEN)
            driver.find_element("id", "start").click()
            canvas = driver.find_element("id", "canvas")
            self.assert_fills_the_window(driver.execute_script(FILLED_LAYOUT))
            canvas.click()
            self.assert_bar_back(driver.execute_script(FILLED_LAYOUT))
            canvas.click()
            self.assert_fills_the_window(driver.execute_script(FILLED_LAYOUT))
            press_escape(driver)
            self.assertIsNotNone(statistics_line(driver), output(driver))
            self.assert_bar_back(driver.execute_script(FILLED_LAYOUT))


class Addresses(EngineTest):
    def test_any_address_runs_with_each_part_one_argument(self):
        many = ["-x%d" % n for n in range(20000)]
        cases = [
            ("?-out-of-tunnel&%E0%A4%A", ["-out-of-tunnel", "%E0%A4%A"]),
            ("?%", ["%"]),
            ("?%zz&-no-moving-plasma&%", ["%zz", "-no-moving-plasma", "%"]),
            ("?&&-out-of-tunnel&", ["", "", "-out-of-tunnel", ""]),
            ("?%2Dout-of-tunnel&a%26b", ["-out-of-tunnel", "a&b"]),
            ("?" + "&".join(many + ["-out-of-tunnel"]), many + ["-out-of-tunnel"]),
        ]
        with browser() as driver:
            for query, arguments in cases:
                with self.subTest(query=query[:40]):
                    open_page(driver, query)
                    time.sleep(0.5)
                    self.assertEqual(driver.execute_script("return demoArguments"), arguments)
                    self.assertTrue(started(driver))
                    press_escape(driver)
                    self.assertIsNotNone(statistics_line(driver), output(driver))


if __name__ == "__main__":
    unittest.main()
