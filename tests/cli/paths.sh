# PATH as the same XPath path reads it: each step is tried under every element
# the steps before it found, [n] counts under each parent, and the edits act
# on every match and say how many.
printf '<r>\n  <g><i>1</i></g>\n  <g><i>2</i><i n="x">3</i></g>\n  <h><i>4</i></h>\n</r>\n' > r.xml
cp r.xml original.xml
run get r.xml r/g/i
run get r.xml 'r/g/i[2]'
run get r.xml 'r/*/i[1]'
run get r.xml 'r/g[2]/i/@n'
run get r.xml r/g/i/@n
run get r.xml 'r/g/i[3]'
echo '# a first candidate without the next step does not end the search'
printf '<mime-info>\n  <mime-type type="a"/>\n  <mime-type type="b">\n    <magic><match value="ATARI7800"/></magic>\n  </mime-type>\n</mime-info>\n' > mime.xml
run get mime.xml mime-info/mime-type/magic/match/@value

echo '# every match is edited; [n] picks one under each parent'
for edit in 'set r.xml r/g/i X' 'set r.xml r/g/i[2] Y' 'set r.xml r/*/@k v' 'delete r.xml r/*/i[1]' \
  'add r.xml r/g <j/>'; do
  # shellcheck disable=SC2086
  run $edit
  changes original.xml r.xml
  cp original.xml r.xml
done
run -q set r.xml r/g/i Z
echo '# one refused match refuses them all: nothing is written'
printf '<r><a>t</a><a><b/></a></r>' > mixed.xml
cp mixed.xml mixed-before.xml
run set mixed.xml r/a x
cmp mixed.xml mixed-before.xml && echo 'mixed.xml unchanged'
