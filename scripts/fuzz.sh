#!/usr/bin/env bash
# Runs every libFuzzer target of BUILD for SECONDS each, JOBS at a time, niced
# so that builds of others keep moving. New inputs collect in
# fuzz/corpus-work/TARGET (not committed); a failing input lands in
# fuzz/findings/ and is to be kept, once fixed, in fuzz/regressions/TARGET.
# Prints per target the inputs run and the coverage reached.
set -euo pipefail
build=$1
seconds=$2
jobs=${3:-2}
cd "$(dirname "$0")/.."
targets=(parse_fuzz edit_fuzz encode_fuzz ini_fuzz path_fuzz xmlz_fuzz)
mkdir -p fuzz/findings fuzz/corpus-work/logs
run_one() {
  local t=$1 build=$2 seconds=$3
  mkdir -p "fuzz/corpus-work/$t"
  local status=0
  nice -n 10 "$build/bin/$t" -max_total_time="$seconds" -dict="fuzz/dict/$t.dict" -print_final_stats=1 \
    -artifact_prefix="fuzz/findings/$t-" "fuzz/corpus-work/$t" "fuzz/corpus/$t" \
    >"fuzz/corpus-work/logs/$t.log" 2>&1 || status=$?
  local runs cov ft
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "fuzz/corpus-work/logs/$t.log" | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "fuzz/corpus-work/logs/$t.log" | tail -1 | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' "fuzz/corpus-work/logs/$t.log" | tail -1 | grep -o '[0-9]*' || true)
  printf '%-12s %s s: %s inputs, coverage %s edges, %s features, %s\n' "$t" "$seconds" "${runs:-?}" "${cov:-?}" \
    "${ft:-?}" "$([ $status -eq 0 ] && echo "nothing found" || echo "FOUND (see fuzz/corpus-work/logs/$t.log)")"
  return $status
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$build" "$seconds"
