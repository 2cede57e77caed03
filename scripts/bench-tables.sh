#!/usr/bin/env bash
# The speed table on both targets: peer_ratios of the native build and of the
# win32 build (OrvelXml.dll under Wine), run in turn in PROCESSES processes
# each, and for every row the median over the processes of our time, the
# peers' times and the ratios (peer time / ours). Extra arguments go to every
# peer_ratios run (--rounds=N, --min-seconds=S, --only=ROW).
# Usage: bench-tables.sh NATIVE_BUILD WIN32_BUILD [PROCESSES [ARG...]]
set -euo pipefail
native="$1"
win32="$2"
processes="${3:-3}"
shift $(($# < 3 ? $# : 3))
out="$(mktemp -d)"
trap '"$win32/wine-run" --stop; rm -rf "$out"' EXIT

for i in $(seq 1 "$processes"); do
  echo "process $i of $processes: native" >&2
  "$native/bin/peer_ratios" "$@" | grep '^ROW' >"$out/native.$i"
  echo "process $i of $processes: win32 under Wine" >&2
  "$win32/wine-run" "$win32/bin/peer_ratios.exe" "$@" | tr -d '\r' | grep '^ROW' >"$out/win32.$i"
done

# One table from the lines "ROW name ours MS pugixml MS [rapidxml MS]" of
# every process: medians over the processes.
table() {
  cat "$out/$1".* | awk -v title="$2" '
    function median(list,   n, a, i, j, t) {
      n = split(list, a, " ")
      for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
      return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    {
      row = $2
      if (!(row in seen)) { seen[row] = 1; order[++rows] = row }
      ours[row] = ours[row] " " $4
      pugi[row] = pugi[row] " " $6; pugiRatio[row] = pugiRatio[row] " " $6 / $4
      if (NF >= 8) { rapid[row] = rapid[row] " " $8; rapidRatio[row] = rapidRatio[row] " " $8 / $4 }
    }
    END {
      printf "%s\n\n| row | ours ms | pugixml ms | ratio vs pugixml | RapidXML ms | ratio vs RapidXML |\n|---|---|---|---|---|---|\n", title
      for (i = 1; i <= rows; i++) {
        r = order[i]
        printf "| %s | %.1f | %.1f | %.2f |", r, median(ours[r]), median(pugi[r]), median(pugiRatio[r])
        if (r in rapid) printf " %.1f | %.2f |\n", median(rapid[r]), median(rapidRatio[r])
        else printf " | |\n"
      }
      print ""
    }'
}
table win32 "DLL under Wine (i686, MinGW-w64), medians of $processes processes"
table native "Linux x86-64, medians of $processes processes"
