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
