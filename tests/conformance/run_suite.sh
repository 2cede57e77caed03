#!/usr/bin/env bash
# The standalone sets of the W3C XML conformance suite through
# `orvelxml check --strict`: every not-well-formed document must be refused
# (exit 1) and every valid one accepted (exit 0), except those listed with
# their reason in exceptions.txt, which must keep giving the other verdict.
#   run_suite.sh TOOL MODULE SUITE_DIR
set -uo pipefail
tool=$1 module=$2 suite=$3/xmlconf
exceptions=$(dirname "$0")/exceptions.txt
if [ ! -d "$suite/xmltest" ]; then
  echo "no conformance suite in $3: run scripts/fetch-conformance-suite.sh (make deps does)"
  exit 77
fi
passed=0 failed=0
verdict() {  # FILE WANTED_EXIT
  local file=$1 wanted=$2 name=${1#"$suite"/} got
  "$tool" --module "$module" -q check --strict "$file" >/dev/null 2>&1
  got=$?
  if grep -q "^$name " "$exceptions"; then
    [ "$got" -ne "$wanted" ] && { passed=$((passed + 1)); return; }
    echo "FAIL $name: listed as an exception, but gives exit $got as the suite wants; take it off the list"
  else
    [ "$got" -eq "$wanted" ] && { passed=$((passed + 1)); return; }
    echo "FAIL $name: exit $got, wanted $wanted"
  fi
  failed=$((failed + 1))
}
for f in "$suite"/xmltest/not-wf/sa/[0-9][0-9][0-9].xml; do verdict "$f" 1; done
for f in "$suite"/xmltest/valid/sa/[0-9][0-9][0-9].xml; do verdict "$f" 0; done
echo "conformance: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
