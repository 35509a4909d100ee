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
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
# First: without numpy it exits 77 (skipped).
from numpy_check_support import (np, compare, greedy, pseudo_value_jackknife,  # noqa: E402
                                 t_quantile, table_rows)
from data_matrix_values import read_values  # noqa: E402


def pca(X, method):
    C = np.cov(X, rowvar=False)
    if method == 'correlation':
        s = np.sqrt(np.diag(C)); C = C / np.outer(s, s)
    w, V = np.linalg.eigh(C)
    return w[::-1], V[:, ::-1]


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
    ours_V = np.array([r[1:] for r in table_rows(docs[False], 'Eigenvectors')])
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
    val_est, val_se = pseudo_value_jackknife(vals)
    vec_est, vec_se = pseudo_value_jackknife(vecs)
    mval_est, mval_se = pseudo_value_jackknife(mvals)
    mvec_est, mvec_se = pseudo_value_jackknife(mvecs)
    # Efron's influence, (n - 1)(mean of the reduced values - reduced value),
    # over its root mean square over the objects.
    reduced = np.array(changes) + w
    u = (n - 1) * (reduced.mean(0) - reduced)
    u = u / np.sqrt(np.mean(u * u, axis=0))
    t = t_quantile(n - 1, 0.975)
    interval_tolerance = 1e-6  # the intervals use Student's t exactly
    ok = True
    influence = table_rows(docs[False], 'Influence')
    # Eigenvalues left out of the influence have no values (null).
    used = [a for a in range(k) if influence[0][3 + a] is not None]
    ok &= compare(label + ' influence', [r[1] for r in influence],
                  np.abs(u[:, used]).max(1), 1e-6)
    ok &= compare(label + ' standardised influences', [[r[3 + a] for a in used] for r in influence],
                  u[:, used], 1e-6)
    ok &= compare(label + ' eigenvalues in the influence', [len(used) > 0], [True], 0)
    ok &= compare(label + ' angles (degrees)', [r[3 + k:] for r in influence], angles, 1e-4)
    jk = table_rows(docs[False], 'JK eigenvalues')
    ok &= compare(label + ' eigenvalue intervals',
                  [[r[4], r[5]] for r in jk], np.column_stack([val_est - t * val_se,
                                                               val_est + t * val_se]), interval_tolerance)
    jv = table_rows(docs[False], 'JK eigenvectors')
    ours = np.array([[r[2], r[5], r[6]] for r in jv])
    est = vec_est.T.reshape(-1); se = vec_se.T.reshape(-1)
    ok &= compare(label + ' eigenvector intervals', ours,
                  np.column_stack([est, est - t * se, est + t * se]), interval_tolerance)
    mjk = table_rows(docs[True], 'JK eigenvalues')
    ok &= compare(label + ' matched eigenvalues (est, SE)', [[r[1], r[2]] for r in mjk],
                  np.column_stack([mval_est, mval_se]), 1e-6)
    mjv = table_rows(docs[True], 'JK eigenvectors')
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
