#!/usr/bin/env bash
# Installs the Debian packages the build, tests and benchmarks need; does
# nothing when they are all present, so it is safe to run every time.
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev pkg-config libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev zlib1g-dev locales)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
