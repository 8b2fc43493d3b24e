#!/usr/bin/env bash
# Builds the program with the given CMake preset, default "default": build/<preset>/duopit.
# Further arguments name other targets to build instead ("all" for the program and the
# whole test suite, as scripts/test.sh does; "package" for the release package).
# The build's progress goes to build/<preset>/build.log and is shown only when the build
# fails, so that the program's prompt is the first thing on the screen after it.
# Building the program alone, or its release package, needs only the compiler and the build
# tools; a first such build is configured without the test suite, whose libraries it then
# does not need. Any other target (a test program, "all") brings the test suite in.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
targets=("${@:-duopit}")
configure=()
case "$preset" in
  win32 | arm64) scripts/install-deps.sh "$preset" ;;
  *)
    release_only=1
    for target in "${targets[@]}"; do
      case "$target" in duopit | package) ;; *) release_only=0 ;; esac
    done
    if [ "$release_only" = 1 ]; then
      scripts/install-deps.sh build
      [ -f "build/$preset/CMakeCache.txt" ] || configure=(-D DUOPIT_TESTS=OFF)
    else
      scripts/install-deps.sh
      configure=(-D DUOPIT_TESTS=ON)
    fi
    ;;
esac
mkdir -p "build/$preset"
log=build/$preset/build.log
if ! { cmake --preset "$preset" "${configure[@]}" &&
       cmake --build --preset "$preset" --target "${targets[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "build of ${targets[*]} with preset $preset failed (log: $log)" >&2
  exit 1
fi
