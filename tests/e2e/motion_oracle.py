"""The tunnel's vertices, the camera's calls and the statistics line, computed independently
of the demo as a correct implementation hands them to OpenGL: in double precision, rounded
once to single precision where the call takes a float."""

import math
import struct

FULL_TURN = 6.28318  # the mesh's whole turn: this decimal, a little short of 2 pi


def single(x):
    """x rounded to the nearest single-precision value."""
    return struct.unpack("f", struct.pack("f", x))[0]


def tunnel_strips(a=single(0.3), b=5.0, c=64.0, d=128.0):
    """Each quad strip of the torus as its list of calls: ("glTexCoord2f", [s, t]) before
    ("glVertex3f", [x, y, z]), step by step, band by band."""
    ring_step, tube_step = single(FULL_TURN / d), single(FULL_TURN / c)
    strips, phi = [], 0.0
    while True:
        far_phi = phi + ring_step
        edges = [(math.sin(p), math.cos(p), single(p / FULL_TURN)) for p in (phi, far_phi)]
        strip, theta = [], 0.0
        while True:
            next_theta = single(theta + tube_step)
            for angle in (theta, next_theta):
                z = single(a * math.sin(angle))
                ring_distance = b + a * math.cos(angle)
                for sin_phi, cos_phi, t in edges:
                    strip.append(("glTexCoord2f", [single(angle / FULL_TURN), t]))
                    strip.append(("glVertex3f", [single(ring_distance * cos_phi),
                                                 single(ring_distance * sin_phi), z]))
            theta = next_theta
            if not theta <= FULL_TURN:
                break
        strips.append(strip)
        phi = single(far_phi)
        if not phi <= FULL_TURN:
            return strips


def outside_camera(ticks):
    """The outside camera's calls for a frame whose clock read gave ticks."""
    return [("glTranslatef", [0.0, 0.0, -12.0]),
            ("glRotatef", [single(ticks / 7), 1.0, 0.0, 0.0]),
            ("glRotatef", [single(ticks / 10), 0.0, 0.0, 1.0])]


def inside_camera(ticks, travel):
    """The inside camera's calls for a frame, and the travel accumulator after it."""
    roll = (math.cos(ticks / 1000) + (math.sin(ticks / 2000) + 2)) * 360
    travel = int(travel + (5 * math.sin(ticks / 20) + 10)) % 2**32
    return [("glRotatef", [90.0, 0.0, 1.0, 0.0]),
            ("glRotatef", [single(roll), 1.0, 0.0, 0.0]),
            ("glTranslatef", [0.0, -5.0, 0.0]),
            ("glRotatef", [single(travel / 10), 0.0, 0.0, 1.0])], travel


def statistics(start, end, frames):
    """The line a run prints, from its start and end clock reads and its frame count."""
    elapsed = (end - start) % 2**32
    rate = frames * 1000 / elapsed if elapsed else math.inf
    return "Aika: %.3f sek, frm: %d kpl, fps: %.3f\n" % (elapsed / 1000, frames, rate)
