#!/usr/bin/env bash
# Peak resident memory of one whole run at the largest accepted request
# (base 10, 1310715 digits, formula ID given as the first argument, default 1),
# measured with GNU time. Usage: bench/memory_use.sh [ID] [path to pi_drm]
set -euo pipefail
id=${1:-1}
program=$(realpath "${2:-build/pi_drm}")
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
printf '10\n0\n%s\n1310715\n' "$id" | /usr/bin/time -v "$program" >console.txt 2>time.txt
grep -E 'Maximum resident set size|Elapsed \(wall clock\)' time.txt
tail -n 1 console.txt
