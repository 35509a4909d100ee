"""Student's t upper tail P(T > t) for integer degrees of freedom, from the
closed-form finite series of its distribution function evaluated in
80-digit decimal arithmetic, so that tails far below the double rounding of
1 - P(T <= t) keep their digits. An independent reference for the checks."""
from decimal import Decimal, getcontext

getcontext().prec = 80


def _atan_small(x):
    # Halve the argument until the series converges fast.
    halvings = 0
    while abs(x) > Decimal('0.1'):
        x = x / (1 + (1 + x * x).sqrt())
        halvings += 1
    total, power, k = Decimal(0), x, 1
    while True:
        term = power / k
        if abs(term) < Decimal(10) ** -85:
            break
        total += term if (k // 2) % 2 == 0 else -term
        power *= x * x
        k += 2
    return total * (2 ** halvings)


PI = 16 * _atan_small(Decimal(1) / 5) - 4 * _atan_small(Decimal(1) / 239)


def _atan(x):
    if abs(x) <= 1:
        return _atan_small(x)
    return (PI / 2 if x > 0 else -PI / 2) - _atan_small(1 / x)


def upper_tail(df, t):
    """P(T > t) with df degrees of freedom, as a Decimal."""
    nu, t = Decimal(df), Decimal(repr(float(t)))
    b = nu / (nu + t * t)
    if df % 2 == 0:
        term, total, k = Decimal(1), Decimal(1), 2
        while k <= df - 2:
            term *= b * (k - 1) / k
            total += term
            k += 2
        cdf = Decimal('0.5') + Decimal('0.5') * (t / (nu + t * t).sqrt()) * total
    else:
        y = t / nu.sqrt()
        term, total, k = Decimal(1), Decimal(1), 3
        while k <= df - 2:
            term *= b * (k - 1) / k
            total += term
            k += 2
        if df == 1:
            total = Decimal(0)
        cdf = Decimal('0.5') + (_atan(y) + y * b * total) / PI
    return 1 - cdf
