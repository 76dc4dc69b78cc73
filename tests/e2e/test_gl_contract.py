"""The OpenGL calls of the real demo on a scripted clock: their order recorded with
apitrace, their values by the probe at full precision, and both held to what a correct
implementation hands to OpenGL, frame by frame and bit for bit."""

import glob
import math
import os
import re
import subprocess
import tempfile
import unittest

import motion_oracle
import plasma_oracle
from harness import (DEMO, ProbeRecord, run_to_end, scripted_env, scripted_ticks,
                     virtual_display)

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
INSIDE_CALLS = ["glRotatef", "glRotatef", "glTranslatef", "glRotatef"]
OUTSIDE_CALLS = ["glTranslatef", "glRotatef", "glRotatef"]
# apitrace's OpenGL wrapper, preloaded behind the probe so that both see every call.
TRACER = (glob.glob("/usr/lib/*/apitrace/wrappers/glxtrace.so") + [""])[0]

# Scripted clocks. A frame reads the clock once for the camera, and before that once for
# the colours unless they stand still; the run starts and ends with a read of its own.
# Each script goes on in its last step, here 2^28 + 7 ms: past 2^31 and 2^32 every few
# reads, and 7 palette entries further on each time.
TAIL = [12345, 12345 + 2**28 + 7]
# Moving colours inside: the colours at 255, 2^31 - 1, 2^31 + 256 and 2^32 - 256 (entry
# 0: the first image), the camera at 0 (roll 1080, travel step 10), 2^31, 2^32 - 1, 1.
INSIDE_TICKS = [2**31 - 100, 255, 0, 2**31 - 1, 2**31, 2**31 + 256, 2**32 - 1,
                2**32 - 256, 1] + TAIL
# Still colours, one read a frame: 0 (both angles 0 outside), 7, either side of 2^31, 2^32 - 1.
STILL_TICKS = [0, 0, 7, 2**31 - 1, 2**31, 2**32 - 1] + TAIL


def numbers(args):
    """The numeric values among a call's arguments, in order."""
    return [float(v) for v in re.findall(r"(?<![\w.])-?\d+(?:\.\d*)?(?:e[+-]?\d+)?", args)]


def perspective(fovy, aspect, near, far):
    """The column-major matrix gluPerspective multiplies on."""
    f = 1.0 / math.tan(math.radians(fovy) / 2.0)
    return [f / aspect, 0, 0, 0, 0, f, 0, 0,
            0, 0, (far + near) / (near - far), -1, 0, 0, 2 * far * near / (near - far), 0]


class Recording:
    """One run on a scripted clock that ends by itself after quit_after + 1 frames: the
    demo's own calls from apitrace's trace (start-up, then frame by frame) and the probe's
    record of the same run."""

    def __init__(self, flags, ticks, quit_after, folder):
        trace = os.path.join(folder, "run.trace")
        record = os.path.join(folder, "probe.txt")
        with virtual_display() as display:
            env = scripted_env(display, record, ticks, quit_after, preload=[TRACER],
                               TRACE_FILE=trace)
            self.status, self.stdout, self.stderr = run_to_end([DEMO, *flags], env)
        self.probe = ProbeRecord(record)
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

    def record(self, *flags, ticks=STILL_TICKS, quit_after=0):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        run = Recording(flags, ticks, quit_after, folder)
        self.assertEqual(run.status, 0, run.stderr)
        self.assertEqual([line for line in run.stderr.splitlines()
                          if not line.startswith("apitrace: ")], [])
        frames = quit_after + 1
        self.assertEqual(len(run.frames), frames)
        self.assertEqual(len(run.probe.frames), frames)
        reads = run.probe.ticks()
        self.assertEqual(reads, scripted_ticks(ticks, len(reads)))
        self.assertEqual(run.stdout, motion_oracle.statistics(reads[0], reads[-1], frames))
        return run

    def test_startup_sets_fixed_state_then_texture_then_tunnel_list(self):
        run = self.record("-out-of-tunnel")
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
        self.check_tunnel_list(calls[at + 2:-1], run.probe)

    def check_tunnel_list(self, calls, probe):
        begins = [i for i, call in enumerate(calls) if call == ("glBegin", "mode = GL_QUAD_STRIP")]
        ends = [i for i, call in enumerate(calls) if call == ("glEnd", "")]
        self.assertEqual(len(begins), 128)
        self.assertEqual(len(ends), 128)
        strips = [calls[b + 1:e] for b, e in zip(begins, ends)]
        self.assertEqual([b for b, e in zip(begins, ends) if b < e], begins)
        self.assertEqual(sum(len(s) for s in strips) + 2 * 128, len(calls))
        expected = motion_oracle.tunnel_strips()
        self.assertEqual([len(s) for s in expected], [2 * 260] * 128)
        # The trace gives the order of the calls, the probe their exact values.
        self.assertEqual([[name for name, _ in s] for s in strips],
                         [[name for name, _ in s] for s in expected])
        emitted = [call for call in probe.startup if call[0] in ("glTexCoord2f", "glVertex3f")]
        flat = [call for strip in expected for call in strip]
        self.assertEqual(len(emitted), len(flat))
        for n, (got, want) in enumerate(zip(emitted, flat)):
            self.assertEqual(got, want, "call %d of the tunnel list" % n)
        self.assertEqual(flat[:4], [("glTexCoord2f", [0.0, 0.0]), ("glVertex3f", [5.300000190734863, 0.0, 0.0]),
                                    ("glTexCoord2f", [0.0, 0.0078125]), flat[3]])

    def check_frame_shape(self, frame, camera, uploads):
        at = 1 if uploads else 0
        if uploads:
            self.assertEqual(frame[0][0], "glTexImage2D")
            self.assertTrue(frame[0][1].startswith(UPLOAD_ARGS))
        self.assertEqual(frame[at], FRAME_CLEAR)
        self.assertEqual(frame[at + 1], ("glLoadIdentity", ""))
        self.assertEqual([name for name, _ in frame[at + 2:-2]], camera)
        self.assertEqual(frame[-2:], [("glCallList", "list = 1"), ("glFlush", "")])

    def test_inside_camera_rolls_and_travels_with_the_clock_past_two_to_the_32(self):
        run = self.record("-no-moving-plasma", quit_after=11)
        travel = 0
        for frame, traced in zip(run.probe.frames, run.frames):
            self.check_frame_shape(traced, INSIDE_CALLS, uploads=False)
            ticks = frame[0][1][0]
            camera, travel = motion_oracle.inside_camera(ticks, travel)
            self.assertEqual(frame, [("SDL_GetTicks", [ticks]), *camera,
                                     ("SDL_GL_SwapBuffers", [])], "at %d ms" % ticks)
        # t = 0 on the first frame: roll 1080 degrees, travel 10, a turn of 1 degree.
        self.assertEqual(run.probe.frames[0][2][1][0], 1080.0)
        self.assertEqual(run.probe.frames[0][4][1][0], 1.0)

    def test_outside_camera_tumbles_with_the_clock_and_never_touches_the_texture(self):
        run = self.record("-out-of-tunnel", "-no-moving-plasma", quit_after=11)
        for frame, traced in zip(run.probe.frames, run.frames):
            self.check_frame_shape(traced, OUTSIDE_CALLS, uploads=False)
            ticks = frame[0][1][0]
            self.assertEqual(frame, [("SDL_GetTicks", [ticks]), *motion_oracle.outside_camera(ticks),
                                     ("SDL_GL_SwapBuffers", [])], "at %d ms" % ticks)
        self.assertEqual(run.probe.frames[0][2][1][0], 0.0)

    def test_every_frame_uploads_the_plasma_recoloured_at_its_own_clock_read(self):
        run = self.record(ticks=INSIDE_TICKS, quit_after=11)
        travel = 0
        for frame, traced in zip(run.probe.frames, run.frames):
            self.check_frame_shape(traced, INSIDE_CALLS, uploads=True)
            (_, [colours]), (_, [ticks]) = frame[:2]
            self.assertTrue(run.blob(traced[0][1]) == plasma_oracle.recolour(self.indices, colours % 256),
                            "the upload is not the index map shifted by %d" % colours)
            camera, travel = motion_oracle.inside_camera(ticks, travel)
            self.assertEqual(frame, [("SDL_GetTicks", [colours]), ("SDL_GetTicks", [ticks]),
                                     *camera, ("SDL_GL_SwapBuffers", [])], "at %d ms" % ticks)
        # At a multiple of 256 ms the image is the first upload but for the cleared rows.
        image = run.blob(run.frames[3][0][1])
        for row in range(512):
            want = bytes(self.palette[0]) * 512 if row % 32 == 0 else \
                self.first_image[1536 * row:1536 * (row + 1)]
            self.assertTrue(image[1536 * row:1536 * (row + 1)] == want, row)

    def test_banded_plasma_is_uploaded_first(self):
        run = self.record("-stupid-plasma-on", "-no-moving-plasma")
        _, banded = plasma_oracle.index_map(stupid=True)
        uploads = [args for name, args in run.startup if name == "glTexImage2D"]
        self.assertEqual(len(uploads), 1)
        self.assertTrue(run.blob(uploads[0]) == banded)
        self.assertEqual([name for frame in run.frames for name, _ in frame
                          if name.startswith("glTex")], [])


if __name__ == "__main__":
    unittest.main()
