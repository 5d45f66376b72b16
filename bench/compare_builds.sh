#!/usr/bin/env bash
# Runs the largest request (base 10, N = 1310715) for each of the five
# formulas with the fast build (pi_drm) and the reference build
# (pi_drm_reference), one after the other in one run, each in its own
# temporary folder; prints both times and their ratio per formula and checks
# that the two reports are identical apart from the totals line.
#
#   bench/compare_builds.sh [build folder] [digits] [formulas...]
#
# Defaults: the folder "build" next to this one, 1310715 digits, formulas
# 1 to 5. Exit status 1 if any pair of reports differs.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
digits="${2:-1310715}"
shift $(($# > 2 ? 2 : $#))
formulas=("$@")
((${#formulas[@]})) || formulas=(1 2 3 4 5)

fast="$build/pi_drm"
reference="$build/pi_drm_reference"
for program in "$fast" "$reference"; do
  [[ -x "$program" ]] || { echo "missing $program: build first (cmake --build $build)" >&2; exit 2; }
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Runs one program in a fresh folder; prints its wall-clock seconds.
run_one() {
  local program="$1" folder="$2" formula="$3"
  mkdir -p "$folder"
  local start end
  start=$(date +%s.%N)
  if ! (cd "$folder" && printf '10 0 %s %s\n' "$formula" "$digits" | "$program" > console.txt); then
    echo "$program failed on formula $formula" >&2
    exit 1
  fi
  end=$(date +%s.%N)
  echo "$start $end" | awk '{ printf "%.2f", $2 - $1 }'
}

status=0
printf '%-8s %12s %12s %8s  %s\n' formula "fast (s)" "reference (s)" ratio reports
for formula in "${formulas[@]}"; do
  fast_dir="$scratch/fast_$formula"
  reference_dir="$scratch/reference_$formula"
  fast_time=$(run_one "$fast" "$fast_dir" "$formula")
  reference_time=$(run_one "$reference" "$reference_dir" "$formula")
  report="AtanDRM$formula.txt"
  if [[ -s "$fast_dir/$report" && -s "$reference_dir/$report" ]] &&
     cmp -s <(grep -v '^  Total Time=' "$fast_dir/$report") \
            <(grep -v '^  Total Time=' "$reference_dir/$report"); then
    verdict=identical
  else
    verdict=DIFFERENT
    status=1
  fi
  ratio=$(echo "$reference_time $fast_time" | awk '{ printf "%.1f", $1 / $2 }')
  printf '%-8s %12s %12s %8s  %s\n' "$formula" "$fast_time" "$reference_time" "$ratio" "$verdict"
done
exit $status
