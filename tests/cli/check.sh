# check: verdicts on standard output, errors on standard error, positions as
# LINE:COL counted in UTF-8 characters and naming the '<' of a tag.
printf '<?xml version="1.0"?>\n<r>\n  <a k="v"/>\n</r>\n' > good.xml
printf '<catalog>\n  <book>\n    <title>Cut sh' > truncated.xml
printf '<r>\n  <a>\n  </b>\n</r>\n' > stray.xml
printf '<r>\n\t<a>\n</r>' > unclosed.xml
printf '<r>\n  <t>caf\xc3\xa9 \xe2\x82\xac</x></r>\n' > utf8.xml
printf '<a/>\n<b/>\n' > sibling.xml
: > empty.xml
printf '<r>\n<a/>\0</r>' > nul.xml
printf '\xff\xfe<\0r\0/\0>\0' > utf16.xml
printf '<\0r\0/\0>\0' > utf16-no-mark.xml

run check good.xml
run check -q good.xml
echo '# a document cut short: its end, with the elements left open, once'
run check truncated.xml
printf '<a>' > open-root.xml
printf '<a><b>x</b><c' > cut-in-tag.xml
printf '<a/>\n<b><c/>' > sibling-then-cut.xml
{ printf '<doc>\n'; for i in 1 2 3 4 5 6 7 8 9 10; do printf '%*s<l%d>\n' "$i" '' "$i"; done; } > deep-cut.xml
run check open-root.xml cut-in-tag.xml sibling-then-cut.xml deep-cut.xml
echo '# one message, at the place to fix: a cut start tag, comment or declaration, a bad byte in a tag'
printf '<?xml version="1.0"?>\n<catalog version="3"\n  lang' > cut-root-tag.xml
printf '<?xml version="1.0"?>\n<!-- a comment cut sh' > cut-comment.xml
printf '<!DOCTYPE r [\n  <!ENTITY e "x">\n' > cut-doctype.xml
printf '<r>\n  <a\xff k="v">\n  </a>\n</r>\n' > bad-byte-in-tag.xml
run check cut-root-tag.xml cut-comment.xml cut-doctype.xml bad-byte-in-tag.xml
run check --lenient truncated.xml
run check stray.xml
run check unclosed.xml
run check --lenient unclosed.xml
run check utf8.xml
run check sibling.xml empty.xml nul.xml
run check utf16.xml utf16-no-mark.xml
# one verdict per file; the exit code covers them all
run check good.xml truncated.xml
run check good.xml missing.xml
echo '# standard input'
run check - < good.xml
run check -q - < truncated.xml
echo '# a file named like an option, after --'
cp good.xml ./-x.xml
run check -x.xml
run check -- -x.xml
run -q check -- -x.xml good.xml

echo '# -r DIR: every .xml and .xmlz below DIR, in name order'
mkdir -p tree/sub/deeper tree/other
cp good.xml tree/b.xml
cp truncated.xml tree/sub/a.XML
cp good.xml tree/sub/deeper/c.xml
gzip -c good.xml > tree/other/packed.xmlz
echo 'not a document' > tree/notes.txt
run check -r tree
run -q check -r tree
echo '# standard output is flushed before each message, so one stream keeps the name order'
run_merged check -r tree
run check -r no-such-folder
run check -r tree good.xml
