#!/usr/bin/python3
"""Independent check of the diagnostics with numpy: for the iris data
(covariances of decimal logarithms) and a random 40 x 8 set (correlations),
talvex-cli --results OUT.json gives the influence values (Efron's,
standardised), angles, 95%
intervals and the matched-axes jackknife that numpy's (LAPACK's) leave-one-out
decompositions give. The t quantile comes from integrating the t density.
Exits 77 (skipped) when numpy is not installed.

Usage: diagnostics_numpy_check.py TALVEX_CLI IRIS_FILE"""
import json
import math
import os
import subprocess
import sys
import tempfile

try:
    import numpy as np
except ImportError:
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from data_matrix_values import read_values  # noqa: E402


def t_quantile(df, p):
    c = math.exp(math.lgamma((df + 1) / 2) - math.lgamma(df / 2)) / math.sqrt(df * math.pi)
    x = np.linspace(0.0, 1.0, 20001)

    def cdf(t):
        f = c * (1 + (x * t) ** 2 / df) ** (-(df + 1) / 2) * t
        return 0.5 + (f[0] + f[-1] + 4 * f[1:-1:2].sum() + 2 * f[2:-1:2].sum()) / 60000
    lo, hi = 0.0, 50.0
    for _ in range(100):
        mid = (lo + hi) / 2
        lo, hi = (mid, hi) if cdf(mid) < p else (lo, mid)
    return (lo + hi) / 2


def pca(X, method):
    C = np.cov(X, rowvar=False)
    if method == 'correlation':
        s = np.sqrt(np.diag(C)); C = C / np.outer(s, s)
    w, V = np.linalg.eigh(C)
    return w[::-1], V[:, ::-1]


def greedy(C):
    k = C.shape[0]; perm = [None] * k; used_r = set()
    for flat in np.argsort(-C, axis=None, kind='stable'):
        a, b = divmod(int(flat), k)
        if perm[a] is None and b not in used_r:
            perm[a] = b; used_r.add(b)
    return perm


def jackknife(pvs):
    pvs = np.asarray(pvs); n = len(pvs); mean = pvs.mean(0)
    return mean, np.sqrt(((pvs - mean) ** 2).sum(0) / (n * (n - 1)))


def table(doc, name):
    return next(t for t in doc['tables'] if t['name'] == name)['rows']


def compare(name, ours, theirs, tolerance):
    ours = np.asarray(ours, float); theirs = np.asarray(theirs, float)
    worst = np.max(np.abs(ours - theirs) / np.maximum(1.0, np.abs(theirs)))
    ok = worst <= tolerance
    print('%-40s max deviation %.3g %s' % (name, worst, 'ok' if ok else 'FAIL'))
    return ok


def check(cli, path, method, transform, label):
    X = read_values(path)
    if transform == 'log10':
        X = np.log10(X)
    n, p = X.shape
    docs = {}
    with tempfile.TemporaryDirectory() as tmp:
        for match in (False, True):
            out = os.path.join(tmp, 'r.json')
            subprocess.run([cli, '--method', method, '--transform', transform, '--results', out,
                            '--report', os.devnull] + (['--match-axes'] if match else []) + [path],
                           check=True, capture_output=True)
            docs[match] = json.load(open(out))
    w, V = pca(X, method)
    ours_V = np.array([r[1:] for r in table(docs[False], 'Eigenvectors')])
    V = V * np.sign(np.sum(V * ours_V, axis=0))  # the program's signs
    k = p
    vals, vecs, mvals, mvecs, changes, angles = [], [], [], [], [], []
    for i in range(n):
        wi, Vi = pca(np.delete(X, i, 0), method)
        C = np.abs(V.T @ Vi)
        angles.append(np.degrees(np.arccos(np.minimum(1.0, np.diag(C)))))
        changes.append(wi - w)
        A = Vi * np.where(np.sum(V * Vi, axis=0) < 0, -1.0, 1.0)
        vals.append(n * w - (n - 1) * wi); vecs.append(n * V - (n - 1) * A)
        perm = greedy(C)
        B = Vi[:, perm]; B = B * np.where(np.sum(V * B, axis=0) < 0, -1.0, 1.0)
        mvals.append(n * w - (n - 1) * wi[perm]); mvecs.append(n * V - (n - 1) * B)
    val_est, val_se = jackknife(vals)
    vec_est, vec_se = jackknife(vecs)
    mval_est, mval_se = jackknife(mvals)
    mvec_est, mvec_se = jackknife(mvecs)
    # Efron's influence, (n - 1)(mean of the reduced values - reduced value),
    # over its root mean square over the objects.
    reduced = np.array(changes) + w
    u = (n - 1) * (reduced.mean(0) - reduced)
    u = u / np.sqrt(np.mean(u * u, axis=0))
    t = t_quantile(n - 1, 0.975)
    interval_tolerance = 1e-6  # the intervals use Student's t exactly
    ok = True
    influence = table(docs[False], 'Influence')
    # Eigenvalues left out of the influence have no values (null).
    used = [a for a in range(k) if influence[0][3 + a] is not None]
    ok &= compare(label + ' influence', [r[1] for r in influence],
                  np.abs(u[:, used]).max(1), 1e-6)
    ok &= compare(label + ' standardised influences', [[r[3 + a] for a in used] for r in influence],
                  u[:, used], 1e-6)
    ok &= compare(label + ' eigenvalues in the influence', [len(used) > 0], [True], 0)
    ok &= compare(label + ' angles (degrees)', [r[3 + k:] for r in influence], angles, 1e-4)
    jk = table(docs[False], 'JK eigenvalues')
    ok &= compare(label + ' eigenvalue intervals',
                  [[r[4], r[5]] for r in jk], np.column_stack([val_est - t * val_se,
                                                               val_est + t * val_se]), interval_tolerance)
    jv = table(docs[False], 'JK eigenvectors')
    ours = np.array([[r[2], r[5], r[6]] for r in jv])
    est = vec_est.T.reshape(-1); se = vec_se.T.reshape(-1)
    ok &= compare(label + ' eigenvector intervals', ours,
                  np.column_stack([est, est - t * se, est + t * se]), interval_tolerance)
    mjk = table(docs[True], 'JK eigenvalues')
    ok &= compare(label + ' matched eigenvalues (est, SE)', [[r[1], r[2]] for r in mjk],
                  np.column_stack([mval_est, mval_se]), 1e-6)
    mjv = table(docs[True], 'JK eigenvectors')
    ok &= compare(label + ' matched eigenvectors (est, SE)', [[r[2], r[3]] for r in mjv],
                  np.column_stack([mvec_est.T.reshape(-1), mvec_se.T.reshape(-1)]), 1e-6)
    return ok


def main():
    cli, iris = sys.argv[1:3]
    ok = check(cli, iris, 'covariance', 'log10', 'iris')
    rng = np.random.default_rng(20261207)
    X = rng.normal(size=(40, 8)) @ rng.normal(size=(8, 8))
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'random.nts')
        with open(path, 'w') as f:
            f.write('"random 40 x 8\n1 40 8 0\n')
            for row in X:
                f.write(' '.join('%.17g' % v for v in row) + '\n')
        ok &= check(cli, path, 'correlation', 'none', 'random 40 x 8')
    sys.exit(0 if ok else 1)


main()
