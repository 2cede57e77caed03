#!/usr/bin/env bash
# Installs the Debian packages the build, tests and benchmarks need (with
# "demo" or "install": only those the module, the factory and the tool need);
# does nothing when they are all present, so it is safe to run every time. The
# win32 build needs MinGW-w64, its zlib and GoogleTest's sources (built with
# it); its tests run under Wine, whose 32-bit half (wine32) needs the i386
# architecture enabled first.
# Another package manager at work (an unattended upgrade, a second build's
# install) holds apt's and dpkg's locks for a while: apt-get then waits for
# them, up to ORVEL_APT_LOCK_WAIT seconds (default 1200), looking again every
# ORVEL_APT_LOCK_POLL seconds (default 5), instead of failing at once.
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
lock_wait=${ORVEL_APT_LOCK_WAIT:-1200}

# apt-get "$@", again for as long as it fails only because a lock is held.
apt_get() {
  local deadline=$((SECONDS + lock_wait)) errors status
  errors=$(mktemp)
  for (( ; ; )); do
    status=0
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$lock_wait" "$@" 2>"$errors" || status=$?
    cat "$errors" >&2
    if [ "$status" -eq 0 ] || ! grep -qE 'Could not get lock|Unable to acquire|is another process using it' "$errors" ||
      [ "$SECONDS" -ge "$deadline" ]; then
      rm -f "$errors"
      return "$status"
    fi
    echo "install-deps: another package manager holds apt's lock; waiting for it" >&2
    sleep "${ORVEL_APT_LOCK_POLL:-5}"
  done
}

echo "installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
apt_get update -qq
apt_get install -y -qq "${missing[@]}"
