#!/usr/bin/env bash
# Runs one command-line case of orvelxml and compares its transcript with the
# .expected file beside it, byte for byte.
#   run_case.sh TOOL MODULE CASE.sh [--update]
# A case is a bash script run in a fresh folder. It calls `run ARGS...`, which
# prints "$ orvelxml ARGS", the tool's standard output, its standard error with
# each line marked "! ", and "[exit N]"; `run_merged ARGS...` the same with
# both streams in one (2>&1), in the order the tool wrote them; `run_full
# ARGS...` with standard output going to /dev/full; `show FILE` prints a file with its
# line ends, carriage returns and tabs visible; `changes OLD NEW` prints the
# lines that differ, so that a golden transcript proves every other byte stayed.
set -uo pipefail
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
tool=$(absolute "$1") module=$(absolute "$2") case_file=$(absolute "$3")
expected=${case_file%.sh}.expected
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

transcript=$(
  cd "$work" || exit 1
  export TOOL=$tool MODULE=$module
  run() {
    printf '$ orvelxml %s\n' "$*"
    "$TOOL" --module "$MODULE" "$@" >"$work/.out" 2>"$work/.err"
    local status=$?
    cat "$work/.out"
    sed 's/^/! /' "$work/.err"
    printf '[exit %d]\n' "$status"
  }
  run_merged() {
    printf '$ orvelxml %s 2>&1\n' "$*"
    "$TOOL" --module "$MODULE" "$@" >"$work/.out" 2>&1
    local status=$?
    cat "$work/.out"
    printf '[exit %d]\n' "$status"
  }
  run_full() {
    printf '$ orvelxml %s >/dev/full\n' "$*"
    "$TOOL" --module "$MODULE" "$@" >/dev/full 2>"$work/.err"
    local status=$?
    sed 's/^/! /' "$work/.err"
    printf '[exit %d]\n' "$status"
  }
  show() { printf '# %s\n' "$1"; cat -A "$1"; echo; }
  changes() { printf '# changes from %s to %s\n' "$1" "$2"; diff "$1" "$2" | cat -A; }
  # shellcheck disable=SC1090
  source "$case_file" 2>&1
)

if [ "${4:-}" = "--update" ]; then
  printf '%s\n' "$transcript" >"$expected"
  exit 0
fi
if [ ! -f "$expected" ]; then
  echo "no $expected; create it with: $0 $* --update" >&2
  exit 1
fi
if ! diff -u "$expected" <(printf '%s\n' "$transcript"); then
  echo "transcript differs from $expected" >&2
  exit 1
fi
