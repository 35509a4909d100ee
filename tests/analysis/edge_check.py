#!/usr/bin/python3
"""Independent check of talvex-cli at the edges, on the data files of
tests/analysis/data, against reduced samples decomposed one by one here:

- six_by_five.nts, cars_12x11.nts (one variable fewer than objects): the
  jackknife of every axis, the last included, whose reduced axis is the
  reduced sample's only null direction (numpy);
- tiny_eigenvalue.nts (covariance eigenvalues from 1.3e8 down to 2.1e-9):
  the jackknife of every eigenvalue, the reduced eigenvalues found by Jacobi
  rotations in 50-digit decimals from covariances formed in exact rational
  arithmetic of the stored doubles;
- tied_eigenvalues.nts (covariance eigenvalues 5, 1, 1, 0.1): the SE of
  eigenvalue 2 is exactly 0, the others as numpy's, and the tied pair is
  left out of the influence;
- fifty_on_a_line.nts (t values near 2000 at 49 degrees of freedom): the
  exact P values of the full results, from Student's t evaluated in 80-digit
  decimals (tests/support/exact_student_t.py);
- the influence table against Efron's influence of the reduced eigenvalues,
  standardised, on the cars.

Usage: edge_check.py TALVEX_CLI DATA_FOLDER. Exits 77 (skipped) without numpy."""
import json
import os
import subprocess
import sys
import tempfile
from decimal import Decimal, getcontext
from fractions import Fraction

try:
    import numpy as np
except ImportError:
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from data_matrix_values import read_values  # noqa: E402
from exact_student_t import upper_tail  # noqa: E402

failures = []


def check(name, ok, detail=''):
    print('%-60s %s %s' % (name, 'ok' if ok else 'FAIL', detail))
    if not ok:
        failures.append(name)


def run(cli, data, method, folder):
    out = os.path.join(folder, 'all.json')
    subprocess.run([cli, '--method', method, '--results', out, data], check=True,
                   capture_output=True)
    with open(out) as f:
        tables = {t['name']: t for t in json.load(f)['tables']}
    return tables


def pca(X, method):
    C = np.cov(X, rowvar=False)
    if method == 'correlation':
        s = np.sqrt(np.diag(C))
        C = C / np.outer(s, s)
    w, V = np.linalg.eigh(C)
    return w[::-1], V[:, ::-1]


def jackknife(full, reduced):
    """Estimates and standard errors of the pseudo-values n full - (n-1) reduced."""
    n = reduced.shape[0]
    pv = n * full - (n - 1) * reduced
    return pv.mean(0), pv.std(0, ddof=1) / np.sqrt(n)


def close(ours, theirs, rel, absolute=0.0):
    """All within rel |theirs| + absolute; and the worst deviation in units of that."""
    ours, theirs = np.asarray(ours, float), np.asarray(theirs, float)
    scaled = np.abs(ours - theirs) / (rel * np.abs(theirs) + absolute)
    return np.all(scaled <= 1.0), np.max(scaled)


def rank_boundary(cli, data, method, folder):
    X = read_values(data)
    n, p = X.shape
    w, V = pca(X, method)
    rw, rV = np.empty((n, p)), np.empty((n, p, p))
    for i in range(n):
        wi, Vi = pca(np.delete(X, i, axis=0), method)
        rw[i] = wi
        rV[i] = Vi * np.where(np.sum(Vi * V, axis=0) < 0, -1.0, 1.0)
    rw[:, p - 1] = 0.0  # rank p - 1: the last eigenvalue is zero
    t = run(cli, data, method, folder)
    # The full-sample axes with the program's signs, which the pseudo-values
    # carry; the reduced ones turned towards them.
    ours_V = np.array([r[1:] for r in t['Eigenvectors']['rows']], float)
    flip = np.where(np.sum(ours_V * V, axis=0) < 0, -1.0, 1.0)
    V, rV = V * flip, rV * flip
    est_w, se_w = jackknife(w, rw)
    est_V, se_V = jackknife(V, rV)
    rows = t['JK eigenvectors']['rows']
    ours_est = np.array([[r[2] for r in rows if r[0] == a] for a in range(1, p + 1)]).T
    ours_se = np.array([[r[3] for r in rows if r[0] == a] for a in range(1, p + 1)]).T
    name = '%s %s' % (os.path.basename(data), method)
    ok, worst = close(ours_est, est_V, 1e-6, 1e-9)
    check(name + ': coefficient estimates, every axis', ok, '(%.2g)' % worst)
    ok, worst = close(ours_se, se_V, 1e-6, 1e-9)
    check(name + ': coefficient SEs, every axis', ok, '(%.2g)' % worst)
    check(name + ': the last axis has a spread', np.all(ours_se[:, p - 1] > 1e-3))
    values = t['JK eigenvalues']['rows']
    ok, worst = close([r[1] for r in values], est_w, 1e-8, 1e-12)
    check(name + ': eigenvalue estimates', ok, '(%.2g)' % worst)
    ok, worst = close([r[2] for r in values], se_w, 1e-6, 1e-12)
    check(name + ': eigenvalue SEs', ok, '(%.2g)' % worst)
    return t, w, rw


def exact_covariance_eigenvalues(rows):
    getcontext().prec = 50
    n, p = len(rows), len(rows[0])
    m = [sum(r[j] for r in rows) / n for j in range(p)]
    S = [[sum((r[a] - m[a]) * (r[b] - m[b]) for r in rows) / (n - 1) for b in range(p)]
         for a in range(p)]
    A = [[Decimal(x.numerator) / Decimal(x.denominator) for x in row] for row in S]
    for _ in range(100):
        off = sum(A[i][j] ** 2 for i in range(p) for j in range(p) if i != j)
        if off <= Decimal(10) ** -95 * sum(A[i][i] ** 2 for i in range(p)):
            break
        for i in range(p):
            for j in range(i + 1, p):
                if A[i][j] == 0:
                    continue
                theta = (A[j][j] - A[i][i]) / (2 * A[i][j])
                t = (1 if theta >= 0 else -1) / (abs(theta) + (theta * theta + 1).sqrt())
                c = 1 / (t * t + 1).sqrt()
                s = t * c
                for k in range(p):
                    A[k][i], A[k][j] = c * A[k][i] - s * A[k][j], s * A[k][i] + c * A[k][j]
                for k in range(p):
                    A[i][k], A[j][k] = c * A[i][k] - s * A[j][k], s * A[i][k] + c * A[j][k]
    return sorted((A[i][i] for i in range(p)), reverse=True)


def tiny_eigenvalue(cli, data, folder):
    X = read_values(data)
    rows = [[Fraction(float(v)) for v in r] for r in X]
    n = len(rows)
    # The program's own full-sample eigenvalues (the listing's scheme) enter
    # the pseudo-values; the reduced ones are checked against exact values.
    t = run(cli, data, 'covariance', folder)
    full = np.array([r[1] for r in t['Eigenvalues']['rows']])
    exact_full = np.array([float(v) for v in exact_covariance_eigenvalues(rows)])
    ok, worst = close(full, exact_full, 1e-7)
    check('tiny_eigenvalue: full-sample eigenvalues (reference)', ok, '(%.2g)' % worst)
    reduced = np.array([[float(v) for v in exact_covariance_eigenvalues(rows[:i] + rows[i + 1:])]
                        for i in range(n)])
    est, se = jackknife(full, reduced)
    values = t['JK eigenvalues']['rows']
    ok, worst = close([r[1] for r in values], est, 1e-7)
    check('tiny_eigenvalue: eigenvalue estimates, relative', ok, '(%.2g)' % worst)
    ok, worst = close([r[2] for r in values], se, 1e-7)
    check('tiny_eigenvalue: eigenvalue SEs, relative', ok, '(%.2g)' % worst)
    p_exact = [float(upper_tail(n - 1, e / s)) for e, s in zip(est, se)]
    ok, worst = close([r[3] for r in values], p_exact, 1e-4)
    check('tiny_eigenvalue: P values', ok, '(%.2g)' % worst)


def tied_eigenvalues(cli, data, folder):
    # Eigenvalues 5, 1, 1, 0.1: leaving out an object lowers one of the tied
    # pair and keeps the other at (n - 1) / (n - 2) exactly (interlacing),
    # so the SE of eigenvalue 2 is 0, and 2 and 3 are tied.
    X = read_values(data)
    n = X.shape[0]
    t = run(cli, data, 'covariance', folder)
    values = t['JK eigenvalues']['rows']
    check('tied_eigenvalues: eigenvalue 2 has SE 0', values[1][2] == 0, str(values[1][2]))
    w, _ = pca(X, 'covariance')
    rw = np.array([pca(np.delete(X, i, axis=0), 'covariance')[0] for i in range(n)])
    est, se = jackknife(w, rw)
    # n - (n - 1)^2 / (n - 2) for eigenvalue 2.
    ok, worst = close([r[1] for r in values], est, 1e-9)
    check('tied_eigenvalues: estimates', ok, '(%.2g)' % worst)
    ok, worst = close([values[c][2] for c in (0, 2, 3)], [se[c] for c in (0, 2, 3)], 1e-8)
    check('tied_eigenvalues: the other SEs', ok, '(%.2g)' % worst)
    rows = t['Influence']['rows']
    left_out = [a for a in range(4) if all(r[3 + a] is None for r in rows)]
    check('tied_eigenvalues: eigenvalues 2 and 3 left out of the influence', left_out == [1, 2],
          str(left_out))
    check('tied_eigenvalues: no object beyond the threshold by rounding',
          all(r[2] == 'no' for r in rows) or max(r[1] for r in rows) < 1e3)


def small_probabilities(cli, data, folder):
    t = run(cli, data, 'covariance', folder)
    n = read_values(data).shape[0]
    worst = 0.0
    for name, est, se, p in (('JK eigenvalues', 1, 2, 3), ('JK eigenvectors', 2, 3, 4)):
        for r in t[name]['rows']:
            if r[se] == 0:
                continue
            tv = abs(r[est]) / r[se]
            exact = float(upper_tail(n - 1, tv))
            if exact > 1e-300:
                worst = max(worst, abs(r[p] - exact) / exact)
    smallest = min(r[4] for r in t['JK eigenvectors']['rows'])
    check('fifty_on_a_line: exact P values (df 49)', worst < 1e-9, '(%.2g)' % worst)
    check('fifty_on_a_line: P far below the old floor 2.5e-11', smallest < 1e-30,
          '(%.3g)' % smallest)


def influence(cli, data, tables, w, rw):
    n = rw.shape[0]
    rows = tables['Influence']['rows']
    k = (len(tables['Influence']['columns']) - 3) // 2
    worst = 0.0
    for a in range(k):
        if any(r[3 + a] is None for r in rows):
            continue
        u = (n - 1) * (rw[:, a].mean() - rw[:, a])
        u = u / np.sqrt(np.mean(u * u))
        worst = max(worst, np.max(np.abs(np.array([r[3 + a] for r in rows]) - u)))
    check('%s: standardised influence' % os.path.basename(data), worst < 1e-6, '(%.2g)' % worst)


def main():
    cli, folder_in = sys.argv[1], sys.argv[2]
    data = lambda name: os.path.join(folder_in, name)  # noqa: E731
    with tempfile.TemporaryDirectory() as folder:
        for method in ('correlation', 'covariance'):
            rank_boundary(cli, data('six_by_five.nts'), method, folder)
            tables, w, rw = rank_boundary(cli, data('cars_12x11.nts'), method, folder)
        influence(cli, data('cars_12x11.nts'), tables, w, rw)
        tiny_eigenvalue(cli, data('tiny_eigenvalue.nts'), folder)
        tied_eigenvalues(cli, data('tied_eigenvalues.nts'), folder)
        small_probabilities(cli, data('fifty_on_a_line.nts'), folder)
    sys.exit(1 if failures else 0)


main()
