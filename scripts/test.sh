#!/usr/bin/env bash
# Builds the program and the whole test suite with the given CMake preset, default "default"
# ("sanitize" for the address and undefined-behaviour sanitizers, "clang" for clang,
# "software" for the software model of the arithmetic unit, "win32" for the 32-bit desktop
# platform, whose tests run under wine where the host can run 32-bit programs, "arm64" for 64-bit ARM, whose tests run under qemu),
# then runs the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/build.sh "$preset" all
if [ "$preset" = win32 ]; then
  # The end-to-end runners are host programs: the host build provides them.
  scripts/build.sh default duopit_e2e_tests duopit_plot_tests
  if ! scripts/wine-usable.sh; then
    echo "test.sh: wine cannot run 32-bit programs on this host (its kernel runs none):" \
      "the desktop build is compiled, and only its tests that need no wine run" >&2
    exec ctest --preset win32
  fi
  exec scripts/wine-session.sh ctest --preset win32
fi
if [ "$preset" = arm64 ]; then
  scripts/build.sh default duopit_e2e_tests duopit_plot_tests
fi
ctest --preset "$preset" -j2
