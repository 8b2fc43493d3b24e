#!/usr/bin/env bash
# Builds duopit (and its tests) with the given CMake preset, default "default".
# The program is then build/<preset>/duopit.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
