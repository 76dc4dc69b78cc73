"""The Windows build under Wine: the exe in a virtual X server, how it ends and fails, where
its output goes, what it carries, and the zip and the installer a Windows user gets.

Run by scripts/test-windows with PLASMA_TUNNEL at the built exe, PLASMA_LAUNCHER=wine,
PLASMA_WINDOWS_DIR at build-windows/ and WINEPREFIX at a fresh prefix."""

import os
import re
import subprocess
import tempfile
import time
import unittest
import zipfile

import plasma_oracle
from harness import (DEMO, HEIGHT, STATISTICS, WIDTH, Demo, colours, demo_command, demo_env,
                     find_demo_window, find_windows, lit, lit_share, run_to_end, virtual_display, wait_until,
                     window_pixels)

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PACKAGES = os.environ.get("PLASMA_WINDOWS_DIR", os.path.join(ROOT, "build-windows"))
PREFIX = os.environ["WINEPREFIX"]
# Windows' own DLLs that the exe may import, besides SDL.dll.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "opengl32.dll",
               "glu32.dll", "advapi32.dll", "shell32.dll", "winmm.dll"}
# The screen saver beside the exe, and the test's host for its preview.
SAVER = os.path.join(os.path.dirname(DEMO), "plasma-tunnel.scr")
PREVIEW_HOST = os.path.join(os.path.dirname(DEMO), "tests", "preview-host.exe")
SAVER_SETTINGS_KEY = r"HKCU\Software\Plasma Tunnel"
SYSTEM_SAVER = os.path.join(PREFIX, "drive_c", "windows", "system32", "plasma-tunnel.scr")
INSTALL_DIR = os.path.join(PREFIX, "drive_c", "Program Files", "Plasma Tunnel")
MENU_DIR = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows",
                        "Start Menu", "Programs", "Plasma Tunnel")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\PlasmaTunnel"
# Each Start-menu entry and the flags its name promises.
SHORTCUTS = {"Plasma Tunnel.lnk": "",
             "Plasma Tunnel (Full Screen).lnk": "-fullscreen",
             "Plasma Tunnel (View From Outside).lnk": "-out-of-tunnel"}
INSTALLED_EXE = r"C:\Program Files\Plasma Tunnel\plasma-tunnel.exe"


def project_version():
    """The version that every place saying it agrees on (scripts/version fails otherwise)."""
    return subprocess.run([os.path.join(ROOT, "scripts", "version")], capture_output=True,
                          text=True, check=True).stdout.strip()


def shortcut_command(path):
    """A shell link's target and arguments, read as Windows reads them (MS-SHLLINK: the
    header's flags, the ID list, the link information with the local path, then counted
    UTF-16 strings: name, relative path, working folder, arguments)."""
    with open(path, "rb") as link:
        data = link.read()

    def number(at, size):
        return int.from_bytes(data[at:at + size], "little")
    flags, at = number(20, 4), 76
    if flags & 0x1:
        at += 2 + number(at, 2)
    target = None
    if flags & 0x2:
        base = at + number(at + 16, 4)
        target = data[base:data.index(b"\0", base)].decode("latin-1")
        at += number(at, 4)
    strings = {}
    for flag in (0x4, 0x8, 0x10, 0x20):
        if flags & flag:
            count = number(at, 2)
            # Wine counts the terminating NUL in: an empty string is one.
            strings[flag] = data[at + 2:at + 2 + 2 * count].decode("utf-16-le").rstrip("\0")
            at += 2 + 2 * count
    return target, strings.get(0x20, "")


def windows_path(path):
    return subprocess.run(["winepath", "-w", path], capture_output=True, text=True,
                          check=True).stdout.strip()



def check_statistics_line(test, out):
    """A run's one line: its frames and seconds agree with the rate it gives."""
    match = STATISTICS.match(out)
    test.assertIsNotNone(match, out)
    seconds, frames, rate = float(match.group(1)), int(match.group(2)), float(match.group(3))
    test.assertGreater(frames, 0)
    test.assertGreater(seconds, 0.5)
    test.assertAlmostEqual(rate, frames / seconds, delta=0.002 * rate + 0.001)


class UnderWine(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())

    def start(self, *flags, **options):
        demo = Demo(self.display, *flags, timeout=60, **options)
        self.addCleanup(demo.kill)
        time.sleep(1.0)
        return demo

    def test_escape_and_a_window_close_end_the_run_with_statistics(self):
        for end in (Demo.press_escape, Demo.close_window):
            with self.subTest(end=end.__name__):
                demo = self.start("-out-of-tunnel")
                end(demo)
                status, out, err = demo.finish()
                self.assertEqual((status, err), (0, ""))
                check_statistics_line(self, out)

    def test_near_misses_of_a_flag_are_ignored(self):
        demo = self.start("-Out-of-tunnel", "-out-of-tunnelx", "out-of-tunnel")
        # Inside the tunnel, as without flags: the wall covers the picture.
        self.assertGreater(lit_share(colours(demo.screenshot())), 0.95)
        self.assertEqual(demo.quit()[0], 0)

    def test_no_video_driver_fails_with_its_one_line(self):
        status, out, err = run_to_end(demo_command(),
                                      demo_env(self.display, SDL_VIDEODRIVER="nosuchdriver"))
        self.assertEqual((status, out), (1, ""))
        self.assertRegex(err, r"^SDL_Init\(\): [^\n]+\n$")

    def test_output_redirected_by_a_console_goes_to_its_file(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        out_file = os.path.join(folder, "run.txt")
        demo = self.start("/c", windows_path(DEMO), "-out-of-tunnel", ">", windows_path(out_file),
                          program="cmd")
        status, out, _ = demo.quit()
        self.assertEqual((status, out), (0, ""))
        with open(out_file, "rb") as written:
            line = written.read()
        self.assertTrue(line.endswith(b"\r\n"), line)  # Windows' line end, in text mode
        check_statistics_line(self, line.decode().replace("\r\n", "\n"))

    def test_a_failure_without_a_console_is_shown_in_a_message_box(self):
        # Started as from Explorer: `start` gives the program no standard handles at all.
        process = subprocess.Popen(
            ["wine", "start", "/wait", "/unix", DEMO],
            env=demo_env(self.display, SDL_VIDEODRIVER="nosuchdriver"),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(process.kill)

        def message_box():
            return find_windows(demo_env(self.display), "Plasma Tunnel")
        self.assertTrue(wait_until(message_box, timeout=30), "no message box")
        # Its one line, in the box: wider than the box of a short line would be.
        box = message_box()[0]
        geometry = subprocess.run(["xwininfo", "-id", box], env=demo_env(self.display),
                                  capture_output=True, text=True).stdout
        self.assertGreater(int(re.search(r"Width: (\d+)", geometry).group(1)), 200)
        self.assertIsNone(process.poll(), "the program ended before the box was answered")
        subprocess.run(["xdotool", "key", "--window", box, "Return"], env=demo_env(self.display),
                       check=True)
        self.assertEqual(process.wait(timeout=30), 1)

    def test_full_screen_covers_the_screen_and_leaves_its_size_alone(self):
        # Wine cannot switch a virtual X server to 640 x 480: the window covers the screen
        # and the picture keeps its size in the lower left corner, the rest black.
        demo = self.start("-fullscreen")
        self.assertEqual(window_geometry(demo.env, demo.window), (0, 0, 1024, 768))
        screen = colours(demo.screenshot("root"))
        picture = [screen[1024 * y + x] for y in range(768 - HEIGHT, 768) for x in range(WIDTH)]
        self.assertGreater(lit_share(picture), 0.95)
        self.assertFalse(any(lit(c) for c in screen[:1024 * (768 - HEIGHT)]))
        status, out, _ = demo.quit()
        self.assertEqual(status, 0)
        check_statistics_line(self, out)
        self.assertEqual(window_geometry(demo.env, "root")[2:], (1024, 768))


def wine_reg(*args):
    """Runs Wine's reg with args; its exit status."""
    return subprocess.run(["wine", "reg", *args], capture_output=True).returncode


class ScreenSaver(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())
        self.env = demo_env(self.display)
        self.addCleanup(wine_reg, "delete", SAVER_SETTINGS_KEY, "/f")

    def start(self, *args):
        saver = subprocess.Popen(["wine", SAVER, *args], env=self.env, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: saver.poll() is None and saver.kill())
        return saver

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=30)

    def show(self, form="/s"):
        """Starts the saver over the desktop, with the mouse resting mid-screen; returns it
        with a shot of the screen once the saver's first frame is on it."""
        self.xdotool("mousemove", "500", "400")
        saver = self.start(form)
        self.assertTrue(wait_until(lambda: find_demo_window(self.env)), "no saver window")
        window = find_demo_window(self.env)
        self.assertEqual(window_geometry(self.env, window), window_geometry(self.env, "root"))
        screen = []
        self.assertTrue(wait_until(lambda: screen.append(colours(window_pixels(self.env, "root")))
                                   or lit_share(screen[-1]) > 0.02))
        time.sleep(0.5)
        return saver, window, colours(window_pixels(self.env, "root"))

    def assert_ends_soon(self, saver):
        out, err = saver.communicate(timeout=5)
        self.assertEqual((saver.returncode, err), (0, ""))
        check_statistics_line(self, out)

    def test_show_covers_the_desktop_and_ends_on_a_real_mouse_move_or_a_key(self):
        for form, end in [("/s", "mouse"), ("/S", "key")]:
            with self.subTest(form=form, end=end):
                saver, window, screen = self.show(form)
                self.assertGreater(lit_share(screen), 0.95)
                self.assertGreater(plasma_oracle.share_near_palette(screen), 0.8)
                if end == "mouse":
                    # The saver takes where it first sees the mouse as its place (Wine passes
                    # it none of the first moves or two); nudges of a pixel or two round
                    # there, as a desk gives them, are no move.
                    for x, y in ((501, 400), (502, 401), (501, 402), (503, 401), (502, 400),
                                 (503, 402)):
                        self.xdotool("mousemove", str(x), str(y))
                        time.sleep(0.3)
                    time.sleep(0.5)
                    self.assertIsNone(saver.poll(), "a nudge of the mouse ended the saver")
                    self.xdotool("mousemove", "540", "420")
                else:
                    self.xdotool("windowfocus", "--sync", window)
                    self.xdotool("key", "a")
                self.assert_ends_soon(saver)

    def test_preview_covers_its_host_window_and_ends_with_it(self):
        # Wine shows OpenGL drawn in a child of another process's window nowhere, so the
        # host says what covers it, and the saver's statistics say it drew.
        host = subprocess.Popen(["wine", PREVIEW_HOST, "320", "240", "4000", "5000"], env=self.env,
                                stdout=subprocess.PIPE, text=True)
        self.addCleanup(host.wait, timeout=60)
        handle = host.stdout.readline().strip()
        saver = self.start("/p", handle)
        self.assertEqual(host.stdout.readline().strip(), "covered by 320x240")
        self.assertEqual(host.stdout.readline().strip(), "destroyed")
        self.assert_ends_soon(saver)
        host.stdout.close()

    def test_a_choice_in_the_settings_reaches_the_next_show(self):
        settings = self.start("/c")

        def dialog():
            return find_windows(self.env, "Plasma Tunnel Settings")
        self.assertTrue(wait_until(dialog, timeout=30), "no settings dialog")
        self.xdotool("windowfocus", "--sync", dialog()[0])
        self.xdotool("key", "alt+o", "Return")  # "Watch the ring from outside", then OK
        settings.communicate(timeout=30)
        self.assertEqual(settings.returncode, 0)
        saver, _, screen = self.show("/s")
        # From outside the ring covers a part of the screen; from inside the wall covers it.
        self.assertLess(lit_share(screen), 0.6)
        self.xdotool("mousemove", "600", "500")
        self.assert_ends_soon(saver)

    def test_what_windows_never_passes_is_refused(self):
        for args in (["/p"], ["/x"], ["/p", "window"]):
            with self.subTest(args=args):
                status, out, err = run_to_end(["wine", SAVER, *args], self.env)
                self.assertEqual((status, out), (1, ""))
                self.assertIn("usage: plasma-tunnel.scr", err)


def window_geometry(env, window):
    info = subprocess.run(["xwininfo", "-root"] if window == "root" else ["xwininfo", "-id", window],
                          env=env, capture_output=True, text=True, check=True).stdout
    return tuple(int(re.search(pattern + r":\s+(-?\d+)", info).group(1)) for pattern in
                 ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))


class WhatTheUserGets(unittest.TestCase):
    def test_zip_holds_the_exe_its_dll_and_the_texts(self):
        version = project_version()
        name = "plasma-tunnel-%s-windows-x64" % version
        with zipfile.ZipFile(os.path.join(PACKAGES, name + ".zip")) as archive:
            files = {entry for entry in archive.namelist() if not entry.endswith("/")}
            self.assertEqual(files, {name + "/" + f for f in [
                "plasma-tunnel.exe", "plasma-tunnel.scr", "SDL.dll", "README.txt", "LICENSE.txt",
                "SDL-LICENSE.txt"]})
            readme = archive.read(name + "/README.txt").decode()
            sdl_licence = archive.read(name + "/SDL-LICENSE.txt").decode()
        self.assertNotIn("\n", readme.replace("\r\n", ""))  # Windows' line ends throughout
        for flag in ["-no-moving-plasma", "-stupid-plasma-on", "-out-of-tunnel", "-fullscreen",
                     "photosensitive epilepsy", "start /wait", version, "plasma-tunnel.scr",
                     "Screen Saver settings"]:
            self.assertIn(flag, readme)
        self.assertIn("apt-get source libsdl1.2", sdl_licence)
        self.assertIn("GNU LESSER GENERAL PUBLIC LICENSE", sdl_licence)

    def test_exe_needs_sdl_and_the_saver_only_windows_own_dlls(self):
        # The saver lives in Windows' system folder, where no SDL.dll is beside it.
        for program, sdl in ((DEMO, {"sdl.dll"}), (SAVER, set())):
            with self.subTest(program=os.path.basename(program)):
                dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", program],
                                      capture_output=True, text=True, check=True).stdout
                imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
                self.assertLessEqual(sdl, imported)
                self.assertLessEqual(imported - sdl, SYSTEM_DLLS)

    def test_exe_and_saver_carry_their_icon_and_version(self):
        for program in (DEMO, SAVER):
            with self.subTest(program=os.path.basename(program)):
                listing = subprocess.run(["wrestool", "-l", program], capture_output=True,
                                         text=True, check=True).stdout
                self.assertRegex(listing, r"--type=14 ")  # a group icon
                info = subprocess.run(["wrestool", "-x", "--raw", "--type=16", program],
                                      capture_output=True,
                                      check=True).stdout.decode("utf-16-le", "replace")
                fields = dict(re.findall(r"(\w+Version|ProductName|OriginalFilename)\x00+([^\x00]+)",
                                         info))
                version = project_version()
                self.assertEqual(fields, {"FileVersion": version, "ProductVersion": version,
                                          "ProductName": "Plasma Tunnel",
                                          "OriginalFilename": os.path.basename(program)})
        # The name the Screen Saver settings list it by: string 1.
        strings = subprocess.run(["wrestool", "-x", "--raw", "--type=6", SAVER],
                                 capture_output=True, check=True).stdout.decode("utf-16-le")
        self.assertIn("Plasma Tunnel", strings)

    def test_one_version_everywhere(self):
        # CMake, both changelogs and the AppStream release agree, and the packages carry it.
        version = project_version()
        for name in ["plasma-tunnel-%s-windows-x64.zip", "plasma-tunnel-%s-setup.exe"]:
            self.assertTrue(os.path.exists(os.path.join(PACKAGES, name % version)), name)


class Installer(unittest.TestCase):
    def test_installs_runs_and_uninstalls_without_a_trace(self):
        setup = os.path.join(PACKAGES, "plasma-tunnel-%s-setup.exe" % project_version())
        subprocess.run(["wine", setup, "/S"], check=True, timeout=120)
        self.assertTrue(wait_until(lambda: os.path.exists(os.path.join(INSTALL_DIR,
                                                                       "uninstall.exe"))))
        self.assertEqual(sorted(os.listdir(INSTALL_DIR)), [
            "LICENSE.txt", "README.txt", "SDL-LICENSE.txt", "SDL.dll", "plasma-tunnel.exe",
            "uninstall.exe"])
        self.assertEqual(sorted(os.listdir(MENU_DIR)), sorted(SHORTCUTS))
        self.assertTrue(os.path.exists(SYSTEM_SAVER), "no saver where Windows lists savers")
        registered = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY], capture_output=True,
                                    text=True, check=True).stdout
        self.assertRegex(registered, r"UninstallString\s+REG_SZ\s+\"C:\\Program Files\\"
                                     r"Plasma Tunnel\\uninstall.exe\"")

        with virtual_display() as display:
            demo = Demo(display, "-out-of-tunnel", program=os.path.join(INSTALL_DIR,
                                                                         "plasma-tunnel.exe"),
                        timeout=60)
            self.addCleanup(demo.kill)
            time.sleep(1.0)
            lit_pixels = [c for c in colours(demo.screenshot()) if lit(c)]
            self.assertGreater(plasma_oracle.share_near_palette(lit_pixels), 0.8)
            status, out, _ = demo.quit()
            self.assertEqual(status, 0)
            check_statistics_line(self, out)

            for name, flags in SHORTCUTS.items():
                self.assertEqual(shortcut_command(os.path.join(MENU_DIR, name)),
                                 (INSTALLED_EXE, flags), name)

        # Removed as a package manager removes it: by the quiet command the installer
        # registered, with the saver's settings of this user made first. The uninstaller
        # copies itself elsewhere and goes on from there.
        self.assertEqual(wine_reg("add", SAVER_SETTINGS_KEY + r"\Screen Saver", "/v",
                                  "OutOfTunnel", "/t", "REG_DWORD", "/d", "1", "/f"), 0)
        quiet = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY, "/v",
                                "QuietUninstallString"], capture_output=True, text=True,
                               check=True).stdout
        program, arguments = re.search(r'REG_SZ\s+"([^"]+)"(.*)', quiet).groups()
        subprocess.run(["wine", program, *arguments.split()], check=True, timeout=120)
        self.assertTrue(wait_until(lambda: not os.path.exists(INSTALL_DIR)), "install dir left")
        self.assertFalse(os.path.exists(MENU_DIR))
        self.assertFalse(os.path.exists(SYSTEM_SAVER), "the saver is left")
        self.assertNotEqual(wine_reg("query", SAVER_SETTINGS_KEY), 0, "the saver's settings are left")
        query = subprocess.run(["wine", "reg", "query", UNINSTALL_KEY], capture_output=True)
        self.assertNotEqual(query.returncode, 0, "the uninstall entry is left")


if __name__ == "__main__":
    unittest.main()
