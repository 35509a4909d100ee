#!/usr/bin/env python3
"""An independent model of TALVEX's analysis and report listing, written from
the description of the method (Householder reduction, QL with implicit shifts,
selection sort, negated unit eigenvectors) in plain Python floats. The test
suite compares whole listings of the C++ program with the listings this model
writes; numpy, where installed, cross-checks the model's eigenvalues.

Usage: listing_model.py DATAFILE METHOD TRANSFORM RULE JACKKNIFE K OUT
  METHOD corr|cov, TRANSFORM raw|log10|ln, RULE all|kaiser|joliffe|number,
  JACKKNIFE on|off, K number of factors. Date, time and input path are
  written as the placeholders DATE, TIME and PATH."""
import math
import sys
from decimal import Decimal, ROUND_HALF_UP


# ---- reading (the plain subset the fixtures use) ----
def read_data(path):
    text = open(path, 'rb').read().decode('latin-1')
    lines = text.replace('\r\n', '\n').replace('\r', '\n').split('\n')
    title, k = '', 0
    while lines[k].strip() == '' or lines[k].strip()[0] in '\'"':
        s = lines[k].strip()
        if s and not title:
            title = s.replace(s[0], '')
        k += 1
    fields = lines[k].strip().split(' ')
    n = int(fields[1].upper().replace('L', ''))
    p = int(fields[2].upper().replace('L', ''))
    tokens = ' '.join(lines[k + 1:]).split()
    pos = 0
    if 'L' in fields[1].upper():
        olabels = tokens[:n]; pos = n
    else:
        olabels = ['OBJ%d' % (i + 1) for i in range(n)]
    if 'L' in fields[2].upper():
        vlabels = tokens[pos:pos + p]; pos += p
    else:
        vlabels = ['VAR%d' % (j + 1) for j in range(p)]
    vals = [float(t) for t in tokens[pos:pos + n * p]]
    X = [[vals[i * p + j] for j in range(p)] for i in range(n)]
    return title, olabels, vlabels, X


# ---- statistics (centred, two passes) ----
def column_means(X):
    n = len(X)
    return [sum(row[j] for row in X) / n for j in range(len(X[0]))]


def dispersion(X, method):
    n, p = len(X), len(X[0])
    m = column_means(X)
    D = [[0.0] * p for _ in range(p)]
    for a in range(p):
        for b in range(p):
            s = 0.0
            for i in range(n):
                s += (X[i][a] - m[a]) * (X[i][b] - m[b])
            D[a][b] = s / (n - 1)
    if method == 'corr':
        sd = [math.sqrt(D[j][j]) for j in range(p)]
        for a in range(p):
            for b in range(p):
                D[a][b] = D[a][b] / (sd[a] * sd[b])
    return D


def sds(X):
    n = len(X)
    m = column_means(X)
    return [math.sqrt(sum((row[j] - m[j]) ** 2 for row in X) / (n - 1)) for j in range(len(X[0]))]


# ---- eigen-decomposition, one-based as described ----
def sign(a, b):
    return abs(a) if b >= 0 else -abs(a)


def tridiagonalize(a, n, d, e):
    for i in range(n, 1, -1):
        l = i - 1
        h = scale = 0.0
        if l > 1:
            for k in range(1, l + 1):
                scale += abs(a[i][k])
            if scale == 0.0:
                e[i] = a[i][l]
            else:
                for k in range(1, l + 1):
                    a[i][k] /= scale
                    h += a[i][k] * a[i][k]
                f = a[i][l]
                g = -sign(math.sqrt(h), f)
                e[i] = scale * g
                h -= f * g
                a[i][l] = f - g
                f = 0.0
                for j in range(1, l + 1):
                    a[j][i] = a[i][j] / h
                    g = 0.0
                    for k in range(1, j + 1):
                        g += a[j][k] * a[i][k]
                    for k in range(j + 1, l + 1):
                        g += a[k][j] * a[i][k]
                    e[j] = g / h
                    f += e[j] * a[i][j]
                hh = f / (h + h)
                for j in range(1, l + 1):
                    f = a[i][j]
                    g = e[j] - hh * f
                    e[j] = g
                    for k in range(1, j + 1):
                        a[j][k] = a[j][k] - f * e[k] - g * a[i][k]
        else:
            e[i] = a[i][l]
        d[i] = h
    d[1] = 0.0
    e[1] = 0.0
    for i in range(1, n + 1):
        l = i - 1
        if d[i] != 0.0:
            for j in range(1, l + 1):
                g = 0.0
                for k in range(1, l + 1):
                    g += a[i][k] * a[k][j]
                for k in range(1, l + 1):
                    a[k][j] -= g * a[k][i]
        d[i] = a[i][i]
        a[i][i] = 1.0
        for j in range(1, l + 1):
            a[i][j] = 0.0
            a[j][i] = 0.0


def tridiagonal_ql(d, e, n, z):
    for i in range(2, n + 1):
        e[i - 1] = e[i]
    e[n] = 0.0
    for l in range(1, n + 1):
        while True:
            m = n
            for mm in range(l, n):
                dd = abs(d[mm]) + abs(d[mm + 1])
                if abs(e[mm]) + dd == dd:
                    m = mm
                    break
            if m == l:
                break
            g = (d[l + 1] - d[l]) / (2.0 * e[l])
            r = math.sqrt(g * g + 1.0)
            g = d[m] - d[l] + e[l] / (g + sign(r, g))
            s = c = 1.0
            p = 0.0
            for i in range(m - 1, l - 1, -1):
                f = s * e[i]
                b = c * e[i]
                if abs(f) >= abs(g):
                    c = g / f
                    r = math.sqrt(c * c + 1.0)
                    e[i + 1] = f * r
                    s = 1.0 / r
                    c *= s
                else:
                    s = f / g
                    r = math.sqrt(s * s + 1.0)
                    e[i + 1] = g * r
                    c = 1.0 / r
                    s *= c
                g = d[i + 1] - p
                r = (d[i] - g) * s + 2.0 * c * b
                p = s * r
                d[i + 1] = g + p
                g = c * r - b
                for k in range(1, n + 1):
                    f = z[k][i + 1]
                    z[k][i + 1] = s * z[k][i] + c * f
                    z[k][i] = c * z[k][i] - s * f
            d[l] -= p
            e[l] = g
            e[m] = 0.0


def principal_axes(D):
    p = len(D)
    a = [[0.0] * (p + 1)] + [[0.0] + list(row) for row in D]
    trace = 0.0
    for j in range(p):
        trace += D[j][j]
    d = [0.0] * (p + 1)
    e = [0.0] * (p + 1)
    tridiagonalize(a, p, d, e)
    tridiagonal_ql(d, e, p, a)
    for i in range(1, p):
        k, best = i, d[i]
        for j in range(i + 1, p + 1):
            if d[j] >= best:
                k, best = j, d[j]
        if k != i:
            d[k] = d[i]
            d[i] = best
            for r in range(1, p + 1):
                a[r][i], a[r][k] = a[r][k], a[r][i]
    values = d[1:]
    V = [[0.0] * p for _ in range(p)]
    for j in range(1, p + 1):
        ss = 0.0
        for r in range(1, p + 1):
            ss += a[r][j] * a[r][j]
        norm = math.sqrt(ss)
        for r in range(1, p + 1):
            x = a[r][j]
            if x != 0.0:
                x = x / norm
            V[r - 1][j - 1] = -x if x != 0.0 else x
    return trace, values, V


# ---- probability ----
def normal_cdf(x):
    eps = 1.0e-7
    z = abs(x)
    p = 1.0
    if z < 9:
        if z <= eps:
            return 0.5
        phi = 0.39894228040143 * math.exp(-0.5 * z * z)
        last = 2.0
        use_fraction = True
        if z < 2:
            lnz = math.log(z)
            lnprod = 0.0
            p = phi * z + 0.5
            use_fraction = True
            for i in range(1, 101):
                k = 2 * i + 1
                lnprod += math.log(k)
                p = p + phi * math.exp(k * lnz - lnprod)
                if abs(p - last) <= eps:
                    use_fraction = False
                    break
                last = p
        if use_fraction:
            a2, a1, b2, b1 = 0.0, phi, 1.0, z
            for i in range(1, 101):
                A = a1 * z + a2 * i
                B = b1 * z + b2 * i
                stop = False
                if abs(B) > eps:
                    p = A / B
                    if abs(p - last) <= eps:
                        stop = True
                    else:
                        last = p
                if stop:
                    break
                a2, b2, a1, b1 = a1, b1, A, B
                while a1 >= 10 or b1 >= 10:
                    a2 *= 0.1; b2 *= 0.1; a1 *= 0.1; b1 *= 0.1
            p = 1 - p
    if x < 0:
        p = 1 - p
    return p


def student_t_cdf(df, t):
    v = float(df)
    if v > 125:
        return normal_cdf(t * (1 - 0.25 / v) / math.sqrt(1 + 0.5 * t * t / v))
    y = t / math.sqrt(v)
    b = v / (v + t * t)
    parity = df % 2
    s = 1.0
    term = 1.0
    k = parity + 2
    if df >= 4:
        while k <= df - 2:
            term = term * b * (k - 1) / k
            s += term
            k += 2
    if parity == 0:
        return 0.5 + 0.5 * y * s * math.sqrt(b)
    if df == 1:
        s = 0.0
    return 0.5 + (math.atan(y) + y * b * s) * 0.3183098862


# ---- formatting ----
def T(d, x):
    d = min(d, 7)
    q = Decimal(format(x, '.17e')).quantize(Decimal(1).scaleb(-d), rounding=ROUND_HALF_UP)
    s = format(abs(q), 'f')
    return ('-' if math.copysign(1, x) < 0 else '') + s


def F(d, x):
    if math.isnan(x):
        return '%10s' % 'nan'
    return '%10.*f' % (d, x)


def L(s, w):
    return s.ljust(w)


def jk_stat(pvs, tail, df):
    n = len(pvs)
    est = sum(pvs) / n
    se = math.sqrt(sum((v - est) ** 2 for v in pvs) / ((n - 1) * n))
    tested = 1.0 if tail == 'mac' else 0.0
    diff = est - tested
    if diff == 0 and se == 0:
        return est, se, float('nan')
    if se == 0 or abs(diff) / 1e100 >= se:
        cdf = 1.0 if diff > 0 else 0.0
        return est, se, {'upper': 1 - cdf, 'abs': 0.0, 'mac': cdf}[tail]
    t = diff / se
    if tail == 'upper':
        return est, se, abs(1 - student_t_cdf(df, t))
    if tail == 'abs':
        return est, se, abs(1 - student_t_cdf(df, abs(t)))
    return est, se, abs(student_t_cdf(df, t))


def listing(path, method, transform, rule, jackknife, k):
    title, olab, vlab, X = read_data(path)
    n, p = len(X), len(X[0])
    out = ['TALVEX - Quorvane', '', 'Date of analysis - DATE', 'Time of analysis - TIME', '-' * 70,
           '', 'Input file name  - PATH', '', title, '',
           'Number of variables    = %d' % p, 'Number of observations = %d' % n, '']
    means, sd = column_means(X), sds(X)
    out += ['Basic statistics for variables', '', 'Variable                      Mean    Std. Dev.',
            '-' * 25 + ' ' * 4 + '-' * 6 + ' ' * 3 + '-' * 9]
    for j in range(p):
        out.append(L(vlab[j], 25) + ' ' * 4 + T(2, means[j]).rjust(6) + ' ' * 3 + T(2, sd[j]).rjust(9) + ' ' * 3)
    out.append('')
    if transform == 'raw':
        out.append('Raw data')
    else:
        out.append('Data log (%s) transformed' % ('10' if transform == 'log10' else 'e'))
        f = (lambda v: math.log(v) / math.log(10.0) if v > 0 else 0.0) if transform == 'log10' else math.log
        X = [[f(v) for v in row] for row in X]
        sd = sds(X)
    out.append('')
    out += ['Statistics based on the entire sample', '',
            'Covariance matrix' if method == 'cov' else 'Correlation matrix', '']
    D = dispersion(X, method)
    for a in range(p):
        out.append(L(vlab[a], 8) + ' ' + ''.join(F(5, D[a][b]) + ' ' for b in range(a + 1)))
    out.append('')
    trace, values, V = principal_axes(D)
    avg = sum(values) / p
    out += ['Trace = ' + T(7, trace), 'Average root = ' + T(7, avg), '']
    threshold = {'kaiser': 1.0 if method == 'corr' else avg, 'joliffe': 0.7 * avg}.get(rule, 0.0)
    out += ['Eigenvalues', '', 'i  Eigenvalue   % Variance  % Cumulative']
    cum = 0.0
    for i in range(k):
        if values[i] >= threshold:
            cum += values[i]
            out.append('%d ' % (i + 1) + F(6, values[i]) + '   ' + F(4, values[i] * 100 / trace) + '   ' + F(4, cum * 100 / trace))
    out.append('')
    out += ['Eigenvectors', '']
    for j in range(p):
        out.append(L(vlab[j], 8) + ' ' + ''.join(F(4, V[j][c]) + ' ' for c in range(k)))
    out.append('')
    m = column_means(X)
    if method == 'corr':
        s2 = sds(X)
        Z = [[(row[j] - m[j]) / s2[j] for j in range(p)] for row in X]
    else:
        Z = [[row[j] - m[j] for j in range(p)] for row in X]
    out += ['Principal Component Scores', '']
    for i in range(n):
        out.append(L(olab[i], 8) + ' ' + ''.join(F(3, sum(Z[i][j] * V[j][c] for j in range(p))) + ' ' for c in range(k)))
    out.append('')
    out += ['Correlations between components and original variables', '']
    for j in range(p):
        row = L(vlab[j], 8) + ' '
        for c in range(k):
            r = V[j][c] * math.sqrt(abs(values[c]))
            if method == 'cov':
                r = r / sd[j]
            if r > 1:
                r = 1.0
            row += F(4, r) + ' '
        out.append(row)
    out.append('')
    allometry = method == 'cov' and transform != 'raw'
    orient = 1.0
    if allometry:
        orient = -1.0 if sum(V[j][0] for j in range(p)) < 0 else 1.0
        macs = [orient * V[j][0] / math.sqrt(1.0 / p) for j in range(p)]
        out += ['Multivariate Allometric Coefficients', '']
        out += [L(vlab[j], 8) + ' ' + F(4, macs[j]) for j in range(p)]
        out.append('')
    if jackknife:
        pv_val = [[] for _ in range(p)]
        pv_vec = [[[] for _ in range(p)] for _ in range(k)]
        pv_mac = [[] for _ in range(p)]
        for i in range(n):
            Y = X[:i] + X[i + 1:]
            _, jv, JV = principal_axes(dispersion(Y, method))
            for c in range(p):
                pv_val[c].append(n * values[c] - (n - 1) * jv[c])
            for a in range(k):
                dot = sum(V[j][a] * JV[j][a] for j in range(p))
                sgn = -1.0 if dot < 0 else 1.0
                for j in range(p):
                    pv_vec[a][j].append(n * V[j][a] - (n - 1) * sgn * JV[j][a])
                if a == 0:
                    first = [sgn * JV[j][0] for j in range(p)]
            if k == 0:
                dot = sum(V[j][0] * JV[j][0] for j in range(p))
                first = [(-1.0 if dot < 0 else 1.0) * JV[j][0] for j in range(p)]
            if allometry:
                for j in range(p):
                    pv_mac[j].append(n * macs[j] - (n - 1) * (orient * first[j] / math.sqrt(1.0 / p)))
        out += ['Jackknifed statistics', '', 'JK Eigenvalues', '', 'i  Eigenvalue        SE          P']
        for c in range(p):
            e, s, pr = jk_stat(pv_val[c], 'upper', n - 1)
            out.append('%d ' % (c + 1) + F(6, e) + '    ' + F(8, s) + F(4, pr))
        out.append('')
        out += ['JK Eigenvectors', '']
        for a in range(k):
            out.append(' ' * 13 + 'Axis %d' % (a + 1) + ' ' * 6 + 'SE' + ' ' * 9 + 'P')
            for j in range(p):
                e, s, pr = jk_stat(pv_vec[a][j], 'abs', n - 1)
                out.append(L(vlab[j], 8) + ' ' + F(4, e) + F(4, s) + F(4, pr))
            out.append('')
        if allometry:
            out += ["JK MAC's", '', ' ' * 15 + 'MAC' + ' ' * 7 + 'SE' + ' ' * 9 + 'P']
            for j in range(p):
                e, s, pr = jk_stat(pv_mac[j], 'mac', n - 1)
                out.append(L(vlab[j], 8) + ' ' + F(4, e) + F(4, s) + F(4, pr))
    try:
        import numpy as np
        w = np.linalg.eigvalsh(np.array(D))[::-1]
        assert max(abs(w - np.array(values))) <= 1e-12 * max(1.0, abs(w[0])), 'eigenvalues disagree with numpy'
    except ImportError:
        pass
    return out


if __name__ == '__main__':
    path, method, transform, rule, jk, k, dest = sys.argv[1:8]
    lines = listing(path, method, transform, rule, jk == 'on', int(k))
    with open(dest, 'w', newline='') as f:
        f.write(''.join(line + '\n' for line in lines))
