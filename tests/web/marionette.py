"""Drives Firefox through Marionette, its own remote protocol, which Firefox speaks with no
driver program between (Debian has no geckodriver): JSON commands over a local socket that
mirror WebDriver's. Offers the few calls of Selenium's driver that the page's tests make."""

import json
import os
import socket
import subprocess
import tempfile
import time

# What Marionette calls an element in a result or an argument.
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"
# A profile for a machine without a network and without a graphics card: nothing asked of
# the network, WebGL on Mesa's software rasteriser, no first-run pages.
PREFERENCES = {
    "marionette.port": 0,  # set per browser below
    "webgl.force-enabled": True,
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
}


class MarionetteError(Exception):
    pass


class Element:
    def __init__(self, browser, reference):
        self.browser = browser
        self.reference = reference

    def click(self):
        self.browser.command("WebDriver:ElementClick", id=self.reference)

    @property
    def text(self):
        return self.browser.command("WebDriver:GetElementText", id=self.reference)

    def is_displayed(self):
        return self.browser.command("WebDriver:IsElementDisplayed", id=self.reference)


class Firefox:
    """A Firefox of its own (its own profile) on the display in $DISPLAY."""

    def __init__(self, preferences=None, size=(900, 700)):
        self.profile = tempfile.TemporaryDirectory()
        port = free_port()
        chosen = dict(PREFERENCES, **(preferences or {}), **{"marionette.port": port})
        with open(os.path.join(self.profile.name, "user.js"), "w") as settings:
            for name, value in chosen.items():
                settings.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
        self.process = subprocess.Popen(
            ["firefox-esr", "--marionette", "--no-remote", "--profile", self.profile.name,
             "about:blank"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.socket = connect(port, self.process)
        self.replies = self.socket.makefile("rb")
        self.next_id = 0
        self.read()  # the greeting: the protocol's version
        self.command("WebDriver:NewSession", capabilities={"alwaysMatch": {}})
        self.command("WebDriver:SetWindowRect", width=size[0], height=size[1])

    def read(self):
        length = b""
        while not length.endswith(b":"):
            byte = self.replies.read(1)
            if not byte:
                raise MarionetteError("Firefox closed the connection")
            length += byte
        return json.loads(self.replies.read(int(length[:-1])))

    def command(self, name, **parameters):
        self.next_id += 1
        message = json.dumps([0, self.next_id, name, parameters]).encode()
        self.socket.sendall(b"%d:%s" % (len(message), message))
        _, _, error, result = self.read()
        if error:
            raise MarionetteError("%s: %s" % (name, error.get("message", error)))
        value = result.get("value") if isinstance(result, dict) else result
        return self.elements_in(value)

    def elements_in(self, value):
        """A result with each element reference made an Element."""
        if isinstance(value, dict) and ELEMENT in value:
            return Element(self, value[ELEMENT])
        if isinstance(value, list):
            return [self.elements_in(item) for item in value]
        return value

    # The calls of Selenium's driver that the tests make.
    def get(self, url):
        self.command("WebDriver:Navigate", url=url)

    def refresh(self):
        self.command("WebDriver:Refresh")

    @property
    def title(self):
        return self.command("WebDriver:GetTitle")

    def execute_script(self, script, *args):
        return self.command("WebDriver:ExecuteScript", script=script, args=list(args))

    def execute_async_script(self, script, *args):
        return self.command("WebDriver:ExecuteAsyncScript", script=script, args=list(args))

    def set_script_timeout(self, seconds):
        self.command("WebDriver:SetTimeouts", script=int(seconds * 1000))

    def find_elements(self, by, value):
        return self.command("WebDriver:FindElements", **locator(by, value))

    def find_element(self, by, value):
        return self.command("WebDriver:FindElement", **locator(by, value))

    def press_key(self, key):
        """Presses and releases a key (a WebDriver key code) at the focused element."""
        self.command("WebDriver:PerformActions", actions=[{
            "type": "key", "id": "keyboard",
            "actions": [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]}])
        self.command("WebDriver:ReleaseActions")

    def quit(self):
        try:
            self.command("Marionette:Quit", flags=["eForceQuit"])
        except (MarionetteError, OSError):
            pass
        self.socket.close()
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.profile.cleanup()


def locator(by, value):
    """WebDriver's way of finding elements for Selenium's: an id as a CSS selector, as
    Selenium sends it."""
    if by == "id":
        return {"using": "css selector", "value": '[id="%s"]' % value}
    return {"using": by, "value": value}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def connect(port, process, timeout=60):
    """The connection to Marionette, once Firefox listens."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port))
        except OSError:
            if process.poll() is not None or time.monotonic() > deadline:
                process.kill()
                raise MarionetteError("Firefox did not start listening on port %d" % port)
            time.sleep(0.1)
