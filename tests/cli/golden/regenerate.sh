#!/bin/sh
# Rewrites the golden outputs with the given firxover-cli binary.
set -eu
cli=${1:?usage: regenerate.sh path/to/firxover-cli}
here=$(dirname "$0")
"$cli" design --json > "$here/defaults.json"
"$cli" design --shelf-cut 6 --json > "$here/shelf-cut-6.json"
"$cli" design --no-adjust --low-taps 600 --mid-taps 1001 --high-taps 255 --low-cut 250 --mid-low 350 \
  --mid-high 2500 --high-cut 3000 --shelf-cut 3 --shelf-f1 150 --shelf-f2 700 --json > "$here/mixed.json"
