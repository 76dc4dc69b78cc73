"""Installation: the binary and its manual page land where Linux users look for them."""

import os
import re
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

from harness import readme_commands

BUILD = os.environ.get("PLASMA_BUILD_DIR", "build")
FLAGS = ["-no-moving-plasma", "-stupid-plasma-on", "-out-of-tunnel", "-fullscreen"]


class Install(unittest.TestCase):
    def setUp(self):
        self.prefix = self.enterContext(tempfile.TemporaryDirectory())
        subprocess.run(["cmake", "--install", BUILD, "--prefix", self.prefix],
                       check=True, capture_output=True)

    def test_binary_goes_to_bin_and_desktop_files_to_share(self):
        binary = os.path.join(self.prefix, "bin", "plasma-tunnel")
        self.assertTrue(os.access(binary, os.X_OK))
        share = os.path.join(self.prefix, "share")
        installed = sorted(os.path.relpath(os.path.join(folder, name), share)
                           for folder, _, names in os.walk(share) for name in names)
        icons = ["icons/hicolor/%dx%d/apps/plasma-tunnel.png" % (n, n)
                 for n in (16, 32, 48, 64, 128, 256)]
        self.assertEqual(installed, sorted([
            "applications/org.plasmatunnel.plasma_tunnel.desktop",
            "metainfo/org.plasmatunnel.plasma_tunnel.metainfo.xml",
            "icons/hicolor/scalable/apps/plasma-tunnel.svg", *icons,
            "man/man6/plasma-tunnel.6",
            "applications/screensavers/plasma-tunnel.desktop",
            "xscreensaver/config/plasma-tunnel.xml"]))

    def test_screen_saver_hack_is_where_its_entry_and_settings_say(self):
        hack = os.path.join(self.prefix, "libexec", "xscreensaver", "plasma-tunnel")
        self.assertTrue(os.access(hack, os.X_OK))
        share = os.path.join(self.prefix, "share")
        with open(os.path.join(share, "applications", "screensavers",
                               "plasma-tunnel.desktop")) as entry:
            text = entry.read()
        self.assertEqual(re.findall(r"^(?:Try)?Exec=(\S+)", text, re.M), [hack, hack])
        settings = ElementTree.parse(os.path.join(share, "xscreensaver", "config",
                                                  "plasma-tunnel.xml")).getroot()
        # xscreensaver finds the hack by the settings' name and offers each look as a choice.
        self.assertEqual((settings.get("name"), settings.get("gl")), ("plasma-tunnel", "yes"))
        self.assertEqual(sorted(choice.get("arg-set") for choice in settings.iter("boolean")),
                         sorted(FLAGS[:3]))
        self.assertIn("photosensitive epilepsy", settings.find("_description").text)

    def test_manual_page_renders_and_documents_the_interface(self):
        page = os.path.join(self.prefix, "share", "man", "man6", "plasma-tunnel.6")
        rendered = subprocess.run(
            ["man", "--warnings", "-l", page], capture_output=True, text=True, check=True,
            env=dict(os.environ, LC_ALL="C", MANWIDTH="200", MAN_KEEP_FORMATTING=""))
        self.assertEqual(rendered.stderr, "")
        text = rendered.stdout
        for flag in FLAGS:
            self.assertIn(flag, text)
        for words in ("Escape", "Aika: ", " sek, frm: ", " kpl, fps: ", "EXIT STATUS",
                      "SDL_Init()", "SDL_SetVideoMode()", "malloc()", "operator new()",
                      "SCREEN SAVER", "/usr/libexec/xscreensaver/plasma-tunnel"):
            self.assertIn(words, text)
        # The line that adds the hack to xscreensaver's list, as the README gives it.
        adding = readme_commands("sed -i ")
        self.assertEqual(len(adding), 1)
        self.assertIn(adding[0], text)


if __name__ == "__main__":
    unittest.main()
