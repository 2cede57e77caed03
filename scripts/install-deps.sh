#!/usr/bin/env bash
# Installs the Debian packages the build, tests and benchmarks need (with
# "demo" or "install": only those the module, the factory and the tool need);
# does nothing when they are all present, so it is safe to run every time. The
# win32 build needs MinGW-w64, its zlib and GoogleTest's sources (built with
# it); its tests run under Wine, whose 32-bit half (wine32) needs the i386
# architecture enabled first.
set -euo pipefail
packages=(cmake make g++ zlib1g-dev libcli11-dev)
if [ "${1:-}" != "demo" ] && [ "${1:-}" != "install" ]; then
  packages+=(clang libclang-rt-14-dev pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev locales
    g++-mingw-w64-i686 libz-mingw-w64-dev googletest wine wine32:i386)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
