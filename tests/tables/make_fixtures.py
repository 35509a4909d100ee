#!/usr/bin/env python3
"""Writes the table fixtures of tests/tables/data from examples/iris.nts.

Every iris table carries the values as the data-matrix file writes them, so
each must load to the same numbers. Run from the repository's top folder;
the generated files are committed. Needs python3-openpyxl, and soffice
(libreoffice-calc-nogui) for the LibreOffice workbooks.
"""
import os
import random
import shutil
import subprocess
import tempfile
import zipfile
import zlib

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")


def read_iris():
    tokens = []
    with open(os.path.join(HERE, "..", "..", "examples", "iris.nts"), encoding="ascii") as f:
        for line in f:
            if line.strip() and line.lstrip()[0] not in "'\"":
                tokens += line.split()
    n, p = int(tokens[1].rstrip("Ll")), int(tokens[2].rstrip("Ll"))
    rest = tokens[4:]
    labels, names, values = rest[:n], rest[n:n + p], rest[n + p:]
    rows = [values[i * p:(i + 1) * p] for i in range(n)]
    return labels, names, rows


def species(label):
    return label.rstrip("0123456789")


def write_text(name, lines, encoding="utf-8", newline="\n", bom=False):
    data = newline.join(lines) + newline
    raw = data.encode(encoding)
    if bom:
        raw = b"\xef\xbb\xbf" + raw
    with open(os.path.join(DATA, name), "wb") as f:
        f.write(raw)


def main():
    os.makedirs(DATA, exist_ok=True)
    labels, names, rows = read_iris()
    header = ["label"] + names
    body = [[l] + r for l, r in zip(labels, rows)]

    write_text("iris_comma.csv", [",".join(header)] + [",".join(r) for r in body])
    # Excel in a decimal-comma locale: semicolons, decimal commas, CR LF, a mark.
    write_text("iris_semicolon.csv",
               [";".join(header)] + [";".join([r[0]] + [v.replace(".", ",") for v in r[1:]])
                                     for r in body], newline="\r\n", bom=True)
    with_species = [["label", "species"] + names] + [[l, species(l)] + r
                                                    for l, r in zip(labels, rows)]
    write_text("iris_grouped.tsv", ["\t".join(r) for r in with_species])
    write_text("iris_grouped.csv", [",".join(r) for r in with_species])
    # Quoted labels and species, as spreadsheets write text cells.
    write_text("iris_quoted.csv", [",".join('"%s"' % c if not c[0].isdigit() else c for c in r)
                                   for r in with_species])

    # Three cells missing, written three ways.
    missing = [list(r) for r in body]
    missing[3][2] = "NA"
    missing[60][4] = ""
    missing[149][1] = "?"
    write_text("iris_missing.csv", [",".join(header)] + [",".join(r) for r in missing])

    # Labels beyond ASCII, in UTF-8 and in Windows-1252.
    accented = [l.replace("setosa", "sétosa").replace("versi", "versí") for l in labels]
    lines = [",".join(header)] + [",".join([l] + r) for l, r in zip(accented, rows)]
    write_text("iris_utf8.csv", lines)
    write_text("iris_cp1252.csv", lines, encoding="cp1252")

    # openpyxl writes absolute relationship targets ("/xl/worksheets/sheet1.xml").
    book = openpyxl.Workbook()
    notes = book.active
    notes.title = "Notes"
    notes.append(["Fisher's iris data, measured in cm"])
    sheet = book.create_sheet("Iris")
    sheet.append(["label", "species"] + names)
    for l, r in zip(labels, rows):
        sheet.append([l, species(l)] + [float(v) for v in r])
    book.save(os.path.join(DATA, "iris_openpyxl.xlsx"))

    # A hand-made workbook with what writers vary in: relative targets, inline
    # strings, cells without references, a gap, a boolean, an error cell.
    write_minimal_xlsx(os.path.join(DATA, "inline_gaps.xlsx"))

    soffice = shutil.which("soffice")
    if soffice:
        with tempfile.TemporaryDirectory() as work:
            source = os.path.join(work, "iris_libreoffice.csv")
            shutil.copy(os.path.join(DATA, "iris_grouped.csv"), source)
            for target in ("xlsx", "ods"):
                subprocess.run([soffice, "--headless", "-env:UserInstallation=file://" + work + "/profile",
                                "--convert-to", target, "--outdir", work, source],
                               check=True, capture_output=True)
                shutil.copy(os.path.join(work, "iris_libreoffice." + target), DATA)

    write_bad_tables(header, body)


def write_minimal_xlsx(path):
    parts = {
        "[Content_Types].xml": '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
        "_rels/.rels": '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                       '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": '<?xml version="1.0"?><x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                           'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                           '<x:sheets><x:sheet name="Data" sheetId="1" r:id="rId7"/></x:sheets></x:workbook>',
        "xl/_rels/workbook.xml.rels": '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                                      '<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/../worksheets/data.xml"/></Relationships>',
        "xl/worksheets/data.xml": '<?xml version="1.0"?><x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData>'
                                  '<x:row r="2"><x:c t="inlineStr"><x:is><x:t>name</x:t></x:is></x:c><x:c t="inlineStr"><x:is><x:t>a</x:t></x:is></x:c>'
                                  '<x:c r="D2" t="inlineStr"><x:is><x:t>flag</x:t></x:is></x:c><x:c r="E2" t="inlineStr"><x:is><x:t>b</x:t></x:is></x:c></x:row>'
                                  '<x:row><x:c r="A3" t="inlineStr"><x:is><x:t>one</x:t></x:is></x:c><x:c r="B3"><x:v>1.5</x:v></x:c>'
                                  '<x:c r="D3" t="b"><x:v>1</x:v></x:c><x:c r="E3"><x:v>10</x:v></x:c></x:row>'
                                  '<x:row r="5"><x:c r="A5" t="inlineStr"><x:is><x:t>two</x:t></x:is></x:c><x:c r="B5"><x:v>2.5</x:v></x:c>'
                                  '<x:c r="D5" t="b"><x:v>0</x:v></x:c><x:c r="E5" t="e"><x:v>#N/A</x:v></x:c></x:row>'
                                  '<x:row r="6"><x:c r="A6" t="inlineStr"><x:is><x:t>three</x:t></x:is></x:c><x:c r="B6"><x:v>3.5</x:v></x:c>'
                                  '<x:c r="D6" t="b"><x:v>1</x:v></x:c><x:c r="E6"><x:v>30</x:v></x:c></x:row>'
                                  '</x:sheetData></x:worksheet>',
    }
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text)


def write_bad_tables(header, body):
    def table(name, rows):
        write_text(name, [",".join(r) for r in rows])

    ragged = [header] + [list(r) for r in body[:5]]
    ragged[4] = ragged[4][:-1]
    table("bad_ragged.csv", ragged)
    text = [header] + [list(r) for r in body[:5]]
    text[3][2] = "3.O"
    table("bad_text_in_numeric.csv", text)
    table("bad_all_missing_column.csv",
          [header + ["Weight"]] + [list(r) + [""] for r in body[:5]])
    one = [header] + [list(r) for r in body[:4]]
    for r in one[2:]:
        r[1] = "NA"
    table("bad_one_complete.csv", one)
    rng = random.Random(15)
    with open(os.path.join(DATA, "bad_binary.csv"), "wb") as f:
        f.write(bytes(rng.randrange(256) for _ in range(2048)))
    open(os.path.join(DATA, "bad_empty.csv"), "wb").close()
    write_text("bad_not_zip.xlsx", ["label,SL", "a,1", "b,2"])
    # A zip bomb: a content.xml that inflates beyond the cap, honestly declared.
    with zipfile.ZipFile(os.path.join(DATA, "bad_bomb.ods"), "w", zipfile.ZIP_DEFLATED,
                         compresslevel=9) as z:
        with z.open("content.xml", "w", force_zip64=True) as member:
            member.write(b"<a>")
            block = b" " * (1 << 20)
            for _ in range(520):
                member.write(block)
            member.write(b"</a>")


if __name__ == "__main__":
    main()
