# The editing commands never write a document that is not well formed: a
# value XML does not allow, or would not read back as given, is refused; an
# edit whose result breaks XML's rules leaves the file as it was (exit 1); the
# file is replaced through the module's save, and an edit interrupted by a
# signal leaves no new file behind (one killed leaves the old file, and
# nothing that a later save does not remove).
printf '<r a="1">\n  <t>text</t>\n</r>\n' > doc.xml
cp doc.xml before.xml

echo '# refused values'
# (control characters shown as cat -v shows them)
run set doc.xml r/@a "$(printf 'x\001y')" | cat -v
run set doc.xml r/t "$(printf 'bell \a')" | cat -v
run set doc.xml r/@a "$(printf 'two\nlines')"
run set doc.xml r/@a "$(printf 'a\tb')" | cat -A
run set doc.xml r/t "$(printf 'not \xef\xbf\xbe a character')" | cat -v
run set doc.xml r/t "$(printf 'caf\xe9')" | cat -v
echo '# results that would not be well formed'
run add doc.xml r '<d x="1" x="2"/>'
run add doc.xml r '<d>&nbsp;</d>'
run add doc.xml r '<d>a & b</d>'
run add doc.xml r '<d><!-- a -- b --></d>'
cmp doc.xml before.xml && echo 'doc.xml unchanged'

echo '# what an XML reader reads back as given: a line break and a tab in text, a carriage return as &#13;'
run set doc.xml r/t "$(printf 'line\n\tnext\rend')" | cat -A
show doc.xml
run get doc.xml r/t | cat -A
echo '# an & is escaped beside a carriage return too: the text reads back as given'
run set doc.xml r/t "$(printf 'x &lt; y\r')"
run get doc.xml r/t | cat -A

echo '# a document that breaks XML rules is not edited, though the module reads it'
printf '<r a="1" a="2"><t/></r>' > duplicate.xml
run set duplicate.xml r/t x

echo '# the module saves: a file kept private stays so'
cp before.xml private.xml
chmod 600 private.xml
run set private.xml r/@a 2
stat -c '%a' private.xml

echo '# past the file size limit an edit fails and says why, leaving the file as it was'
mkdir limited
{ echo '<r a="1">'; seq -f '  <i>%g</i>' 1 300; echo '</r>'; } > limited/doc.xml
cp limited/doc.xml limited.xml
(ulimit -f 1; run set limited/doc.xml r/@a 2)
cmp -s limited/doc.xml limited.xml && echo "limited: $(ls -A limited | tr '\n' ' ')"

echo '# an edit interrupted while the file is replaced leaves no new file beside it'
{ echo '<r a="1">'; seq -f '  <i n="%g">some text</i>' 1 1500000; echo '</r>'; } > big.xml
cp big.xml edited.xml
"$TOOL" --module "$MODULE" -q set edited.xml r/@a 2
for signal in INT TERM KILL; do
  rm -rf saving
  mkdir saving
  cp big.xml saving/doc.xml
  if [ "$signal" = KILL ]; then # (its action cannot be set)
    "$TOOL" --module "$MODULE" -q set saving/doc.xml r/@a 2 &
  else
    env --default-signal="$signal" "$TOOL" --module "$MODULE" -q set saving/doc.xml r/@a 2 &
  fi
  pid=$!
  # The save under way: a second file in the folder, or a file of the tool's
  # that has no name there yet ("saving/#12345 (deleted)"): interrupt it then.
  shopt -s dotglob nullglob
  while kill -0 "$pid" 2>/dev/null; do
    files=(saving/*)
    if [ ${#files[@]} -gt 1 ] || ls -l "/proc/$pid/fd" 2>/dev/null | grep -q 'saving/#'; then
      kill -s "$signal" "$pid"
      break
    fi
  done
  shopt -u dotglob nullglob
  wait "$pid" 2>/dev/null
  if [ "$signal" = KILL ]; then
    # Killed, the tool cannot clean up: a later save removes what it left.
    cmp -s saving/doc.xml big.xml && echo "SIG$signal: doc.xml as it was"
    "$TOOL" --module "$MODULE" -q set saving/doc.xml r/@a 2
  fi
  echo "SIG$signal: $(ls -A saving | tr '\n' ' ')"
  cmp -s saving/doc.xml edited.xml && echo "SIG$signal: doc.xml edited whole"
done
