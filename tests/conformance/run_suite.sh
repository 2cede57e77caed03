#!/usr/bin/env bash
# The standalone sets of the W3C XML conformance suite (standalone-sets.txt)
# through `orvelxml check`: every not-well-formed document must be refused
# (exit 1) and every well-formed one accepted (exit 0), except those listed
# with their reason in exceptions.txt, which must keep giving the other
# verdict. A document in UTF-16 (a byte-order mark) is not read: the tool
# gives no verdict (exit 2) and says how to convert it; such documents are
# counted apart.
#   run_suite.sh TOOL MODULE SUITE_DIR
set -uo pipefail
tool=$1 module=$2 suite=$3/xmlconf
here=$(dirname "$0")
if [ ! -f "$3/.version" ]; then  # written last by the fetch, so a copy cut short counts as none
  echo "no conformance suite in $3: run scripts/fetch-conformance-suite.sh (make deps does)"
  exit 77
fi
passed=0 failed=0 unread=0
while read -r kind name; do
  case $kind in not-wf) wanted=1 ;; wf) wanted=0 ;; *) continue ;; esac
  "$tool" --module "$module" -q check "$suite/$name" >/dev/null 2>&1
  got=$?
  case $(head -c 2 "$suite/$name" | od -An -tx1 | tr -d ' \n') in
    fffe | feff) if [ "$got" -eq 2 ]; then unread=$((unread + 1)); continue; fi ;;
  esac
  if grep -q "^$name " "$here/exceptions.txt"; then
    if [ "$got" -ne "$wanted" ]; then passed=$((passed + 1)); continue; fi
    echo "FAIL $name: listed as an exception, but gives exit $got as the suite wants; take it off the list"
  else
    if [ "$got" -eq "$wanted" ]; then passed=$((passed + 1)); continue; fi
    echo "FAIL $name: exit $got, wanted $wanted"
  fi
  failed=$((failed + 1))
done <"$here/standalone-sets.txt"
echo "conformance: $passed passed, $failed failed, $unread in UTF-16 not read"
[ "$failed" -eq 0 ]
