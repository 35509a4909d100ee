#!/usr/bin/python3
"""Independent check of the supplementary items with numpy, from their
definition: talvex-cli --results OUT.json places supplementary objects,
variables and group means where numpy puts them, and its jackknife of them
equals the one formed by decomposing every reduced sample anew (its own
means, standard deviations and eigenvectors, each axis's sign aligned with
the full sample's), projecting, and forming pseudo-values.

Cases: iris as a table with virginica as supplementary rows and petal width
as a supplementary variable (correlations, and covariances of decimal
logarithms); a random 40 x 8 table with supplementary rows picked by a
column, two supplementary variables and a qualitative one; the same random
objects given as a second file. Exits 77 (skipped) without numpy.

Usage: supplementary_numpy_check.py TALVEX_CLI IRIS_FILE"""
import csv
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
    """Means, scaling, eigenvalues (descending) and eigenvectors of X."""
    m = X.mean(0)
    s = X.std(0, ddof=1)
    C = np.cov(X, rowvar=False)
    if method == 'correlation':
        C = C / np.outer(s, s)
    w, V = np.linalg.eigh(C)
    scale = s if method == 'correlation' else np.ones_like(s)
    return m, scale, w[::-1], V[:, ::-1]


def place(X, rows, Y, groups, method, k, reference=None, match=False):
    """Scores of `rows`, correlations of the columns of Y with the active
    scores, and the mean score of each group (list of (active indices,
    supplementary indices)), on the first k axes of X's analysis, matched
    one-to-one to the reference axes first when `match`."""
    m, scale, w, V = pca(X, method)
    V = V[:, :k]
    if match:
        V = V[:, greedy(np.abs(reference.T @ V))]
    if reference is not None:
        V = V * np.where((V * reference).sum(0) < 0, -1.0, 1.0)
    active = ((X - m) / scale) @ V
    sup = ((rows - m) / scale) @ V
    corr = np.array([[np.corrcoef(Y[:, v], active[:, a])[0, 1] for a in range(k)]
                     for v in range(Y.shape[1])]).reshape(Y.shape[1], k)
    means = np.array([np.vstack([active[act], sup[su]]).mean(0) for act, su in groups]).reshape(len(groups), k)
    return V, sup, corr, means


def jackknife(X, rows, Y, groups, method, k, V, match=False):
    n = X.shape[0]
    _, sup, corr, means = place(X, rows, Y, groups, method, k, V)
    full = np.concatenate([sup.ravel(), corr.ravel(), means.ravel()])
    pvs = []
    for i in range(n):
        keep = np.arange(n) != i
        # Group members are renumbered in the reduced sample.
        index = np.cumsum(keep) - 1
        reduced_groups = [([index[j] for j in act if j != i], su) for act, su in groups]
        _, s2, c2, m2 = place(X[keep], rows, Y[keep], reduced_groups, method, k, V, match)
        reduced = np.concatenate([s2.ravel(), c2.ravel(), m2.ravel()])
        pvs.append(n * full - (n - 1) * reduced)
    estimate, se = pseudo_value_jackknife(pvs)
    return full, estimate, se


def run(cli, work, arguments):
    out = os.path.join(work, 'out.json')
    result = subprocess.run([cli, '--report', os.path.join(work, 'listing.txt'),
                             '--results', out] + arguments,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit('talvex-cli failed: %s\n%s' % (' '.join(arguments), result.stderr))
    return json.load(open(out))


def check(label, doc, X, rows, Y, groups, method, transform, match=False):
    """Compares the JSON tables with numpy; X, rows transformed already."""
    ok = True
    n, p = X.shape
    V = np.array([r[1:] for r in table_rows(doc, 'Eigenvectors')], float)
    k = V.shape[1]
    full, estimate, se = jackknife(X, rows, Y, groups, method, k, V, match)
    t = t_quantile(n - 1, 0.975)
    ours = []
    if len(rows):
        ours += table_rows(doc, 'Supplementary scores')
    if Y.shape[1]:
        ours += table_rows(doc, 'Supplementary variables')
    if groups:
        ours += table_rows(doc, 'Group means')
    # Each row ends with axis, value, estimate, SE, lower, upper.
    values = np.array([r[-6:] for r in ours], float)
    ok &= compare(label + ': values', values[:, 1], full, 1e-10)
    ok &= compare(label + ': jackknife estimates', values[:, 2], estimate, 1e-8)
    ok &= compare(label + ': jackknife SEs', values[:, 3], se, 1e-8)
    ok &= compare(label + ': 95% intervals', values[:, 4:6],
                  np.column_stack([estimate - t * se, estimate + t * se]), 1e-6)
    return ok


def write_csv(path, header, rows):
    with open(path, 'w', newline='') as f:
        writer = csv.writer(f)
        writer.writerow(header)
        writer.writerows(rows)


def main():
    cli, iris_path = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix='talvex-supplementary-')
    ok = True

    # Iris: virginica supplementary, petal width a supplementary variable.
    values = read_values(iris_path)
    species = ['setosa'] * 50 + ['versicolor'] * 50 + ['virginica'] * 50
    iris_csv = os.path.join(work, 'iris.csv')
    write_csv(iris_csv, ['flower', 'species', 'SepalLen', 'SepalWid', 'PetalLen', 'PetalWid'],
              [['f%d' % (i + 1), species[i]] + ['%.17g' % v for v in values[i]] for i in range(150)])
    active = np.arange(100)
    for method, transform, match in (('correlation', 'none', False), ('covariance', 'log10', False)):
        doc = run(cli, work, [iris_csv, '--method', method, '--transform', transform,
                              '--supplementary-rows', 'species=virginica',
                              '--supplementary-variables', 'PetalWid']
                  + (['--match-axes'] if match else []))
        X = values[:, :3]
        if transform == 'log10':
            X = np.log10(X)
        Y = values[active, 3:4]
        groups = [(list(range(0, 50)), []), (list(range(50, 100)), []), ([], list(range(50)))]
        ok &= check('iris %s %s%s' % (method, transform, ', matched axes' if match else ''), doc,
                    X[active], X[100:], Y, groups, method, transform, match)

    # All of iris active, three axes of the covariances of logarithms, with
    # matched axes: the one-to-one match reorders the axes of some reduced
    # samples there. Three outlying specimens from a second file.
    specimens = np.array([[7.9, 4.6, 2.1, 0.6], [4.4, 2.2, 6.5, 2.6], [6.0, 3.0, 4.0, 1.0]])
    fossils = os.path.join(work, 'fossils.csv')
    write_csv(fossils, ['specimen', 'SepalLen', 'SepalWid', 'PetalLen', 'PetalWid'],
              [['s%d' % i] + ['%.17g' % v for v in specimens[i]] for i in range(3)])
    for match in (False, True):
        doc = run(cli, work, [iris_path, '--groups-from-labels', '--method', 'covariance',
                              '--transform', 'log10', '--factors', '3', '--supplementary', fossils]
                  + (['--match-axes'] if match else []))
        groups = [(list(range(g * 50, g * 50 + 50)), []) for g in range(3)]
        ok &= check('iris, 3 axes, second file%s' % (', matched axes' if match else ''), doc,
                    np.log10(values), np.log10(specimens), np.zeros((150, 0)), groups,
                    'covariance', 'log10', match)

    # A random 40 x 8 table: objects whose "status" is "fossil" are
    # supplementary, two numeric columns are supplementary variables and a
    # text column a qualitative one.
    rng = np.random.default_rng(7)
    Z = rng.normal(size=(40, 8)) @ rng.normal(size=(8, 8)) + 20
    extra = rng.normal(size=(40, 2)) + Z[:, :2] * 0.3
    status = ['fossil' if i in (3, 17, 29) else 'extant' for i in range(40)]
    site = ['north' if i % 3 == 0 else 'south' for i in range(40)]
    random_csv = os.path.join(work, 'random.csv')
    write_csv(random_csv, ['id', 'status', 'site'] + ['v%d' % j for j in range(8)] + ['temp', 'depth'],
              [['o%d' % i, status[i], site[i]] + ['%.17g' % v for v in Z[i]] + ['%.17g' % v for v in extra[i]]
               for i in range(40)])
    doc = run(cli, work, [random_csv, '--labels', 'id', '--group', '-',
                          '--variables', ','.join('v%d' % j for j in range(8)),
                          '--supplementary-rows', 'status=fossil',
                          '--supplementary-variables', 'temp,depth,site'])
    keep = [i for i in range(40) if status[i] != 'fossil']
    sup = [i for i in range(40) if status[i] == 'fossil']
    position = {i: r for r, i in enumerate(keep)}
    groups = []
    order = []
    for i in keep + sup:
        if site[i] not in order:
            order.append(site[i])
    for level in order:
        groups.append(([position[i] for i in keep if site[i] == level],
                       [r for r, i in enumerate(sup) if site[i] == level]))
    ok &= check('random 40 x 8 correlation', doc, Z[keep], Z[sup], extra[keep], groups,
                'correlation', 'none')

    # The same fossils from a second file, matched by variable name (in
    # another column order).
    active_csv = os.path.join(work, 'active.csv')
    write_csv(active_csv, ['id'] + ['v%d' % j for j in range(8)],
              [['o%d' % i] + ['%.17g' % v for v in Z[i]] for i in keep])
    fossils_csv = os.path.join(work, 'fossils.csv')
    write_csv(fossils_csv, ['id'] + ['v%d' % j for j in reversed(range(8))],
              [['o%d' % i] + ['%.17g' % v for v in reversed(Z[i])] for i in sup])
    doc = run(cli, work, [active_csv, '--method', 'covariance', '--supplementary', fossils_csv])
    ok &= check('random 40 x 8 covariance, second file', doc, Z[keep], Z[sup],
                np.zeros((len(keep), 0)), [], 'covariance', 'none')

    sys.exit(0 if ok else 1)


if __name__ == '__main__':
    main()
