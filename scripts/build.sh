#!/usr/bin/env bash
# Builds the program with the given CMake preset, default "default": build/<preset>/duopit.
# Further arguments name other targets to build instead ("all" for the program and the
# whole test suite, as scripts/test.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
targets=("${@:-duopit}")
case "$preset" in
  win32 | arm64) scripts/install-deps.sh "$preset" ;;
  *) scripts/install-deps.sh ;;
esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target "${targets[@]}"
