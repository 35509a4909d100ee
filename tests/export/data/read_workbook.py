# Reads every sheet of an xlsx file with openpyxl, any warning of the reader
# taken as an error, and prints for each sheet a line "sheet:" and its name,
# then its rows as tab-separated cells: text as "s:" and the text, numbers as
# "n:" and their shortest exact repr, empty cells as "-". Exit status 3 when
# openpyxl is missing.
import sys
import warnings

try:
    import openpyxl
except ImportError:
    sys.exit(3)
warnings.simplefilter("error")


def cell_text(value):
    if isinstance(value, str):
        return "s:" + value
    if isinstance(value, (int, float)):
        return "n:" + repr(float(value))
    return "-"


book = openpyxl.load_workbook(sys.argv[1])
out = sys.stdout.buffer
for sheet in book.worksheets:
    out.write(("sheet:" + sheet.title + "\n").encode("utf-8"))
    for row in sheet.iter_rows(values_only=True):
        out.write("\t".join(cell_text(c) for c in row).encode("utf-8") + b"\n")
