# Reads the first sheet of an xls (xlrd) or xlsx (openpyxl) file and prints
# each row as tab-separated cells: text as "s:" and the text, numbers as "n:"
# and their shortest exact repr, empty cells as "-". Exit status 3 when the
# reader module is missing.
import os
import sys

path = sys.argv[1]
rows = []
try:
    if path.endswith(".xls"):
        import xlrd
        book = xlrd.open_workbook(path, logfile=open(os.devnull, "w"))
        sheet = book.sheet_by_index(0)
        for r in range(sheet.nrows):
            rows.append([sheet.cell(r, c) for c in range(sheet.ncols)])
        def cell_text(cell):
            if cell.ctype == xlrd.XL_CELL_TEXT:
                return "s:" + cell.value
            if cell.ctype == xlrd.XL_CELL_NUMBER:
                return "n:" + repr(float(cell.value))
            return "-"
    else:
        import openpyxl
        book = openpyxl.load_workbook(path)
        sheet = book.worksheets[0]
        rows = [list(row) for row in sheet.iter_rows(values_only=True)]
        def cell_text(value):
            if isinstance(value, str):
                return "s:" + value
            if isinstance(value, (int, float)):
                return "n:" + repr(float(value))
            return "-"
except ImportError:
    sys.exit(3)
out = sys.stdout.buffer
for row in rows:
    out.write("\t".join(cell_text(c) for c in row).encode("utf-8") + b"\n")
