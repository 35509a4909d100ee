"""What the numpy checks of the results share: Student's t quantile, the
one-to-one match of full-sample axes to a reduced sample's, the jackknife of
pseudo-values, the tables of --results OUT.json, and the comparison that
prints one line per quantity. Importing it exits 77, the tests' "skipped",
where numpy is not installed."""
import math
import sys

try:
    import numpy as np
except ImportError:
    sys.exit(77)


def t_quantile(df, p):
    """t(df, p) by bisection on Simpson's integral of the t density."""
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


def greedy(C):
    """The one-to-one match of full axes (rows) to reduced axes (columns),
    the largest |cosine| first."""
    k = C.shape[0]
    perm = [None] * k
    used = set()
    for flat in np.argsort(-C, axis=None, kind='stable'):
        a, b = divmod(int(flat), k)
        if perm[a] is None and b not in used:
            perm[a] = b
            used.add(b)
    return perm


def pseudo_value_jackknife(pvs):
    """Estimate and standard error of the pseudo-values (one row each)."""
    pvs = np.asarray(pvs)
    n = len(pvs)
    mean = pvs.mean(0)
    return mean, np.sqrt(((pvs - mean) ** 2).sum(0) / (n * (n - 1)))


def table_rows(doc, name):
    """The rows of the results' table `name`."""
    return next(t for t in doc['tables'] if t['name'] == name)['rows']


def compare(name, ours, theirs, tolerance):
    """Prints and returns whether ours is theirs to `tolerance`, relative
    to |theirs| where that is above 1."""
    ours = np.asarray(ours, float)
    theirs = np.asarray(theirs, float)
    worst = np.max(np.abs(ours - theirs) / np.maximum(1.0, np.abs(theirs)))
    ok = bool(worst <= tolerance)
    print('%-52s max deviation %.3g %s' % (name, worst, 'ok' if ok else 'FAIL'))
    return ok
