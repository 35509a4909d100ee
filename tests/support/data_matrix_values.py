"""The values of a data-matrix file as a numpy array, for the checks that
compare the program with numpy. Read independently of the program's reader."""
import numpy as np


def read_values(path):
    """The n x p values of a data-matrix file (labels, when present, skipped)."""
    text = open(path, 'rb').read().decode('latin-1').replace('\r\n', '\n').replace('\r', '\n')
    lines = text.split('\n')
    k = 0
    while lines[k].strip() == '' or lines[k].strip()[0] in '\'"':
        k += 1
    head = lines[k].split()
    n = int(head[1].upper().replace('L', ''))
    p = int(head[2].upper().replace('L', ''))
    tokens = '\n'.join(lines[k + 1:]).split()
    i = (n if 'L' in head[1].upper() else 0) + (p if 'L' in head[2].upper() else 0)
    return np.array([float(t) for t in tokens[i:i + n * p]]).reshape(n, p)
