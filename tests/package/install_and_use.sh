#!/usr/bin/env bash
# Installs the build into a temporary prefix, stripped, moves the installed
# tree, and uses it from there as a downstream project would: the CMake
# package, the pkg-config file, the version rule and the installed tool. Also
# checks that the installed tree is complete and names no path of the build
# or the source tree, and that the prefix /usr takes the multiarch libdir.
#   install_and_use.sh BUILD_DIR SOURCE_DIR CXX VERSION LIBDIR
set -euo pipefail
build=$1 source=$2 cxx=$3 version=$4 libdir=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "-- $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

step "install into a temporary prefix"
DESTDIR= cmake --install "$build" --prefix "$work/stage" --strip >/dev/null
for f in "$libdir/libOrvelXml.so.$version" "$libdir/libOrvelXml.so.${version%%.*}" "$libdir/libOrvelXml.so" \
  "$libdir/libZandrop.so" include/orvel/orvel.h include/orvel/xml_component.h include/orvel/factory_library.h \
  include/orvel/version.h bin/orvelxml share/man/man1/orvelxml.1 share/bash-completion/completions/orvelxml \
  share/doc/orvelxml/README.md \
  share/doc/orvelxml/LICENSE share/doc/orvelxml/examples/sample.xml "$libdir/cmake/OrvelXml/OrvelXmlConfig.cmake" \
  "$libdir/cmake/OrvelXml/OrvelXmlConfigVersion.cmake" "$libdir/pkgconfig/orvelxml.pc"; do
  [ -e "$work/stage/$f" ] || fail "not installed: $f"
done
[ "$(readlink "$work/stage/$libdir/libOrvelXml.so")" = "libOrvelXml.so.${version%%.*}" ] || fail "libOrvelXml.so link"
man=$work/stage/share/man/man1/orvelxml.1
grep -qxF ".TH ORVELXML 1 \"\" \"orvelxml $version\" \"User Commands\"" "$man" || fail "man page header"
grep -qx '\.SS check' "$man" || fail "man page has no section for orvelxml check"
for section in 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
  grep -qx "\.SH $section" "$man" || fail "man page has no $section section"
done
grep -qx 'License: MIT' "$work/stage/$libdir/pkgconfig/orvelxml.pc" || fail "orvelxml.pc names no licence"
for binary in bin/orvelxml "$libdir/libOrvelXml.so.$version" "$libdir/libZandrop.so"; do
  if readelf -S "$work/stage/$binary" | grep -qE ' \.(symtab|debug_info) '; then fail "not stripped: $binary"; fi
done

step "no installed file names the build tree or the source tree"
for tree in "$build" "$source"; do
  if named=$(grep -rlaF "$tree" "$work/stage"); then fail "these name $tree: $named"; fi
done

step "the installed tree works where it is moved to"
mv "$work/stage" "$work/moved"
prefix=$work/moved

step "CMake package: find_package(OrvelXml 0.1 CONFIG), OrvelXml::OrvelXml and OrvelXml::headers"
cmake -S "$source/tests/package/downstream" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake-host" >/dev/null
expected="parsed=1 id=7 content=Dune config=host.ini unload=0/1"
[ "$("$work/cmake-host/linked_host")" = "$expected" ] || fail "CMake linked host"
[ "$("$work/cmake-host/loading_host" "$prefix/$libdir/libOrvelXml.so")" = "$expected" ] || fail "CMake loading host"

step "the package's version rule"
cmake -S "$source/tests/package/version_rule" -B "$work/version-rule" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null

step "pkg-config: --cflags --libs orvelxml, and --cflags alone for a host that loads the module"
export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
[ "$(pkg-config --modversion orvelxml)" = "$version" ] || fail "pkg-config version"
define="-DORVELXML_EXPECTED=\"$version\""
# shellcheck disable=SC2046
"$cxx" -std=c++17 -Werror "$define" "$source/tests/package/downstream/linked_host.cpp" \
  $(pkg-config --cflags --libs orvelxml) -o "$work/pc_linked_host"
# shellcheck disable=SC2046
"$cxx" -std=c++17 -Werror "$define" "$source/tests/package/downstream/loading_host.cpp" \
  $(pkg-config --cflags orvelxml) -ldl -o "$work/pc_loading_host"
[ "$(LD_LIBRARY_PATH="$(pkg-config --variable=libdir orvelxml)" "$work/pc_linked_host")" = "$expected" ] ||
  fail "pkg-config linked host"
[ "$("$work/pc_loading_host" "$prefix/$libdir/libOrvelXml.so")" = "$expected" ] || fail "pkg-config loading host"

step "the installed tool finds its module and reports the version"
[ "$("$prefix/bin/orvelxml" --version)" = "orvelxml $version" ] || fail "orvelxml --version"
got=$(printf 'ParseText "<r id=\\"42\\">hi</r>"\nSeekSiblingElement null\nReadAttribute "id"\n' |
  (cd "$work" && "$prefix/bin/orvelxml" run -))
[ "$got" = $'ParseText "<r id=\\"42\\">hi</r>" -> 1\nSeekSiblingElement null -> 1\nReadAttribute "id" -> 1 "42"' ] ||
  fail "installed orvelxml run: $got"
demo=$(cd "$work" && "$prefix/bin/orvelxml" demo) || fail "installed orvelxml demo"
[[ $demo == *" on $prefix/share/doc/orvelxml/examples/sample.xml"* ]] || fail "demo does not read the moved sample"

if [ -f /etc/debian_version ]; then
  step "make install PREFIX=/usr: the multiarch libraries folder, a build without tests"
  make -s -C "$source" install-configure PREFIX=/usr INSTALL_BUILD="$work/usr-prefix" >/dev/null
  grep -qxF "libdir=\${prefix}/lib/$("$cxx" -print-multiarch)" "$work/usr-prefix/orvelxml.pc" ||
    fail "libdir for /usr: $(grep libdir= "$work/usr-prefix/orvelxml.pc")"
  ctest --test-dir "$work/usr-prefix" -N | grep -qx 'Total Tests: 0' || fail "the install build defines tests"
fi
echo "installed package: all steps passed"
