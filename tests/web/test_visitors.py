"""The page for every visitor: a phone and a short window see the whole picture and can end
the run without a keyboard, the warning comes before the colours, a system that asks for
reduced motion gets still colours, and any address runs."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from browser import (browser, open_page, output, press_escape, statistics_line,  # noqa: E402
                     tap)

# Counts the texture uploads of every WebGL context the page makes: one a frame while the
# colours move, none while they stand still.
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


class Layout(unittest.TestCase):
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
            console = [entry["message"] for entry in driver.get_log("browser")]
            self.assertTrue(any(line.group(0).strip() in message for message in console))

    def test_a_short_window_sees_the_whole_picture_without_scrolling(self):
        with browser("--window-size=900,520") as driver:
            open_page(driver)
            layout = self.check_whole_picture(driver)
            self.assertLessEqual(layout["scrollHeight"], layout["innerHeight"])
            # The picture has the focus, for the keys, and no ring round it.
            self.assertEqual(driver.execute_script(
                "return document.activeElement === canvas && "
                "getComputedStyle(canvas).outlineStyle"), "none")
            press_escape(driver)
            self.assertIsNotNone(statistics_line(driver))


class Warning(unittest.TestCase):
    def uploads_after_start(self, driver, control):
        """Starts the run with a control of the notice; the uploads of the next second."""
        driver.find_element("id", control).click()
        time.sleep(1.0)
        self.assertTrue(started(driver))
        return driver.execute_script("return window.uploads")

    def open(self, driver):
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": COUNT_UPLOADS})
        open_page(driver, start=None)

    def test_the_warning_comes_before_the_colours(self):
        with browser() as driver:
            self.open(driver)
            notice = driver.find_element("id", "notice")
            self.assertIn("photosensitive epilepsy", notice.text)
            self.assertFalse(driver.find_element("id", "start-moving").is_displayed())
            time.sleep(1.0)
            self.assertFalse(started(driver))
            self.assertGreater(self.uploads_after_start(driver, "start"), 10)
            self.assertEqual(driver.find_elements("id", "notice"), [])
            driver.refresh()
            self.assertEqual(self.uploads_after_start(driver, "start-still"), 0)

    def test_reduced_motion_starts_with_still_colours_unless_chosen(self):
        with browser() as driver:
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
            self.open(driver)
            self.assertFalse(driver.find_element("id", "start-still").is_displayed())
            self.assertEqual(self.uploads_after_start(driver, "start"), 0)
            driver.refresh()
            self.assertGreater(self.uploads_after_start(driver, "start-moving"), 10)


class Addresses(unittest.TestCase):
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
