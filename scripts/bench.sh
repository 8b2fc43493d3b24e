#!/usr/bin/env bash
# Builds duopit, the minimal C baseline and the benchmarks in build/bench (Release), checks
# the benchmarks' own pieces, then measures and prints what a run of duopit costs:
#   1. a run with the answer 0 against the baseline: the program's own cost in instructions
#      and the instruction ratios, system calls, CPU time and minor page faults,
#   2. editing reals against the standard library's conversion,
#   3. reading megabytes of blank lines before the answer, against dd,
#   4. a run on the software model of the arithmetic unit against a run on the unit (its
#      build is build/bench-software),
# and a closing table of every figure against its target, which it also writes into the
# README's Performance section (between its marker lines), with the revision measured, when
# every stage ran. Missing a target does not make it fail: it is a report. It fails when it
# cannot build or cannot measure.
# Arguments are passed to bench/measure.py (e.g. --stages conversions, --pairs 100,
# --sizes 1,10); see bench/measure.py --help. Takes a few minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
export PYTHONDONTWRITEBYTECODE=1  # leave no caches in the source tree

scripts/install-deps.sh
build_dir=build/bench
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDUOPIT_BENCH=ON \
  -DDUOPIT_TESTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target duopit duopit_baseline duopit_spawn_measured \
  duopit_conversion_bench duopit_bench_tests >/dev/null
software_dir=build/bench-software
cmake -S . -B "$software_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDUOPIT_NUMERICS=software \
  -DDUOPIT_TESTS=OFF >/dev/null
cmake --build "$software_dir" -j2 --target duopit >/dev/null

# The report is only as good as the pieces that make it: check them first, quietly.
if ! "$build_dir/bench/duopit_bench_tests" --gtest_brief=1 >"$build_dir/bench_tests.log" 2>&1; then
  cat "$build_dir/bench_tests.log" >&2
  exit 1
fi
if ! python3 -m unittest discover -s tests/bench -p '*_test.py' >"$build_dir/bench_py_tests.log" 2>&1
then
  cat "$build_dir/bench_py_tests.log" >&2
  exit 1
fi

revision=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  revision+=" with uncommitted changes"
fi
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
compiler_version=$("$compiler" --version | head -n 1)
load=$(cut -d ' ' -f 1-3 /proc/loadavg)
echo "duopit benchmarks: revision $revision; $compiler_version, Release"
echo "$(nproc) CPUs, load $load; $(date -u '+%Y-%m-%d %H:%M UTC')"
measured_on="Measured by \`scripts/bench.sh\` at revision $revision ($compiler_version, Release,
statically linked, optimised across layers at link time) on $(nproc) CPUs, load average
$load, on $(date -u '+%Y-%m-%d'):"
exec python3 bench/measure.py --build-dir "$build_dir" --software-duopit "$software_dir/duopit" \
  --readme README.md --measured-on "$measured_on" "$@"
