#!/usr/bin/env bash
# The standalone sets of the W3C XML conformance suite (standalone-sets.txt)
# through `orvelxml check`: every not-well-formed document must be refused
# (exit 1) and every well-formed one accepted (exit 0), except those listed
# with their reason in exceptions.txt, which must keep giving the other
# verdict. A document that is well formed only without the namespace rules
# ("wf-xml") must be accepted by `check --no-namespaces` and refused by
# `check`.
#   run_suite.sh TOOL MODULE SUITE_DIR
set -uo pipefail
tool=$1 module=$2 suite=$3/xmlconf
here=$(dirname "$0")
if [ ! -f "$3/.version" ]; then  # written last by the fetch, so a copy cut short counts as none
  echo "no conformance suite in $3: run scripts/fetch-conformance-suite.sh (make deps does)"
  exit 77
fi
passed=0 failed=0
# verdict NAME WANTED [CHECK OPTIONS]: one run of check, counted.
verdict() {
  local name=$1 wanted=$2 got
  shift 2
  "$tool" --module "$module" -q check "$@" "$suite/$name" >/dev/null 2>&1
  got=$?
  if grep -q "^$name " "$here/exceptions.txt"; then
    if [ "$got" -ne "$wanted" ]; then passed=$((passed + 1)); return; fi
    echo "FAIL $name: listed as an exception, but gives exit $got as the suite wants; take it off the list"
  else
    if [ "$got" -eq "$wanted" ]; then passed=$((passed + 1)); return; fi
    echo "FAIL $name $*: exit $got, wanted $wanted"
  fi
  failed=$((failed + 1))
}
while read -r kind name; do
  case $kind in
    not-wf) verdict "$name" 1 ;;
    wf) verdict "$name" 0 ;;
    wf-xml) verdict "$name" 0 --no-namespaces; verdict "$name" 1 ;;
  esac
done <"$here/standalone-sets.txt"
echo "conformance: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
