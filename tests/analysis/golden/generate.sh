#!/usr/bin/env bash
# Regenerates the expected listings from the independent model.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
grep -v '^#' "$here/cases.txt" | while read -r name data method transform rule jk k; do
  /usr/bin/python3 "$here/listing_model.py" "$here/../data/$data" "$method" "$transform" "$rule" "$jk" "$k" "$here/$name.txt"
done
