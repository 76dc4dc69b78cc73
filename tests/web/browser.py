"""Opens the demo's page in headless Chromium, with WebGL drawn in software (SwiftShader),
through Selenium; the page's canvas is read back as pixels."""

import contextlib
import os
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import STATISTICS, colours, png_pixels  # noqa: E402

PAGE = os.path.abspath(os.environ.get("PLASMA_PAGE", "build-web/plasma-tunnel.html"))
FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--use-gl=angle", "--window-size=900,700", "--no-first-run", "--disable-sync",
    # This machine reaches no network: no background requests to be refused.
    "--disable-background-networking", "--disable-component-update",
]


@contextlib.contextmanager
def browser(*extra_flags):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in FLAGS + list(extra_flags):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        yield driver
    finally:
        driver.quit()


def open_page(driver, query="", url=None):
    driver.get((url or "file://" + PAGE) + query)


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


def canvas_pixels(driver):
    """The canvas as shown, as a list of (red, green, blue) in rows of its width."""
    return colours(png_pixels(driver.find_element("id", "canvas").screenshot_as_png))
