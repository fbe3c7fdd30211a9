#!/bin/sh
# Installs what is missing, builds, installs into ./install and starts Tessoly.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh
cmake --preset default -DTESSOLY_BUILD_TESTS=OFF -DTESSOLY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build --preset default -j "$(nproc)"
cmake --install build/default --prefix "$PWD/install" >/dev/null
if [ -x install/bin/tessoly ]; then
  exec install/bin/tessoly "$@"
else
  # The window is not built yet: the command-line tool is what exists.
  exec install/bin/tessoly-cli "${@:---help}"
fi
