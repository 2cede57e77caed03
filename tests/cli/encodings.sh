# Documents in any encoding: told by their first bytes and their XML
# declaration, read and edited in UTF-8, written back in their own encoding.
doc() { printf '%b' "$2" > "$1"; }

echo '# ISO-8859-1: set and add write values in it, get prints UTF-8'
doc latin1.xml '<?xml version="1.0" encoding="ISO-8859-1"?>\n<r a="caf\xe9">\n<t>caf\xe9</t>\n</r>\n'
run get latin1.xml r/@a
run set latin1.xml r/t 'naïve ☺'
run add latin1.xml r '<n>€ ü</n>'
show latin1.xml
run get latin1.xml r/t
echo '# a character it cannot hold is refused in an attribute value or a name'
cp latin1.xml before.xml
run set latin1.xml r/@a 'smile ☺'
run add latin1.xml r '<n k="€"/>'
run add latin1.xml r '<€/>'
cmp before.xml latin1.xml && echo 'latin1.xml unchanged'

echo '# the bytes are checked in the declared encoding; an unknown one is named'
doc ltf.xml '<?xml version="1.0" encoding="ltf-8"?><r/>'
doc foo.xml '<?xml version="1.0" encoding="foo"?>\n<r/>'
doc not-a-name.xml '<?xml version="1.0" encoding="utf 8"?><r/>'
doc ascii.xml '<?xml version="1.0" encoding="US-ASCII"?>\n<r>caf\xc3\xa9</r>'
doc sjis-bad.xml '<?xml version="1.0" encoding="Shift_JIS"?>\n<r>\x82\xa0\x81\x20</r>'
doc sjis.xml '<?xml version="1.0" encoding="Shift_JIS"?>\n<r>\x82\xa0</r>'
doc mark-latin1.xml '\xef\xbb\xbf<?xml version="1.0" encoding="ISO-8859-1"?><r/>'
doc utf16-in-bytes.xml '<?xml version="1.0" encoding="UTF-16"?><r/>'
run check ltf.xml foo.xml not-a-name.xml ascii.xml sjis-bad.xml mark-latin1.xml utf16-in-bytes.xml
run check --lenient sjis-bad.xml foo.xml
run get sjis.xml r

echo '# UTF-16 and UTF-32 in both byte orders, with a byte-order mark or "<?xml"'
text='<?xml version="1.0"?>\n<r>\n<t>caf\xc3\xa9 \xf0\x9f\x98\x80</t>\n</r>\n'
for form in UTF-16LE UTF-16BE UTF-32LE UTF-32BE; do
  doc "$form.xml" "$text"
  iconv -f UTF-8 -t "$form" < "$form.xml" > plain && mv plain "$form.xml"
done
{ printf '\xff\xfe'; cat UTF-16LE.xml; } > mark-UTF-16LE.xml
{ printf '\0\0\xfe\xff'; cat UTF-32BE.xml; } > mark-UTF-32BE.xml
for f in UTF-16LE UTF-16BE UTF-32LE UTF-32BE mark-UTF-16LE mark-UTF-32BE; do
  run get "$f.xml" r/t
  run set "$f.xml" r/t 'x ☺'
  run format "$f.xml" -o "$f.xml"
  echo "$f.xml starts $(head -c 4 "$f.xml" | od -An -tx1) and reads:"
  iconv -f "${f#mark-}" -t UTF-8 < "$f.xml" | cat -A
done
echo '# what UTF-16 holds must be UTF-16, and agree with the declaration'
printf '\xff\xfe<\0r\0>\0\x00\xd8<\0/\0r\0>\0' > lone-surrogate.xml
printf '\xff\xfe<\0r\0/\0>\0\n' > odd-length.xml
{ printf '\xff\xfe'; printf '<?xml version="1.0" encoding="ISO-8859-1"?><r/>' | iconv -t UTF-16LE; } > utf16-says-latin1.xml
run check lone-surrogate.xml odd-length.xml utf16-says-latin1.xml

echo '# the layout of an added element is read from the converted text and written in the file'"'"'s encoding'
{ printf '\xff\xfe'; printf '<r>\n  <a/>\n</r>\n' | iconv -t UTF-16LE; } > lf-UTF-16LE.xml
run add lf-UTF-16LE.xml r '<b>é</b>'
od -An -c lf-UTF-16LE.xml
doc lf-latin1.xml '<?xml version="1.0" encoding="ISO-8859-1"?>\n<r>\n\t<n>d\xe9j\xe0</n>\n\t<n>na\xefve</n>\n</r>\n'
run set lf-latin1.xml r/n 'über'
run add lf-latin1.xml r '<m>ß €</m>'
od -An -c lf-latin1.xml
echo '# - as FILE: the edited document goes to standard output in its own encoding'
"$TOOL" --module "$MODULE" -q add - r '<c/>' < lf-UTF-16LE.xml | od -An -c
"$TOOL" --module "$MODULE" -q set - 'r/n[2]' 'ñ' < lf-latin1.xml | od -An -c
run set - r/n/@k '☺' < lf-latin1.xml
"$TOOL" --module "$MODULE" format --indent 1 - < lf-UTF-16LE.xml | od -An -c
