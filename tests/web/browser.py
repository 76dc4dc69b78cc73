"""Opens the demo's page in a real browser engine, the one $PLASMA_BROWSER names: Chromium
headless with WebGL drawn in software (SwiftShader), through Selenium and chromedriver;
Firefox through Marionette, its own protocol; WebKitGTK's MiniBrowser through Selenium and
WebKitWebDriver. Firefox and WebKit draw WebGL with Mesa's software rasteriser on the
virtual X server in $DISPLAY. The page's canvas is read back as pixels."""

import base64
import contextlib
import os
import sys
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import STATISTICS  # noqa: E402
import marionette  # noqa: E402

ENGINES = ("chromium", "firefox", "webkit")
ENGINE = os.environ.get("PLASMA_BROWSER", "chromium")
if ENGINE not in ENGINES:
    raise SystemExit("PLASMA_BROWSER must be one of %s, not %r" % (", ".join(ENGINES), ENGINE))
PAGE = os.path.abspath(os.environ.get("PLASMA_PAGE", "build-web/plasma-tunnel.html"))
WINDOW = (900, 700)
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--use-gl=angle", "--no-first-run", "--disable-sync",
    # This machine reaches no network: no background requests to be refused.
    "--disable-background-networking", "--disable-component-update",
]
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"


class EngineTest(unittest.TestCase):
    """A test of the page that names the engine it ran in, in its report and its failure."""

    def __str__(self):
        return "%s [%s]" % (super().__str__(), ENGINE)


def only_in(engines, reason):
    """Skips a test in the engines that cannot do what it needs, saying which it needs."""
    return unittest.skipUnless(ENGINE in engines, "needs %s: %s" % (" or ".join(engines), reason))


@contextlib.contextmanager
def browser(webgl=True, size=WINDOW, phone=None, uncapped=False, reduced_motion=False,
            engine=ENGINE):
    """A browser of the engine under test (or another), with a window of size CSS pixels.
    Chromium and Firefox can tell the page that the system asks for reduced motion. Chromium
    alone can also emulate a phone, phone=(width, height) in CSS pixels, with touch and a
    phone's user agent, and draw without its frame-rate limit (uncapped)."""
    if engine == "firefox":
        preferences = {} if webgl else {"webgl.disabled": True}
        if reduced_motion:
            preferences["ui.prefersReducedMotion"] = 1
        driver = marionette.Firefox(preferences, size)
    elif engine == "webkit":
        options = webdriver.WebKitGTKOptions()
        options.binary_location = MINIBROWSER
        options.add_argument("--automation")
        if not webgl:
            options.add_argument("--enable-webgl=false")
        driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options,
                                     service_log_path=os.devnull)
        driver.set_window_rect(width=size[0], height=size[1])
    else:
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        extra = ["--window-size=%d,%d" % size] + ([] if webgl else ["--disable-3d-apis"])
        extra += ["--disable-frame-rate-limit", "--disable-gpu-vsync"] if uncapped else []
        for flag in CHROMIUM_FLAGS + extra:
            options.add_argument(flag)
        if phone:
            options.add_experimental_option("mobileEmulation", {
                "deviceMetrics": {"width": phone[0], "height": phone[1], "pixelRatio": 3.0,
                                  "touch": True},
                "userAgent": "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 "
                             "(KHTML, like Gecko) Chrome/156.0 Mobile Safari/537.36"})
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        if reduced_motion:
            driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
    try:
        yield driver
    finally:
        driver.quit()


# Keeps what the page writes to the console, in the page, as every engine lets a test read
# it back: installed before the run starts. The page's globals are named through window:
# Firefox runs a test's scripts in a scope of their own in front of the page's.
KEEP_CONSOLE = """
if (!window.consoleLines) {
  window.consoleLines = [];
  var log = window.console.log;
  window.console.log = function () {
    window.consoleLines.push([].join.call(arguments, " "));
    return log.apply(window.console, arguments);
  };
}
"""


def open_page(driver, query="", url=None, start="start"):
    """Opens the page, keeps its console and, unless start is None, starts the run with
    that control of the warning notice: "start", "start-still" or "start-moving"."""
    driver.get((url or "file://" + PAGE) + query)
    driver.execute_script(KEEP_CONSOLE)
    if start:
        driver.find_element("id", start).click()


def console_lines(driver):
    return driver.execute_script("return window.consoleLines || []")


def tap(driver, element):
    """A finger's tap at the middle of an element, as a touch screen gives it (Chromium)."""
    box = driver.execute_script("return arguments[0].getBoundingClientRect().toJSON()", element)
    point = {"x": box["x"] + box["width"] / 2, "y": box["y"] + box["height"] / 2}
    for kind, points in (("touchStart", [point]), ("touchEnd", [])):
        driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points})


def press_escape(driver):
    if isinstance(driver, marionette.Firefox):
        driver.press_key(Keys.ESCAPE)
    else:
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
