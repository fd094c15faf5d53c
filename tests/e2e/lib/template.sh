#!/usr/bin/env bash
# Makes sure the template Wine prefix exists (the tests copy it). Serialised
# with a lock so that parallel runs never build it twice at once.
set -euo pipefail
src=${TEMBRIC_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
template=${TEMBRIC_WINE_TEMPLATE:-$src/build/wine-template}
mkdir -p "$(dirname "$template")"
start=$(date +%s.%N)
flock -w 300 "$template.lock" "$src/scripts/wine-template.sh" "$template"
awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "template prefix ready in %.1fs\n", e - s }'
