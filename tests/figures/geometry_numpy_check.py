#!/usr/bin/python3
"""Independent check of the group regions with numpy: for random clouds (small
and large, elongated and rotated, far from the origin, with repeated and
collinear points), the concentration ellipse and the confidence ellipse of
the mean agree with numpy's covariance and eigen-decomposition, their scale
factors with the chi-square (2) and F (2, n - 2) quantiles found by
integrating the densities, the outline points lie on the ellipse, and the
convex hull is the one gift wrapping finds. Exits 77 (skipped) when numpy is
not installed.

Usage: geometry_numpy_check.py GEOMETRY_PROBE"""
import math
import subprocess
import sys

try:
    import numpy as np
except ImportError:
    sys.exit(77)

LEVELS = (0.95, 0.5, 0.99)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def simpson(f, a, b, steps=20000):
    x = np.linspace(a, b, steps + 1)
    y = f(x)
    h = (b - a) / steps
    return h / 3 * (y[0] + y[-1] + 4 * y[1:-1:2].sum() + 2 * y[2:-1:2].sum())


def chi2_2_cdf(q):
    return simpson(lambda x: 0.5 * np.exp(-x / 2), 0.0, q)


def f_2_m_cdf(q, m):
    """The F(2, m) density (1 + 2x/m)^-(1 + m/2) integrated over [0, q] in
    t = ln(1 + 2x/m), where its long tail becomes smooth: dx = m/2 e^t dt."""
    return simpson(lambda t: m / 2 * np.exp(-t * m / 2), 0.0, math.log1p(2 * q / m))


def gift_wrap(points):
    """Convex hull vertices (collinear ones dropped), counter-clockwise from
    the lowest point (the leftmost of those)."""
    pts = sorted(set(points))
    if len(pts) <= 2:
        return pts
    start = min(pts, key=lambda p: (p[1], p[0]))
    hull = [start]
    current = start
    while True:
        candidate = None
        for p in pts:
            if p == current:
                continue
            if candidate is None:
                candidate = p
                continue
            cross = ((candidate[0] - current[0]) * (p[1] - current[1]) -
                     (candidate[1] - current[1]) * (p[0] - current[0]))
            farther = (math.dist(current, p) > math.dist(current, candidate))
            # p lies clockwise of the candidate, or on its line but farther:
            # the candidate is not the next vertex.
            if cross < 0 or (cross == 0 and farther):
                candidate = p
        if candidate == start:
            break
        hull.append(candidate)
        current = candidate
        if len(hull) > len(pts):
            raise RuntimeError('gift wrapping did not close')
    return hull


def point_sets():
    rng = np.random.default_rng(20240617)
    sets = []
    for n in (3, 4, 7, 30, 150, 1000):
        for _ in range(3):
            angle = rng.uniform(-math.pi, math.pi)
            rotation = np.array([[math.cos(angle), -math.sin(angle)],
                                 [math.sin(angle), math.cos(angle)]])
            scale = np.diag(rng.uniform(0.1, 5.0, 2))
            xy = rng.standard_normal((n, 2)) @ scale @ rotation.T + rng.uniform(-10, 10, 2)
            sets.append([tuple(p) for p in xy])
    far = rng.standard_normal((60, 2)) * [0.01, 0.003] + [1e6, -2e5]
    sets.append([tuple(p) for p in far])
    grid = [(float(i), float(j)) for i in range(-3, 4) for j in range(0, 5)]
    sets.append(grid + grid[:7])  # collinear points on every edge, repeated points
    sets.append([(0.0, 0.0), (1.0, 1.0), (2.0, 2.0), (3.0, 3.0)])  # one line: no ellipse
    sets.append([(0.0, 0.0), (1.0, 0.0)])  # too few
    sets.append([(1.0, 2.0)] * 5)  # one point repeated
    return sets


def ellipse_of(xy, factor):
    mean = xy.mean(axis=0)
    values, vectors = np.linalg.eigh(np.cov(xy, rowvar=False, ddof=1))
    return mean, np.sqrt(factor * values[::-1]), vectors[:, ::-1], np.cov(xy, rowvar=False)


def check_ellipse(name, line, xy, level, factor_of_quantile, cdf):
    n = len(xy)
    fields = line.split()
    check(fields[0] == name, f'{name}: got {line}')
    values = np.linalg.eigvalsh(np.cov(xy, rowvar=False)) if n >= 3 else None
    singular = values is None or values[0] <= 1e-12 * values[1]
    if singular:
        check(fields[1] == 'none', f'{name} of {n} points should be none: {line}')
        return
    if fields[1] == 'none':
        failures.append(f'{name} of {n} points missing')
        return
    cx, cy, a, b, angle = map(float, fields[1:])
    major, minor = values[1], values[0]
    factor = a * a / major
    check(abs(b * b / minor - factor) <= 1e-9 * factor, f'{name}: radii of different scale')
    quantile = factor_of_quantile(factor)
    check(abs(cdf(quantile) - level) < 1e-7, f'{name}: level {cdf(quantile)} for {level}')
    mean = xy.mean(axis=0)
    spread = math.sqrt(major)
    check(abs(cx - mean[0]) <= 1e-9 * (spread + abs(mean[0])), f'{name}: centre x {cx} {mean[0]}')
    check(abs(cy - mean[1]) <= 1e-9 * (spread + abs(mean[1])), f'{name}: centre y {cy} {mean[1]}')
    vectors = np.linalg.eigh(np.cov(xy, rowvar=False))[1]
    direction = np.array([math.cos(angle), math.sin(angle)])
    if (major - minor) > 1e-6 * major:  # a circle has no major axis to compare
        check(abs(abs(direction @ vectors[:, 1]) - 1) < 1e-9, f'{name}: angle {angle}')


def main():
    probe = sys.argv[1]
    sets = point_sets()
    text = []
    cases = []
    for points in sets:
        for level in LEVELS:
            text.append(f'set {len(points)} {level!r}')
            text.extend(f'{x!r} {y!r}' for x, y in points)
            cases.append((points, level))
    out = subprocess.run([probe], input='\n'.join(text) + '\n', capture_output=True, text=True,
                         check=True).stdout.splitlines()
    at = 0
    for points, level in cases:
        xy = np.array(points, dtype=float)
        n = len(points)
        check_ellipse('concentration', out[at], xy, level, lambda f: f, chi2_2_cdf)
        check_ellipse('mean', out[at + 1], xy, level,
                      lambda f: f * n * (n - 2) / (2 * (n - 1)),
                      lambda q: f_2_m_cdf(q, n - 2))
        at += 2
        count = int(out[at].split()[1])
        outline = np.array([list(map(float, l.split())) for l in out[at + 1:at + 1 + count]])
        at += 1 + count
        if count:
            mean = xy.mean(axis=0)
            inverse = np.linalg.inv(np.cov(xy, rowvar=False))
            d = outline - mean
            distances = np.einsum('ij,jk,ik->i', d, inverse, d)
            factor = -2 * math.log(1 - level)
            # Far from the origin the differences lose digits: the rounding of
            # the coordinates, relative to the smaller radius, sets the tolerance.
            minor = math.sqrt(factor * np.linalg.eigvalsh(np.cov(xy, rowvar=False))[0])
            lost = np.abs(outline).max() * np.finfo(float).eps / minor
            check(np.all(np.abs(distances - factor) <= (1e-9 + 8 * lost) * factor),
                  f'outline off the ellipse for {n} points: {np.abs(distances - factor).max()}')
        count = int(out[at].split()[1])
        hull = [tuple(map(float, l.split())) for l in out[at + 1:at + 1 + count]]
        at += 1 + count
        expected = gift_wrap(points)
        check(hull == expected, f'hull of {n} points: {hull[:6]} ... expected {expected[:6]} ...')
    check(at == len(out), 'extra output')
    for failure in failures[:20]:
        print('FAIL:', failure)
    print(f'{len(cases)} cases, {len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
