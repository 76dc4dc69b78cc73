"""The OpenGL calls of the real demo, recorded with apitrace and read back."""

import math
import os
import re
import subprocess
import tempfile
import time
import unittest

import plasma_oracle
from harness import Demo, frames_of, virtual_display

CALL = re.compile(r"^(\w+)\((.*)\)(?: = .*)?$")
# The calls the demo itself makes once its window is up; everything else in the
# trace comes from SDL or the driver (context set-up, presenting the frame).
OWN = {"glViewport", "glClearColor", "glClearDepth", "glDepthFunc", "glEnable",
       "glShadeModel", "glMatrixMode", "glLoadIdentity", "glMultMatrixd",
       "glGenTextures", "glBindTexture", "glTexParameteri", "glTexImage2D",
       "glNewList", "glBegin", "glTexCoord2f", "glVertex3f", "glEnd", "glEndList",
       "glClear", "glTranslatef", "glRotatef", "glCallList", "glFlush"}
UPLOAD_ARGS = ("target = GL_TEXTURE_2D, level = 0, internalformat = 3, width = 512, "
               "height = 512, border = 0, format = GL_RGB, type = GL_UNSIGNED_BYTE, pixels = ")
FIXED_STATE = [
    ("glViewport", "x = 0, y = 0, width = 640, height = 480"),
    ("glClearColor", "red = 0, green = 0, blue = 0, alpha = 0"),
    ("glClearDepth", "depth = 1"),
    ("glDepthFunc", "func = GL_LESS"),
    ("glEnable", "cap = GL_TEXTURE_2D"),
    ("glEnable", "cap = GL_DEPTH_TEST"),
    ("glShadeModel", "mode = GL_SMOOTH"),
    ("glMatrixMode", "mode = GL_PROJECTION"),
    ("glLoadIdentity", ""),
]
TEXTURE_SETUP = [
    ("glMatrixMode", "mode = GL_MODELVIEW"),
    ("glGenTextures", "n = 1, textures = &1"),
    ("glBindTexture", "target = GL_TEXTURE_2D, texture = 1"),
    ("glTexParameteri", "target = GL_TEXTURE_2D, pname = GL_TEXTURE_MIN_FILTER, param = GL_LINEAR"),
    ("glTexParameteri", "target = GL_TEXTURE_2D, pname = GL_TEXTURE_MAG_FILTER, param = GL_LINEAR"),
]
FRAME_CLEAR = ("glClear", "mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT")


def numbers(args):
    """The numeric values among a call's arguments, in order."""
    return [float(v) for v in re.findall(r"(?<![\w.])-?\d+(?:\.\d*)?(?:e[+-]?\d+)?", args)]


def perspective(fovy, aspect, near, far):
    """The column-major matrix gluPerspective multiplies on."""
    f = 1.0 / math.tan(math.radians(fovy) / 2.0)
    return [f / aspect, 0, 0, 0, 0, f, 0, 0,
            0, 0, (far + near) / (near - far), -1, 0, 0, 2 * far * near / (near - far), 0]


class Recording:
    """One traced run: the demo's own calls after its window is up, frame by frame."""

    def __init__(self, flags, seconds, folder):
        trace = os.path.join(folder, "run.trace")
        with virtual_display() as display:
            demo = Demo(display, *flags, wrapper=("apitrace", "trace", "-o", trace))
            try:
                time.sleep(seconds)
                self.status, self.stdout, _ = demo.quit(timeout=60)
            finally:
                demo.kill()
        dump = subprocess.run(["apitrace", "dump", "--call-nos=no", "--blobs", trace],
                              cwd=folder, check=True, capture_output=True, text=True).stdout
        self.folder = folder
        self.startup, self.frames = [], []
        calls = self.startup
        started = False
        for line in dump.splitlines():
            match = CALL.match(line)
            if not match:
                continue
            name, args = match.groups()
            # SDL makes its own glViewport calls while creating the context; ours
            # is the one right before the clear colour.
            if name == "glClearColor" and not started:
                started = True
                calls.append(self.last_viewport)
            if name == "glViewport":
                self.last_viewport = (name, args)
            if started and name in OWN and not self.sdl_call(name, args, calls is not self.startup):
                calls.append((name, args))
            # Start-up ends with the tunnel list; from there on, each swap ends a frame.
            if (name == "glEndList" or name == "glXSwapBuffers" and calls) and started \
                    and self.startup[-1][0] == "glEndList":
                calls = []
                self.frames.append(calls)
        if self.frames and not self.frames[-1]:
            self.frames.pop()

    @staticmethod
    def sdl_call(name, args, in_frames):
        # SDL presents each frame through a clear of its own, setting the clear
        # colour for it and back; the demo sets the clear colour only at start-up.
        return (name == "glClearColor" and in_frames) or \
               (name == "glClear" and args == "mask = GL_COLOR_BUFFER_BIT")

    def blob(self, args):
        name = re.search(r'blob\("([^"]+)"\)', args).group(1)
        with open(os.path.join(self.folder, name), "rb") as data:
            return data.read()


class GlContract(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.palette = plasma_oracle.palette()
        cls.indices, cls.first_image = plasma_oracle.index_map(stupid=False)

    def record(self, *flags, seconds=1.5):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        run = Recording(flags, seconds, folder)
        self.assertEqual(run.status, 0)
        # The first of SDL's frames is drawn before the loop; every later one is ours.
        self.assertEqual(frames_of(self, run.stdout), len(run.frames))
        return run

    def test_startup_sets_fixed_state_then_texture_then_tunnel_list(self):
        run = self.record("-out-of-tunnel", seconds=0.5)
        calls = run.startup
        self.assertEqual(calls[:len(FIXED_STATE)], FIXED_STATE)
        name, args = calls[len(FIXED_STATE)]
        self.assertEqual(name, "glMultMatrixd")
        # The aspect is 4/3 rounded to single precision, not the exact double 4/3.
        expected = perspective(45.0, 1.3333333730697632, 0.1, 100.0)
        self.assertEqual(len(numbers(args)), 16)
        for got, want in zip(numbers(args), expected):
            self.assertAlmostEqual(got, want, places=12)
        self.assertNotAlmostEqual(numbers(args)[0], perspective(45, 4 / 3, 0.1, 100)[0], places=12)
        at = len(FIXED_STATE) + 1
        self.assertEqual(calls[at:at + len(TEXTURE_SETUP)], TEXTURE_SETUP)
        at += len(TEXTURE_SETUP)
        name, args = calls[at]
        self.assertEqual((name, args[:len(UPLOAD_ARGS)]), ("glTexImage2D", UPLOAD_ARGS))
        self.assertTrue(run.blob(args) == self.first_image, "first upload is not the plasma")
        self.assertEqual(calls[at + 1], ("glNewList", "list = 1, mode = GL_COMPILE"))
        self.assertEqual(calls[-1], ("glEndList", ""))
        self.check_tunnel_list(calls[at + 2:-1])

    def check_tunnel_list(self, calls):
        self.assertEqual(calls.count(("glBegin", "mode = GL_QUAD_STRIP")), 128)
        self.assertEqual(calls.count(("glEnd", "")), 128)
        strips, strip = [], None
        for name, args in calls:
            if name == "glBegin":
                strip = []
            elif name == "glEnd":
                strips.append(strip)
            else:
                strip.append((name, numbers(args)))
        self.assertEqual(sum(len(s) for s in strips), 2 * 33280)
        for strip in strips:
            self.assertEqual(len(strip), 2 * 260)
            self.assertEqual({n for n, _ in strip[0::2]}, {"glTexCoord2f"})
            self.assertEqual({n for n, _ in strip[1::2]}, {"glVertex3f"})
            for _, (x, y, z) in strip[1::2]:
                self.assertAlmostEqual(math.hypot(math.hypot(x, y) - 5, z), 0.3, places=5)
        step = 6.28318 / 128
        self.assertEqual([v for _, v in strips[0][:4]], [[0, 0], [5.3, 0, 0], [0, 0.0078125],
                                                         [strips[0][3][1][0], strips[0][3][1][1], 0]])
        self.assertAlmostEqual(strips[0][3][1][0], 5.3 * math.cos(step), places=5)
        self.assertAlmostEqual(strips[0][3][1][1], 5.3 * math.sin(step), places=5)

    def check_frame_shape(self, frame, camera, uploads):
        at = 1 if uploads else 0
        if uploads:
            self.assertEqual(frame[0][0], "glTexImage2D")
            self.assertTrue(frame[0][1].startswith(UPLOAD_ARGS))
        self.assertEqual(frame[at], FRAME_CLEAR)
        self.assertEqual(frame[at + 1], ("glLoadIdentity", ""))
        self.assertEqual([name for name, _ in frame[at + 2:-2]], camera)
        self.assertEqual(frame[-2:], [("glCallList", "list = 1"), ("glFlush", "")])
        return [numbers(args) for _, args in frame[at + 2:-2]]

    def test_inside_camera_rolls_and_travels_five_to_fifteen_tenths_a_frame(self):
        run = self.record("-no-moving-plasma")
        self.assertGreater(len(run.frames), 5)
        travel = 0
        for frame in run.frames:
            turn, roll, shift, ring = self.check_frame_shape(
                frame, ["glRotatef", "glRotatef", "glTranslatef", "glRotatef"], uploads=False)
            self.assertEqual(turn, [90, 0, 1, 0])
            self.assertEqual(roll[1:], [1, 0, 0])
            self.assertTrue(0 <= roll[0] <= 1125)
            self.assertEqual(shift, [0, -5, 0])
            self.assertEqual(ring[1:], [0, 0, 1])
            # A whole step of 5 to 15 tenths of a degree (the trace keeps 7 digits).
            self.assertAlmostEqual(ring[0] * 10, round(ring[0] * 10), places=3)
            self.assertIn(round(ring[0] * 10) - round(travel * 10), range(5, 16), (travel, ring[0]))
            travel = ring[0]

    def test_outside_camera_tumbles_with_the_clock_and_never_touches_the_texture(self):
        run = self.record("-out-of-tunnel", "-no-moving-plasma")
        self.assertGreater(len(run.frames), 5)
        previous = -1
        for frame in run.frames:
            shift, tumble, spin = self.check_frame_shape(
                frame, ["glTranslatef", "glRotatef", "glRotatef"], uploads=False)
            self.assertEqual(shift, [0, 0, -12])
            self.assertEqual((tumble[1:], spin[1:]), ([1, 0, 0], [0, 0, 1]))
            # Both angles come from one clock read: t / 7 and t / 10.
            self.assertAlmostEqual(tumble[0] * 7 / 10, spin[0], delta=1e-3 * max(1, spin[0]))
            self.assertGreaterEqual(spin[0], previous)
            previous = spin[0]

    def test_every_frame_uploads_the_recoloured_plasma_once(self):
        run = self.record("-out-of-tunnel", seconds=1.0)
        self.assertGreater(len(run.frames), 3)
        for frame in run.frames:
            self.check_frame_shape(frame, ["glTranslatef", "glRotatef", "glRotatef"], uploads=True)
            image = run.blob(frame[0][1])
            # Row 0 was cleared to index 0, so its colour is palette entry ticks mod 256.
            shifts = [k for k in range(256) if self.palette[k] == tuple(image[:3])]
            self.assertTrue(any(plasma_oracle.recolour(self.indices, k) == image for k in shifts),
                            "an upload is not the index map shifted through the palette")

    def test_banded_plasma_is_uploaded_first(self):
        run = self.record("-stupid-plasma-on", "-no-moving-plasma", seconds=0.5)
        _, banded = plasma_oracle.index_map(stupid=True)
        uploads = [args for name, args in run.startup if name == "glTexImage2D"]
        self.assertEqual(len(uploads), 1)
        self.assertTrue(run.blob(uploads[0]) == banded)


if __name__ == "__main__":
    unittest.main()
