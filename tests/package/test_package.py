"""The Debian package as a desktop user meets it: installed with apt, started from its
desktop entry's command, in full screen under a window manager and natively on Wayland,
then removed without a trace. Needs root and the .deb named by $PLASMA_DEB. A package of
another architecture is installed beside the machine's libraries through multiarch and
started by $PLASMA_LAUNCHER (qemu-aarch64 for arm64)."""

import configparser
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
os.environ.setdefault("PLASMA_TUNNEL", "/usr/games/plasma-tunnel")

import plasma_oracle  # noqa: E402
from harness import (STATISTICS, Demo, colours, demo_env, default_interrupt, lit,  # noqa: E402
                     png_pixels, readme_commands, virtual_display, window_pixels)

DEB = os.environ.get("PLASMA_DEB", "")
# The package with its architecture, as apt and dpkg name a foreign one.
PACKAGE = "plasma-tunnel:" + subprocess.run(["dpkg-deb", "-f", DEB, "Architecture"],
                                            capture_output=True, text=True).stdout.strip()
APP_ID = "org.plasmatunnel.plasma_tunnel"
DESKTOP_ENTRY = "/usr/share/applications/%s.desktop" % APP_ID
METAINFO = "/usr/share/metainfo/%s.metainfo.xml" % APP_ID
BINARY = "/usr/games/plasma-tunnel"
HACK = "/usr/libexec/xscreensaver/plasma-tunnel"
SAVER_ENTRY = "/usr/share/applications/screensavers/plasma-tunnel.desktop"
SAVER_USER = "plasma-saver"
installed_files = []


def apt_get(*args):
    subprocess.run(["apt-get", "-y", "-q", *args], check=True, capture_output=True,
                   env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"), timeout=600)


def setUpModule():
    apt_get("install", os.path.abspath(DEB))
    listed = subprocess.run(["dpkg", "-L", PACKAGE], check=True, capture_output=True,
                            text=True).stdout.split("\n")
    installed_files.extend(path for path in listed if os.path.isfile(path))


def tearDownModule():
    apt_get("purge", PACKAGE)
    left = [path for path in installed_files if os.path.lexists(path)]
    if left or os.path.exists("/usr/share/doc/plasma-tunnel"):
        raise AssertionError("left behind after removal: %s" % left)


def stop(process):
    process.kill()
    process.wait()


def first_lit_shot(demo, timeout=60):
    """The window's pixels once the first frame is on the screen: at once natively, after
    seconds under an emulator."""
    deadline = time.monotonic() + timeout
    while True:
        shot = demo.screenshot()
        if any(lit(c) for c in colours(shot)) or time.monotonic() > deadline:
            return shot
        time.sleep(0.5)


def pixel_rows(shot, width):
    return [shot[3 * width * y:3 * width * (y + 1)] for y in range(len(shot) // (3 * width))]


class Installed(unittest.TestCase):
    def test_files_land_where_desktops_look_for_them(self):
        for path in (BINARY, DESKTOP_ENTRY, METAINFO, "/usr/share/man/man6/plasma-tunnel.6.gz",
                     HACK, SAVER_ENTRY, "/usr/share/xscreensaver/config/plasma-tunnel.xml",
                     "/usr/share/icons/hicolor/scalable/apps/plasma-tunnel.svg",
                     "/usr/share/icons/hicolor/48x48/apps/plasma-tunnel.png",
                     "/usr/share/doc/plasma-tunnel/copyright"):
            self.assertIn(path, installed_files)

    def test_desktop_entries_and_metainfo_validate(self):
        entries = subprocess.run(["desktop-file-validate", "--no-hints", DESKTOP_ENTRY,
                                  SAVER_ENTRY], capture_output=True, text=True)
        self.assertEqual((entries.returncode, entries.stdout + entries.stderr), (0, ""))
        info = subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic", METAINFO],
                              capture_output=True, text=True)
        self.assertEqual(info.returncode, 0, info.stdout)
        self.assertEqual(info.stdout.strip(), "\u2714 Validation was successful.")

    def test_entry_starts_the_installed_binary_whose_window_class_it_names(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(DESKTOP_ENTRY)
        main = entry["Desktop Entry"]
        self.assertEqual(main["Exec"], "plasma-tunnel")
        self.assertEqual(main["Actions"], "FullScreen;OutOfTunnel;")
        self.assertEqual(entry["Desktop Action FullScreen"]["Exec"], "plasma-tunnel -fullscreen")
        self.assertEqual(entry["Desktop Action OutOfTunnel"]["Exec"],
                         "plasma-tunnel -out-of-tunnel")
        with virtual_display() as display:
            demo = Demo(display, "-out-of-tunnel")
            self.addCleanup(demo.kill)
            window_class = subprocess.run(["xprop", "-id", demo.window, "WM_CLASS"], env=demo.env,
                                          check=True, capture_output=True, text=True).stdout
            shot = first_lit_shot(demo)
            status, out, err = demo.quit()
        self.assertEqual(window_class, 'WM_CLASS(STRING) = "%s", "%s"\n'
                         % (main["StartupWMClass"], main["StartupWMClass"]))
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, STATISTICS)
        self.assertGreater(plasma_oracle.share_near_palette([c for c in colours(shot) if lit(c)]),
                           0.8)


def run_as_saver_user(*command, env, **options):
    """Starts a command as the ordinary user the screen saver runs for: xscreensaver runs
    no hacks for root."""
    return subprocess.Popen(["runuser", "-u", SAVER_USER, "--", "env", *(
        "%s=%s" % item for item in env.items()), *command], **options)


def hacks_running():
    """Whether the saver's user runs the hack (xscreensaver starts it by its name alone). An
    ended one whose parent went with it stays a zombie until the system reaps it: it is not
    running."""
    return subprocess.run(["pgrep", "--runstates", "R,S,D,T,t", "-u", SAVER_USER,
                           "-x", os.path.basename(HACK)], capture_output=True).returncode == 0


class ScreenSaver(unittest.TestCase):
    def setUp(self):
        subprocess.run(["useradd", "--create-home", SAVER_USER], check=True)
        self.addCleanup(subprocess.run, ["userdel", "--remove", SAVER_USER], capture_output=True)
        self.home = os.path.expanduser("~" + SAVER_USER)

    def xscreensaver_command(self, env, *args):
        command = run_as_saver_user("xscreensaver-command", *args, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return command.wait(timeout=30)

    def test_chosen_in_xscreensaver_it_fills_the_screen_and_goes_when_deactivated(self):
        # Settings as xscreensaver's own dialog writes them, with one hack in the list; the
        # README's line adds this one in front of it, where "selected: 0" finds it.
        settings = os.path.join(self.home, ".xscreensaver")
        with open(settings, "w") as out:
            out.write("mode:\t\tone\nselected:\t0\nlock:\t\tFalse\nfade:\t\tFalse\n"
                      "unfade:\t\tFalse\nsplash:\t\tFalse\ntimeout:\t1:00:00\n"
                      "programs:\t\t\t\t\t\t\t\t\t\t      \\\n"
                      "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n\n")
        subprocess.run(["chown", SAVER_USER, settings], check=True)
        [adding] = readme_commands("sed -i ")
        subprocess.run(["runuser", "-u", SAVER_USER, "--", "sh", "-c", adding], check=True,
                       env=dict(os.environ, HOME=self.home))
        with virtual_display("1024x768") as display:
            env = {"DISPLAY": display, "HOME": self.home}
            saver = run_as_saver_user("xscreensaver", "-no-splash", env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(stop, saver)
            ready = time.monotonic() + 30
            while self.xscreensaver_command(env, "-time") != 0:
                self.assertLess(time.monotonic(), ready, "xscreensaver did not start")
                time.sleep(0.2)
            self.assertEqual(self.xscreensaver_command(env, "-activate"), 0)
            shot = None
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline:
                shot = colours(window_pixels(demo_env(display), "root"))
                if sum(map(lit, shot)) > 0.95 * len(shot):
                    break
                time.sleep(0.3)
            self.assertGreater(sum(map(lit, shot)) / len(shot), 0.95)
            self.assertGreater(plasma_oracle.share_near_palette([c for c in shot if lit(c)]), 0.8)
            self.assertTrue(hacks_running())
            self.assertEqual(self.xscreensaver_command(env, "-deactivate"), 0)
            gone = time.monotonic() + 1.0
            while hacks_running() and time.monotonic() < gone:
                time.sleep(0.05)
            self.assertFalse(hacks_running(), "the hack outlived the saver by a second")


class FullScreen(unittest.TestCase):
    def test_picture_fills_the_largest_centred_four_by_three_rectangle(self):
        # Screen size, and the rectangle: left, top, width, height.
        for size, (left, top, width, height) in (("1920x1080", (240, 0, 1440, 1080)),
                                                 ("1280x1024", (0, 32, 1280, 960))):
            with self.subTest(size=size), virtual_display(size) as display:
                manager = subprocess.Popen(["openbox"], env=demo_env(display),
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.addCleanup(stop, manager)
                time.sleep(1.0)
                demo = Demo(display, "-fullscreen")
                self.addCleanup(demo.kill)
                time.sleep(1.5)
                screen = pixel_rows(demo.screenshot("root"), int(size.split("x")[0]))
                status, out, _ = demo.quit()
                self.assertEqual(status, 0)
                self.assertRegex(out, STATISTICS)
                lit_rows = [y for y, row in enumerate(screen) if any(row)]
                lit_columns = sorted({x // 3 for row in screen for x, v in enumerate(row) if v})
                self.assertEqual((lit_columns[0], lit_rows[0]), (left, top))
                self.assertEqual((lit_columns[-1] + 1 - left, lit_rows[-1] + 1 - top), (width, height))
                # Inside the rectangle the tunnel's wall covers (nearly) every pixel.
                inside = [row[3 * left:3 * (left + width)] for row in screen[top:top + height]]
                dark = sum(not lit(c) for row in inside for c in colours(row))
                self.assertLess(dark / (width * height), 0.05)


class Wayland(unittest.TestCase):
    def test_runs_natively_on_a_wayland_compositor(self):
        runtime = self.enterContext(tempfile.TemporaryDirectory())
        os.chmod(runtime, 0o700)
        with virtual_display("1024x768") as display:
            compositor = subprocess.Popen(
                ["weston", "--backend=x11-backend.so", "--socket=wayland-plasma", "--width=800",
                 "--height=600", "--idle-time=0", "--debug"],  # --debug lets it take screenshots
                env=dict(demo_env(display), XDG_RUNTIME_DIR=runtime),
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(stop, compositor)
            socket = os.path.join(runtime, "wayland-plasma")
            for _ in range(100):
                if os.path.exists(socket):
                    break
                time.sleep(0.1)
            env = dict(demo_env(None), XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="wayland-plasma",
                       SDL_VIDEODRIVER="wayland")
            demo = subprocess.Popen([BINARY], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True, preexec_fn=default_interrupt)
            self.addCleanup(demo.kill)
            time.sleep(2.0)
            self.assertIsNone(demo.poll(), "the demo ended early")
            shots = self.enterContext(tempfile.TemporaryDirectory())
            subprocess.run(["weston-screenshooter"], env=env, cwd=shots, check=True, timeout=30)
            demo.send_signal(signal.SIGTERM)
            out, err = demo.communicate(timeout=30)
        self.assertEqual((demo.returncode, err), (0, ""))
        self.assertRegex(out, STATISTICS)
        [png] = os.listdir(shots)
        shown = colours(png_pixels(os.path.join(shots, png)))
        # The 640 x 480 window takes about half of the 800 x 600 output; the rest is the
        # compositor's grey desktop and panel.
        vivid = [c for c in shown if max(c) - min(c) > 60]
        self.assertGreater(len(vivid) / len(shown), 0.3)
        self.assertGreater(plasma_oracle.share_near_palette(vivid), 0.8)


if __name__ == "__main__":
    unittest.main()
