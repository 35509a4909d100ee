#!/usr/bin/python3
"""Checks the batched numpy peer against the plain one: on synthetic sets
(more objects than variables, and more variables than objects), under both
methods and with batches of several sizes, every jackknife estimate and
standard error of the batched peer equals the plain peer's loop (its own
reader and decomposition, one reduced sample at a time) to rounding, and the
line both print carries the same numbers. Exits 77 (skipped) without numpy.

Usage: check_peers.py [PLAIN_PEER]   (default: bench/peer_numpy.py)"""
import os
import subprocess
import sys
import tempfile

try:
    import numpy as np
except ImportError:
    sys.exit(77)

HERE = os.path.dirname(os.path.abspath(__file__))
SETS = [(60, 8), (40, 25), (12, 30)]


def plain_peer(path):
    """The plain peer's functions, without running its main()."""
    source = open(path).read()
    namespace = {'__name__': 'plain_peer', '__file__': path}
    exec(compile(source.replace('\nmain()\n', '\n'), path, 'exec'), namespace)
    return namespace


def plain_jackknife(peer, X, method):
    """The plain peer's loop, keeping every estimate and standard error."""
    n, p = X.shape
    w, V = peer['pca'](X, method)
    ps_w = np.empty((n, p))
    ps_v = np.empty((n, p, p))
    for i in range(n):
        wj, Vj = peer['pca'](np.delete(X, i, axis=0), method)
        sgn = np.sign(np.sum(Vj * V, axis=0))
        sgn[sgn == 0] = 1
        ps_w[i] = n * w - (n - 1) * wj
        ps_v[i] = n * V - (n - 1) * Vj * sgn
    return (ps_w.mean(0), np.sqrt(ps_w.var(0, ddof=1) / n),
            ps_v.mean(0), np.sqrt(ps_v.var(0, ddof=1) / n))


def printed_numbers(line):
    return np.array([float(t) for t in line.replace('[', ' ').replace(']', ' ').split()])


def close(a, b, scale):
    return np.allclose(a, b, rtol=1e-7, atol=1e-9 * scale)


def main():
    plain_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'peer_numpy.py')
    peer = plain_peer(plain_path)
    failures = 0
    with tempfile.TemporaryDirectory(prefix='talvex-peers-') as folder:
        for n, p in SETS:
            data = os.path.join(folder, 'data_%dx%d.nts' % (n, p))
            subprocess.run([sys.executable, os.path.join(HERE, 'make_data.py'), str(n), str(p),
                            '3', data], check=True)
            X = peer['read_nts'](data)
            rank = min(n - 2, p)  # the reduced samples' rank: axes beyond it are arbitrary
            for method in ('corr', 'cov'):
                expected = plain_jackknife(peer, X, method)
                plain_line = subprocess.run([sys.executable, plain_path, data, method],
                                            check=True, capture_output=True,
                                            text=True).stdout
                # A budget of a fraction of one sample's arrays gives batches
                # of one; the others split the objects unevenly.
                for budget in (0.001, 0.05, 256):
                    dump = os.path.join(folder, 'dump.npz')
                    line = subprocess.run([sys.executable, os.path.join(HERE,
                                           'peer_numpy_batched.py'), data, method, '--budget',
                                           str(budget), '--dump', dump], check=True,
                                          capture_output=True, text=True).stdout
                    got = np.load(dump)
                    scale = n * np.abs(got['w']).max()
                    checks = {
                        'printed line': close(printed_numbers(line),
                                              printed_numbers(plain_line), scale),
                        'eigenvalue estimates': close(got['est_w'][:rank], expected[0][:rank],
                                                      scale),
                        'eigenvalue errors': close(got['se_w'][:rank], expected[1][:rank], scale),
                        'vector estimates': close(got['est_v'][:, :rank],
                                                  expected[2][:, :rank], n),
                        'vector errors': close(got['se_v'][:, :rank], expected[3][:, :rank], n),
                    }
                    for name, ok in checks.items():
                        if not ok:
                            failures += 1
                            print('%dx%d %s budget %s: %s differ' % (n, p, method, budget, name))
    print('batched peer %s the plain peer (%s)' % ('differs from' if failures else 'agrees with',
                                                    plain_path))
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
