#!/usr/bin/env bash
# Lists the functions of the program's own sources that the program never reaches:
#   scripts/unreached-code.sh [x87 | software]
# Builds the program for this host in build/unreached-<numerics> without optimisation (so no
# call is inlined and every function the program reaches keeps its own section), one section
# per function, and links it with the linker's garbage collection of sections, which removes
# every section no path from the entry point refers to. The removed functions that belong to
# our namespace are what the program does not use. The resets of the run's state stay: the
# program runs once per process and never resets, but the in-process tests start each case
# from a fresh state with them; they are listed apart. Exits non-zero when anything else is
# listed. Needs the GNU toolchain of a Linux host.
set -euo pipefail
cd "$(dirname "$0")/.."
numerics=${1:-x87}
build=build/unreached-$numerics

# Functions that only the in-process tests call, by design.
allowed=(
  'duopit::lifecycle::reset_run_state()'
  'duopit::textio::reset_statement_state()'
)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
  -DCMAKE_CXX_FLAGS='-O0 -ffunction-sections' \
  -DCMAKE_EXE_LINKER_FLAGS='-Wl,--gc-sections,--print-gc-sections' \
  -DDUOPIT_NUMERICS="$numerics" -DDUOPIT_TESTS=OFF -DDUOPIT_LTO=OFF >/dev/null
# The link is forced each time, so that its list is always there to read.
rm -f "$build/duopit"
log=$(cmake --build "$build" --target duopit -- -j2 2>&1) || {
  printf '%s\n' "$log" >&2
  exit 1
}

# "removing unused section '.text.NAME' in file 'OBJECT'" for our objects: the core
# library's members, main.cpp and the software model. An inline function has a copy in every
# object that calls it and the link keeps one: the removal of the others shows as
# ".text.NAME[NAME]", so such a function is unreached only when the program holds no copy.
mapfile -t kept < <(nm --defined-only "$build/duopit" | awk '{print $3}' | sort -u)
mapfile -t removed < <(printf '%s\n' "$log" |
  sed -n "s/.*removing unused section '\.text\.\([^']*\)' in file '\([^']*\)'.*/\1 \2/p" |
  grep -E ' (.*libduopit_[a-z_]+\.a\(|CMakeFiles/duopit\.dir/)' | cut -d' ' -f1 |
  sed 's/\[.*\]$//' | sort -u | comm -23 - <(printf '%s\n' "${kept[@]}") |
  c++filt | grep -E '^duopit::|^main' | sort -u)

status=0
unreached=0
for name in "${removed[@]}"; do
  kept=no
  for allow in "${allowed[@]}"; do
    [ "$name" = "$allow" ] && kept=yes
  done
  if [ "$kept" = yes ]; then
    echo "allowed (resets the run's state for in-process tests): $name"
  else
    echo "unreached: $name"
    unreached=$((unreached + 1))
    status=1
  fi
done
echo "$unreached unreached function(s) of the program's own sources ($numerics arithmetic)"
exit "$status"
