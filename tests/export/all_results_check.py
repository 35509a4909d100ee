#!/usr/bin/python3
"""The All Results exports read by independent tools: the JSON validates
against docs/all-results.schema.json with jsonschema, every row is as long
as its headings, and openpyxl opens the xlsx with one sheet per table and the
stated headings in the first row. Exits 77 (skipped) when jsonschema or
openpyxl is missing.

Usage: all_results_check.py TALVEX_CLI DATAFILE SCHEMA"""
import json
import os
import subprocess
import sys
import tempfile

try:
    import jsonschema
    import openpyxl
except ImportError:
    sys.exit(77)

cli, data, schema_path = sys.argv[1:4]
schema = json.load(open(schema_path))
failures = 0
with tempfile.TemporaryDirectory() as tmp:
    for options in (['--method', 'covariance', '--transform', 'log10'], ['--no-jackknife']):
        js, xl = os.path.join(tmp, 'all.json'), os.path.join(tmp, 'all.xlsx')
        for out in (js, xl):
            subprocess.run([cli] + options + ['--results', out, '--report', os.devnull, data],
                           check=True, capture_output=True)
        document = json.load(open(js))
        jsonschema.validate(document, schema)
        names = [t['name'] for t in document['tables']]
        expected = ['Run', 'Basic statistics', 'Covariance matrix' if 'covariance' in options else
                    'Correlation matrix', 'Eigenvalues', 'Eigenvectors', 'Scores',
                    'Component-variable correlations']
        if 'log10' in options:
            expected += ['MACs', 'JK eigenvalues', 'JK eigenvectors', 'JK MACs', 'Influence',
                         'Axis exchanges']
        if names != expected:
            print('tables', names, 'expected', expected); failures += 1
        for t in document['tables']:
            if any(len(r) != len(t['columns']) for r in t['rows']):
                print('ragged rows in', t['name']); failures += 1
        book = openpyxl.load_workbook(xl, read_only=True)
        if book.sheetnames != names:
            print('sheets', book.sheetnames); failures += 1
        for t in document['tables']:
            first = [c.value for c in next(book[t['name']].iter_rows(max_row=1))]
            if first != t['columns']:
                print('headings of', t['name'], first); failures += 1
        # The scores sheet holds the same numbers as the JSON, exactly.
        rows = list(book['Scores'].iter_rows(min_row=2, values_only=True))
        scores = next(t for t in document['tables'] if t['name'] == 'Scores')['rows']
        if [list(r) for r in rows] != scores:
            print('scores differ between xlsx and JSON'); failures += 1
print('all results: %s' % ('ok' if failures == 0 else '%d failures' % failures))
sys.exit(1 if failures else 0)
