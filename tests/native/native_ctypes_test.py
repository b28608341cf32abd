"""Calls Pirrow and Nadrix from Python through ctypes, every argument by address."""
import ctypes
import math
import sys
import unittest

PIRROW, NADRIX = sys.argv[1], sys.argv[2]
D = ctypes.c_double
I32 = ctypes.c_int32
DEG = math.pi / 180
A54, E2_54 = 6378245.0, 0.006693421622966


def ref(x):
    return ctypes.byref(x)


class Pirrow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lib = ctypes.CDLL(PIRROW)
        for name in ("Radius_Cal", "MArcLen_cal", "NArcLen_cal", "Three_Cor_cal"):
            getattr(cls.lib, name).restype = None

    def test_radius_at_equator(self):
        out = [D() for _ in range(4)]
        self.lib.Radius_Cal(ref(D(0)), ref(D(0)), ref(D(A54)), ref(D(E2_54)), *map(ref, out))
        N, M, R, RA = (v.value for v in out)
        self.assertEqual(N, A54)
        self.assertAlmostEqual(M, A54 * (1 - E2_54), places=6)
        self.assertAlmostEqual(M, 6335552.7170, places=4)
        self.assertEqual(RA, M)

    def arc(self, b1, b2):
        s = D(-1)
        self.lib.MArcLen_cal(ref(D(b1)), ref(D(b2)), ref(D(A54)), ref(D(E2_54)), ref(s))
        return s.value

    def test_meridian_arc_equal_and_reversed(self):
        self.assertEqual(self.arc(0.3, 0.3), 0.0)
        fwd, back = self.arc(0, DEG), self.arc(DEG, 0)
        self.assertAlmostEqual(fwd, 110576.3676, places=4)
        self.assertAlmostEqual(back, -fwd, places=3)

    def test_three_cor_integer_xi(self):
        du, dh, dg = D(), D(), D()
        args = [D(0), D(90 * DEG), D(45 * DEG), D(0), D(0), D(0), D(0)]
        self.lib.Three_Cor_cal(ref(I32(3)), *map(ref, args), ref(du), ref(dh), ref(dg))
        self.assertAlmostEqual(du.value, 3.0, places=12)


class Nadrix(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lib = ctypes.CDLL(NADRIX)
        cls.lib.inv.restype = None

    def call(self, a, b, job, n):
        am, bm, ier = (D * len(a))(*a), (D * len(b))(*b), I32(-1)
        self.lib.inv(am, bm, ref(I32(job)), ref(I32(n)), ref(ier))
        return list(am), list(bm), ier.value

    def test_order_one_job_three(self):
        self.assertEqual(self.call([4.0], [2.0], 3, 1), ([0.25], [0.5], 0))

    def test_bad_job_is_silent_129(self):
        for job in (0, 5):
            self.assertEqual(self.call([2.0, 1.0, 3.0], [7.0, 8.0], job, 2),
                             ([2.0, 1.0, 3.0], [7.0, 8.0], 129))

    def test_singular_gives_130(self):
        _, b, ier = self.call([1.0, 1.0, 1.0], [1.0, 1.0], 3, 2)
        self.assertEqual(ier, 130)
        self.assertEqual(b, [1.0, 1.0])

    def test_inverse_of_two_by_two(self):
        # [[4, 2], [2, 3]]: inverse [[3, -2], [-2, 4]] / 8
        a, _, ier = self.call([4.0, 2.0, 3.0], [0.0, 0.0], 1, 2)
        self.assertEqual(ier, 0)
        for got, want in zip(a, [3 / 8, -2 / 8, 4 / 8]):
            self.assertAlmostEqual(got, want, places=14)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
