"""Opens the demo's page in headless Chromium, with WebGL drawn in software (SwiftShader),
through Selenium; the page's canvas is read back as pixels."""

import base64
import contextlib
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import STATISTICS  # noqa: E402

PAGE = os.path.abspath(os.environ.get("PLASMA_PAGE", "build-web/plasma-tunnel.html"))
FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--use-gl=angle", "--window-size=900,700", "--no-first-run", "--disable-sync",
    # This machine reaches no network: no background requests to be refused.
    "--disable-background-networking", "--disable-component-update",
]


@contextlib.contextmanager
def browser(*extra_flags, phone=None):
    """Chromium with the given extra flags; phone=(width, height) emulates a phone of that
    size in CSS pixels, with touch and a phone's browser's user agent."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in FLAGS + list(extra_flags):
        options.add_argument(flag)
    if phone:
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": phone[0], "height": phone[1], "pixelRatio": 3.0,
                              "touch": True},
            "userAgent": "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 "
                         "(KHTML, like Gecko) Chrome/156.0 Mobile Safari/537.36"})
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        yield driver
    finally:
        driver.quit()


def open_page(driver, query="", url=None, start="start"):
    """Opens the page and, unless start is None, starts the run with that control of the
    warning notice: "start", "start-still" or "start-moving"."""
    driver.get((url or "file://" + PAGE) + query)
    if start:
        driver.find_element("id", start).click()


def tap(driver, element):
    """A finger's tap at the middle of an element, as a touch screen gives it."""
    box = driver.execute_script("return arguments[0].getBoundingClientRect().toJSON()", element)
    point = {"x": box["x"] + box["width"] / 2, "y": box["y"] + box["height"] / 2}
    for kind, points in (("touchStart", [point]), ("touchEnd", [])):
        driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})


def press_escape(driver):
    ActionChains(driver).send_keys(Keys.ESCAPE).perform()


def output(driver):
    return driver.find_element("id", "output").text


def statistics_line(driver, timeout=10):
    """Waits for the run's statistics line under the canvas; returns its match, or None."""
    deadline = time.monotonic() + timeout
    while True:
        match = STATISTICS.match(output(driver) + "\n")
        if match or time.monotonic() > deadline:
            return match
        time.sleep(0.1)


# The drawing buffer's 640 x 480 pixels, RGBA from the bottom row up, in base64.
READ_DRAWING_BUFFER = """
function readDrawingBuffer() {
  var pixels = new Uint8Array(640 * 480 * 4), text = "";
  GLctx.readPixels(0, 0, 640, 480, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixels);
  for (var i = 0; i < pixels.length; i += 8192) {
    text += String.fromCharCode.apply(null, pixels.subarray(i, i + 8192));
  }
  return btoa(text);
}
"""
# Reads the next frame the demo draws: the demo asks for an animation frame right after
# drawing it, and until the browser shows it the drawing buffer still holds it.
READ_NEXT_FRAME = READ_DRAWING_BUFFER + """
var done = arguments[arguments.length - 1];
var next = window.requestAnimationFrame;
window.requestAnimationFrame = function (callback) {
  window.requestAnimationFrame = next;
  done(readDrawingBuffer());
  return next(callback);
};
"""


def drawing_buffer_colours(read):
    """What readDrawingBuffer() gave, as a list of (red, green, blue), top row first."""
    rgba = base64.b64decode(read)
    rows = [rgba[4 * 640 * y:4 * 640 * (y + 1)] for y in reversed(range(480))]
    return [tuple(row[x:x + 3]) for row in rows for x in range(0, len(row), 4)]


def canvas_pixels(driver):
    """The next frame the demo draws, 640 x 480 whatever size the page shows it at, as a
    list of (red, green, blue), top row first."""
    driver.set_script_timeout(30)
    return drawing_buffer_colours(driver.execute_async_script(READ_NEXT_FRAME))
