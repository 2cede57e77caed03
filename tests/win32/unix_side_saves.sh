#!/usr/bin/env bash
# Saves of the win32 build under Wine that only the Unix side can set up:
# - a Unix symbolic link, which Wine shows as a plain file: the file it names
#   receives the text (written in place) and the link stays a link;
# - a write in place refused past the old end (here by the file size limit;
#   a full disk refuses it the same way): the old text stays whole.
#   unix_side_saves.sh WINE_RUN HOST MODULE WORK
set -u
wine_run=$1 host=$2 module=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
status=0
fail() {
  echo "FAIL: $*"
  status=1
}
# Runs the host under Wine with the module and the commands given.
save() { "$wine_run" "$host" "$module" "$@"; }

printf '<old/>' >"$work/real.xml"
ln -s real.xml "$work/link.xml"
out=$(save create 1 0 parse 0 '<new/>' save 0 "Z:$work/link.xml" release 0)
[[ $out == *"save=1"* ]] || fail "save through a link: $out"
[ -L "$work/link.xml" ] || fail "the link became a plain file"
[ "$(cat "$work/real.xml" 2>/dev/null)" = '<new/>' ] || fail "the file the link names does not hold the new text"

# A file with two names is written in place; the new text is 200 KB, the old
# 60 KB, and writes past 100 KB are refused. (The Wine server, which carries
# out SetEndOfFile, was started above without the limit.)
head -c 61440 /dev/zero | tr '\0' 'o' >"$work/old.xml"
{ printf '<new>'; head -c 204800 /dev/zero | tr '\0' 'n'; printf '</new>'; } >"$work/new.xml"
cp "$work/old.xml" "$work/doc.xml"
ln "$work/doc.xml" "$work/other-name.xml"
out=$(
  ulimit -f 100
  trap '' XFSZ # the write fails with EFBIG instead of ending Wine
  save create 1 0 load 0 "Z:$work/new.xml" save 0 "Z:$work/doc.xml" release 0
)
[[ $out == *"save=0"* ]] || fail "a save in place past the limit: $out"
cmp -s "$work/doc.xml" "$work/old.xml" || fail "the old text did not stay whole ($(stat -c %s "$work/doc.xml") bytes)"

[ $status = 0 ] && rm -rf "$work"
exit $status
