#!/bin/sh
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [preset]   (default, asan or tsan; see CMakePresets.json)
set -eu
cd "$(dirname "$0")/.."
preset="${1:-default}"
./scripts/setup-deps.sh
cmake --preset "$preset" -DTESSOLY_BUILD_TESTS=ON >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --preset "$preset" -j "$(nproc)" --timeout 300
