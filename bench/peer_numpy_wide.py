#!/usr/bin/env python3
"""Peer baseline for wide data (more variables than objects), written the
obvious way: for the full sample and for every leave-one-out sample a thin
SVD of its centred (under correlations also standardised) data, the first
K axes kept and aligned in sign with the full sample's, pseudo-values stored
and their mean and standard error taken at the end.

Usage: peer_numpy_wide.py DATA corr|cov [K] [OUT.npz]
OUT receives the full-sample eigenvalues and first K axes and the jackknife
estimates and standard errors (eigenvalues, K axes), for bench/check_wide."""
import os
import sys

import numpy as np

# The data file as the numpy checks of the tests read it.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from data_matrix_values import read_values as read_nts  # noqa: E402


def axes(X, method, K):
    n = X.shape[0]
    Z = X - X.mean(0)
    if method == 'corr':
        Z = Z / np.sqrt((Z * Z).sum(0) / (n - 1))
    _, s, Vt = np.linalg.svd(Z, full_matrices=False)
    return s * s / (n - 1), Vt[:K].T


def main():
    path, method = sys.argv[1], sys.argv[2]
    K = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    X = read_nts(path)
    n, p = X.shape
    w, V = axes(X, method, K)
    # The full sample's axes: largest coefficient positive (as TALVEX lists them).
    top = np.abs(V).argmax(0)
    V = V * np.sign(V[top, np.arange(V.shape[1])])
    r = len(w)
    full_w = np.zeros(p)
    full_w[:r] = w
    ps_w = np.empty((n, p))
    ps_v = np.empty((n, p, V.shape[1]))
    for i in range(n):
        wj, Vj = axes(np.delete(X, i, axis=0), method, K)
        sgn = np.sign(np.sum(Vj * V, axis=0))
        sgn[sgn == 0] = 1
        reduced_w = np.zeros(p)
        reduced_w[:len(wj)] = wj
        ps_w[i] = n * full_w - (n - 1) * reduced_w
        ps_v[i] = n * V - (n - 1) * (Vj * sgn)
    est_w = ps_w.mean(0)
    se_w = np.sqrt(ps_w.var(0, ddof=1) / n)
    est_v = ps_v.mean(0)
    se_v = np.sqrt(ps_v.var(0, ddof=1) / n)
    if len(sys.argv) > 4:
        np.savez(sys.argv[4], w=full_w, V=V, est_w=est_w, se_w=se_w, est_v=est_v, se_v=se_v)
    print(n, p, full_w[:3], est_w[:3], se_w[:3])


main()
