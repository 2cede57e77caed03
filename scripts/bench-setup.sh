#!/usr/bin/env bash
# The benchmarks' own set-up (never the tests'): the Debian packages only they
# need, and the peers' sources for peer_ratios, which each target's compiler
# builds with our flags: RapidXML's header from Debian, pugixml's sources from
# the npm registry (the camaro package, version 3.0.19, ships pugixml 1.10
# unchanged for its native build). Every file is checked against its SHA-256
# sum. Does nothing when all is in place. Usage: bench-setup.sh [PEERS_DIR]
# (default build-peers).
set -euo pipefail
cd "$(dirname "$0")/.."
peers="${1:-build-peers}"

missing=()
dpkg-query -W -f='${Status}' librapidxml-dev 2>/dev/null | grep -q "install ok installed" || missing+=(librapidxml-dev)
command -v npm >/dev/null || missing+=(npm)  # a Node.js of other origin brings its own
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

sums="02a4ca48eaafcfc52f41ac6cfcd7e1afbc10617e35f7a44043faae5a4377222a  pugixml/pugixml.cpp
9f906d164bf9351c88beec4c208c419439c4f4b7eec12cd9c6e0492ec6fb914c  pugixml/pugixml.hpp
ba69e9b2940e6164c098b44382aa759fd751108c647b530291df8f78c402ef04  pugixml/pugiconfig.hpp
9ddc2f8e3003601aff5a4d37f3caf3b6b60a729ebbc466bafd965cdf0883b12c  pugixml/LICENSE.md
d61c53fd63f11aef0e18d253746ee800903dc82e4ad3cc533d0fdca69f07c4f9  rapidxml/rapidxml.hpp"
mkdir -p "$peers"
if (cd "$peers" && echo "$sums" | sha256sum --check --quiet --status 2>/dev/null); then
  exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent camaro@3.0.19 >/dev/null && tar xzf camaro-3.0.19.tgz)
rm -rf "$peers/pugixml" "$peers/rapidxml"
mkdir -p "$peers/pugixml" "$peers/rapidxml"
cp "$work"/package/src/pugixml/src/pugixml.cpp "$work"/package/src/pugixml/src/pugixml.hpp \
  "$work"/package/src/pugixml/src/pugiconfig.hpp "$work"/package/src/pugixml/LICENSE.md "$peers/pugixml/"
cp /usr/include/rapidxml/rapidxml.hpp "$peers/rapidxml/"
if ! (cd "$peers" && echo "$sums" | sha256sum --check --quiet); then
  echo "bench-setup: the peer sources differ from the ones checked in this script" >&2
  rm -rf "$peers/pugixml" "$peers/rapidxml"
  exit 1
fi
echo "peer sources in $peers: pugixml 1.10 (npm camaro@3.0.19), RapidXML 1.13 (Debian)"
