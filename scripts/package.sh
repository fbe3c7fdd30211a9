#!/bin/sh
# Installs what is missing, builds a Release tree and makes the Debian package
# tessoly_<version>_<arch>.deb in the top folder (install it with: apt install ./tessoly_*.deb).
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
# A package of an earlier version left in the tree must not be taken for this one.
rm -f build/release/tessoly_*.deb
cpack --preset release >/dev/null
for deb in build/release/tessoly_*.deb; do
  cp "$deb" .
  echo "Made ${deb##*/}"
done
