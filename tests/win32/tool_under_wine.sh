#!/usr/bin/env bash
# orvelxml.exe under Wine in a Unix folder (the Z: drive):
# - edits over existing files by bare names in the working folder (which the
#   replacement once could not save) and by Z: paths, in UTF-8 (the module's
#   save), ISO-8859-1 and UTF-16 (the tool's own replacement);
# - a filter, whose output must keep the file's bytes (no text-mode line ends);
# - a word that starts with / (a PATH, a Unix file name) is an operand, as on
#   POSIX, not a Windows-style option;
# - VALUE is taken in UTF-8 though the C runtime hands it over in the ANSI
#   code page.
#   tool_under_wine.sh WINE_RUN TOOL MODULE WORK
set -u
wine_run=$1 tool=$2 module=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
tool() { "$wine_run" "$tool" --module "$module" -q "$@"; }
# Passes when file holds the bytes printf makes of format.
holds() { cmp -s "$1" <(printf "$2") || fail "$1: $(od -An -c "$1" | tr -s ' \n' ' ')"; }
utf16() { printf '\xff\xfe'; printf "$1" | iconv -f UTF-8 -t UTF-16LE; }

printf '<r a="1"/>\n' > plain.xml
tool set plain.xml r/@a 2 || fail "set plain.xml by its bare name"
holds plain.xml '<r a="2"/>\n'
tool format plain.xml -o "Z:$work/plain.xml" || fail "format -o over plain.xml"
holds plain.xml '<r a="2"/>\n'

printf '<?xml version="1.0" encoding="ISO-8859-1"?>\n<r>\n\t<n>d\xe9j\xe0</n>\n\t<n>x</n>\n</r>\n' > latin1.xml
tool set latin1.xml 'r/n[2]' 'ü' || fail "set latin1.xml by its bare name, a VALUE out of ASCII"
tool add "Z:$work/latin1.xml" r '<m>&#xE9;</m>' || fail "add to latin1.xml by its Z: path"
holds latin1.xml '<?xml version="1.0" encoding="ISO-8859-1"?>\n<r>\n\t<n>d\xe9j\xe0</n>\n\t<n>\xfc</n>\n\t<m>&#xE9;</m>\n</r>\n'

utf16 '<r>\n  <a>\xc3\xa9</a>\n</r>\n' > utf16.xml
tool add utf16.xml r '<b/>' || fail "add to utf16.xml by its bare name"
utf16 '<r>\n  <a>\xc3\xa9</a>\n  <b/>\n</r>\n' > want.xml
cmp -s utf16.xml want.xml || fail "utf16.xml: $(od -An -c utf16.xml | tr -s ' \n' ' ')"
tool delete - r/b < utf16.xml > filtered.xml || fail "delete - as a filter"
utf16 '<r>\n  <a>\xc3\xa9</a>\n</r>\n' > want.xml
cmp -s filtered.xml want.xml || fail "the filter wrote $(od -An -c filtered.xml | tr -s ' \n' ' ')"

got=$(tool get "$work/latin1.xml" '/r/n[1]' 2>&1) # a Unix path names a file on the working folder's drive
[ "$got" = "$(printf 'd\xc3\xa9j\xc3\xa0')" ] || fail "get with words starting with /: $got"

[ $status = 0 ] && cd / && rm -rf "$work"
exit $status
