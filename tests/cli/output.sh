# What the tool writes and takes: a failed write to standard output is an
# error, - means standard output for -o as for input, -- may follow operands,
# and one failure gives one exit code whatever the command.
printf '<r k="v">\n<t>text</t>\n</r>\n' > good.xml

echo '# standard output that cannot be written: exit 2 with the reason'
run_full format good.xml
run_full get good.xml r/@k
run_full check good.xml
printf 'ParseText "<r/>"\n' > parse.script
run_full run parse.script
run_full --version
run_full -q check good.xml

echo '# a file the module cannot save: the reason it met'
run format good.xml -o /dev/full
run format good.xml -o no-such-folder/out.xml

echo '# -o - is standard output; no file named - is made'
run format good.xml -o -
test -e ./- || echo 'no file named -'

echo '# operands after --, as GNU tools take them'
cp good.xml ./-dash.xml
run check good.xml -- -dash.xml
run set good.xml r/@k -- -5
run get good.xml r/@k

echo '# a NUL byte is not well formed (1), whatever the command'
printf '<r>\0</r>' > nul.xml
run -q check nul.xml
run get nul.xml r
run set nul.xml r x
run format nul.xml

echo '# FILE - makes an edit a filter: standard input in, the edited document out'
run set - r/t new < good.xml
run -q add - r '<u/>' < good.xml
run delete - r/t < good.xml
run set - r/missing x < good.xml
echo '# pack reads - and writes -; unpack writes -'
"$TOOL" --module "$MODULE" pack - - < good.xml | gzip -dc
gzip -c good.xml > good.xmlz
run unpack good.xmlz -
