#!/usr/bin/python3
"""Peer baseline, the strong form: the same analysis as peer_numpy.py
(correlation or covariance PCA, scores, leave-one-out jackknife of all
eigenvalues and eigenvectors with sign alignment) written as a numpy expert
would write it.

- The centred scatter matrix S is formed once; the dispersion matrix without
  object i is the rank-one downdate (S - n / (n - 1) d d^T) / (n - 2), d the
  object's deviation from the full-sample mean.
- The reduced matrices are decomposed in stacked batches by np.linalg.eigh
  (LAPACK's syevd over the system's BLAS), each batch sized so that its arrays
  stay within a memory budget.
- The pseudo-values of a batch are reduced to their mean and sum of squared
  deviations at once and merged with the running ones (Chan et al.), so no
  n x p x p array of pseudo-values is ever held.

Usage: peer_numpy_batched.py FILE corr|cov [--budget MiB] [--dump OUT.npz]
Prints the line peer_numpy.py prints; --dump also saves every estimate and
standard error."""
import argparse
import os
import sys

import numpy as np

# The data file as the numpy checks of the tests read it.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from data_matrix_values import read_values as read_nts  # noqa: E402


class Moments:
    """Mean and sum of squared deviations of pseudo-values, merged batch by batch."""

    def __init__(self, shape):
        self.count = 0
        self.mean = np.zeros(shape)
        self.squares = np.zeros(shape)

    def add(self, batch):
        b = batch.shape[0]
        mean = batch.mean(axis=0)
        squares = ((batch - mean) ** 2).sum(axis=0)
        total = self.count + b
        delta = mean - self.mean
        self.mean += delta * (b / total)
        self.squares += squares + delta ** 2 * (self.count * b / total)
        self.count = total

    def estimate_and_error(self):
        return self.mean, np.sqrt(self.squares / (self.count - 1) / self.count)


def descending_eigh(matrices):
    w, v = np.linalg.eigh(matrices)
    return w[..., ::-1], v[..., ::-1]


def batch_size(n, p, budget_mib):
    # Per reduced sample: the stacked matrix, eigh's vectors and its work
    # copy, the pseudo-values and their squared deviations: about 6 p x p.
    per_sample = 6 * p * p * 8
    return int(max(1, min(n, budget_mib * 2 ** 20 // per_sample)))


def jackknife(X, method, budget_mib=256):
    n, p = X.shape
    centred = X - X.mean(axis=0)
    S = centred.T @ centred
    C = S / (n - 1)
    if method == 'corr':
        s = np.sqrt(np.diag(C))
        C = C / np.outer(s, s)
    w, V = descending_eigh(C)
    values, vectors = Moments(p), Moments((p, p))
    factor = n / (n - 1)
    step = batch_size(n, p, budget_mib)
    for first in range(0, n, step):
        d = centred[first:first + step]
        Cb = S - factor * (d[:, :, None] * d[:, None, :])
        Cb /= n - 2
        if method == 'corr':
            sb = np.sqrt(np.diagonal(Cb, axis1=1, axis2=2))
            Cb /= sb[:, :, None] * sb[:, None, :]
        wb, Vb = descending_eigh(Cb)
        del Cb
        signs = np.sign(np.einsum('bjc,jc->bc', Vb, V))
        signs[signs == 0] = 1
        Vb *= signs[:, None, :]
        values.add(n * w - (n - 1) * wb)
        Vb *= -(n - 1)
        Vb += n * V
        vectors.add(Vb)
    return w, V, values.estimate_and_error(), vectors.estimate_and_error()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('file')
    parser.add_argument('method', choices=['corr', 'cov'])
    parser.add_argument('--budget', type=float, default=256, help='MiB per batch')
    parser.add_argument('--dump')
    args = parser.parse_args()
    X = read_nts(args.file)
    n, p = X.shape
    w, V, (est_w, se_w), (est_v, se_v) = jackknife(X, args.method, args.budget)
    Z = (X - X.mean(0)) / X.std(0, ddof=1)
    scores = Z @ V
    print(n, p, w[:3], est_w[:3], se_w[:3], float(scores[0, 0]))
    if args.dump:
        np.savez(args.dump, w=w, V=V, est_w=est_w, se_w=se_w, est_v=est_v, se_v=se_v)


if __name__ == '__main__':
    main()
