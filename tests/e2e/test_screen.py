"""What the real demo shows on screen, from screenshots of its window."""

import time
import unittest

import plasma_oracle
from harness import HEIGHT, WIDTH, Demo, colours, lit, virtual_display

BLACK = (0, 0, 0)


def pixel(shot, x, y):
    at = 3 * (y * WIDTH + x)
    return tuple(shot[at:at + 3])


class Screen(unittest.TestCase):
    def setUp(self):
        self.display = self.enterContext(virtual_display())

    def start(self, *flags):
        demo = Demo(self.display, *flags)
        self.addCleanup(demo.kill)
        time.sleep(0.7)
        return demo

    def test_outside_shows_a_lit_ring_round_a_black_centre(self):
        demo = self.start("-out-of-tunnel")
        # The ring tumbles about the horizontal axis: edge-on, for a few degrees in
        # every half turn, it crosses the centre. Look until it is not edge-on.
        for _ in range(12):
            shot = demo.screenshot()
            centre = [pixel(shot, x, y) for x in range(300, 340) for y in range(220, 260)]
            if all(colour == BLACK for colour in centre):
                break
            time.sleep(0.13)
        else:
            self.fail("the centre of the ring never showed black")
        row = [pixel(shot, x, HEIGHT // 2) for x in range(WIDTH)]
        # The ring's rim crosses the middle row once on each side, about 5/12 of the way out.
        self.assertTrue(any(lit(c) for c in row[:280]))
        self.assertTrue(any(lit(c) for c in row[360:]))
        self.assertFalse(any(lit(c) for c in row[:20] + row[-20:]))
        share = sum(lit(c) for c in colours(shot)) / (WIDTH * HEIGHT)
        self.assertGreater(share, 0.02)
        self.assertLess(share, 0.5)
        demo.quit()

    def test_inside_the_wall_covers_the_frame(self):
        demo = self.start()
        for _ in range(3):
            share = sum(lit(c) for c in colours(demo.screenshot())) / (WIDTH * HEIGHT)
            self.assertGreater(share, 0.95)
            time.sleep(0.2)
        demo.quit()

    def test_the_wall_wears_palette_colours(self):
        def close_share(shot):
            return plasma_oracle.share_near_palette([c for c in colours(shot) if lit(c)])

        for flags in ([], ["-stupid-plasma-on", "-no-moving-plasma"], ["-out-of-tunnel"]):
            with self.subTest(flags=flags):
                demo = self.start(*flags)
                shares = []
                for _ in range(3):
                    shares.append(close_share(demo.screenshot()))
                    time.sleep(0.3)
                demo.quit()
                # Linear filtering blends neighbouring texels, mostly of nearby entries, so
                # most pixels sit within a few steps of a palette colour (seen: 0.89 to
                # 0.99); where the wall recedes, texels far apart in the image blend too.
                # The same texture with two channels swapped scores 0.5 to 0.7.
                self.assertGreater(sorted(shares)[1], 0.8, shares)

    def test_moving_colours_change_from_one_moment_to_the_next(self):
        demo = self.start()
        first = demo.screenshot()
        time.sleep(0.15)
        second = demo.screenshot()
        changed = sum(a != b for a, b in zip(colours(first), colours(second)))
        self.assertGreater(changed / (WIDTH * HEIGHT), 0.5)
        demo.quit()


if __name__ == "__main__":
    unittest.main()
