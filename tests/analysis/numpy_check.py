#!/usr/bin/python3
"""Independent check of talvex-cli on a real data set with numpy: the
eigenvalues, eigenvectors, scores and jackknife estimates that the listing
prints agree with numpy's (LAPACK's) to the printed digits, each eigenvector
up to its sign. Exits 77 (skipped) when numpy is not installed.

Usage: numpy_check.py TALVEX_CLI DATAFILE"""
import os
import subprocess
import sys

try:
    import numpy as np
except ImportError:
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from data_matrix_values import read_values  # noqa: E402


def section(lines, title, count, skip=2):
    start = lines.index(title) + skip
    return [[float(v) for v in line.split()[1:]] for line in lines[start:start + count]]


def pca(X, method):
    C = np.cov(X, rowvar=False)
    if method == 'correlation':
        s = np.sqrt(np.diag(C)); C = C / np.outer(s, s)
    w, V = np.linalg.eigh(C)
    return w[::-1], V[:, ::-1]


def check(name, ours, theirs, decimals):
    tolerance = 0.5 * 10.0 ** -decimals + 1e-9
    worst = np.max(np.abs(np.asarray(ours) - np.asarray(theirs)))
    status = 'ok' if worst <= tolerance else 'FAIL'
    print('%-28s max deviation %.3g (printed to %d decimals) %s' % (name, worst, decimals, status))
    return worst <= tolerance


def run(cli, data, method, transform):
    out = subprocess.run([cli, '--method', method, '--transform', transform, data],
                         check=True, capture_output=True, text=True).stdout
    lines = out.split('\n')
    X = read_values(data)
    if transform == 'log10':
        X = np.log10(X)
    n, p = X.shape
    w, V = pca(X, method)
    ours_w = [row[0] for row in section(lines, 'i  Eigenvalue   % Variance  % Cumulative', p, 1)]
    ours_V = np.array(section(lines, 'Eigenvectors', p))
    signs = np.sign(np.sum(ours_V * V, axis=0))
    V = V * signs
    Z = X - X.mean(0)
    if method == 'correlation':
        Z = Z / X.std(0, ddof=1)
    ours_S = np.array(section(lines, 'Principal Component Scores', n))
    # Jackknife with the reduced axes turned towards the full-sample ones.
    pw = np.empty((n, p)); pv = np.empty((n, p, p))
    for i in range(n):
        wj, Vj = pca(np.delete(X, i, axis=0), method)
        Vj = Vj * np.where(np.sum(Vj * V, axis=0) < 0, -1.0, 1.0)
        pw[i] = n * w - (n - 1) * wj
        pv[i] = n * V - (n - 1) * Vj
    jk_w = section(lines, 'JK Eigenvalues', p, 3)
    jk_block = lines.index('JK Eigenvectors')
    jk_V = np.array([[float(line.split()[1]) for line in lines[jk_block + 3 + a * (p + 2):jk_block + 3 + a * (p + 2) + p]]
                     for a in range(p)]).T
    ok = True
    label = '%s/%s: ' % (method, transform)
    ok &= check(label + 'eigenvalues', ours_w, w, 6)
    ok &= check(label + 'eigenvectors', ours_V, V, 4)
    ok &= check(label + 'scores', ours_S, Z @ V, 3)
    ok &= check(label + 'JK eigenvalues', [r[0] for r in jk_w], pw.mean(0), 6)
    ok &= check(label + 'JK eigenvalue SE', [r[1] for r in jk_w], pw.std(0, ddof=1) / np.sqrt(n), 8)
    ok &= check(label + 'JK eigenvectors', jk_V, pv.mean(0), 4)
    return ok


def main():
    cli, data = sys.argv[1], sys.argv[2]
    ok = run(cli, data, 'correlation', 'none') & run(cli, data, 'covariance', 'log10')
    sys.exit(0 if ok else 1)


main()
