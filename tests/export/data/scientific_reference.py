# Reference for the 23-character number form, from the exact decimal value
# of each double (Python's Decimal), rounded half up to 15 significant digits.
# Reads one C99 hex float per line; prints the expected text per line.
import decimal
import math
import sys

context = decimal.Context(prec=15, rounding=decimal.ROUND_HALF_UP, Emax=999999, Emin=-999999)
for line in sys.stdin:
    x = float.fromhex(line.strip())
    if math.isnan(x):
        text = "Nan".rjust(23)
    elif math.isinf(x):
        text = ("+Inf" if x > 0 else "-Inf").rjust(23)
    else:
        sign = "-" if x < 0 else " "
        d = context.plus(decimal.Decimal(abs(x)))
        if d == 0:
            digits, exponent = "0" * 15, 0
        else:
            t = d.as_tuple()
            digits = "".join(map(str, t.digits)).ljust(15, "0")[:15]
            exponent = t.exponent + len(t.digits) - 1
        text = "%s%s.%sE%s%04d" % (sign, digits[0], digits[1:], "-" if exponent < 0 else "+", abs(exponent))
    print(text)
