# The command line: help texts, --version, usage errors with exit code 2.
run --version
run
run help
run --help
run check --help
run explode
run check --frobnicate good.xml
run --module
run format
run pack onlyone.xml
run get file.xml
run demo a.xml b.xml
run set a.xml
run check
run run a b
run unpack - out.xml
echo "# each command's help says what - means for it"
for command in demo check format get set add delete run pack unpack; do
  "$TOOL" --module "$MODULE" "$command" --help | grep -e '(- ' -e 'be - ' -e ' - (' | sed "s/^/$command: /"
done
