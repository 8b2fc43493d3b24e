#!/usr/bin/env bash
# Compares the outcomes of answers (report, console output, error text, status) between the
# build on the x87 unit and the builds on its software model, at scale, with the report
# harness (tools/), which runs the whole program for each answer inside one process:
#
# - x87 against software on x86-64: every answer from -360 to 360 with up to four decimal
#   places (7,200,001 texts), then ten million generated answers;
# - x87 against the 64-bit ARM build under qemu: every answer with up to two decimal places
#   (72,001 texts), and one in ten of the rest of the four-decimal domain, chosen by the seed.
#
# Each part prints its counts of identical and differing answers, the answers that differ
# (the first 200; all of them in build/fidelity-at-scale/), and its wall time per build; each
# answer listed is run again on the diagnostic build, which shows under it the sine, cosine
# and arctangent calls where the unit and the model disagree, with both results.
# Exit status 1 when any answer differs.
#
#   scripts/fidelity-at-scale.sh [--decimals D] [--random N] [--arm64-sample N]
#                                [--arm64-random N] [--no-arm64] [--seed S]
#
# --decimals D      the x87 / software domain: up to D decimal places (default 4)
# --random N        generated answers, x87 / software (default 10000000)
# --arm64-sample N  one in N of the four-decimal answers beyond two decimals (default 10;
#                   0 for none)
# --arm64-random N  generated answers, x87 / ARM (default 0)
# --seed S          the generated answers and the sample (default 1: the figures repeat)
set -euo pipefail
cd "$(dirname "$0")/.."
decimals=4 random=10000000 arm64_sample=10 arm64_random=0 arm64=yes seed=1
while [ $# -gt 0 ]; do
  case "$1" in
    --decimals) decimals=$2; shift 2 ;;
    --random) random=$2; shift 2 ;;
    --arm64-sample) arm64_sample=$2; shift 2 ;;
    --arm64-random) arm64_random=$2; shift 2 ;;
    --no-arm64) arm64=no; shift ;;
    --seed) seed=$2; shift 2 ;;
    *) sed -n '17,18p' "$0" >&2; exit 2 ;;
  esac
done

presets=(default software)
[ "$arm64" = yes ] && presets+=(arm64)
for preset in "${presets[@]}"; do
  nice scripts/build.sh "$preset" duopit_report_harness >/dev/null
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lists=build/fidelity-at-scale
mkdir -p "$lists"
compare=build/default/tools/duopit_report_harness

harness() {
  local preset=$1
  shift
  if [ "$preset" = arm64 ]; then
    nice scripts/qemu-run.sh build/arm64/tools/duopit_report_harness --seed "$seed" "$@"
  else
    nice "build/$preset/tools/duopit_report_harness" --seed "$seed" "$@"
  fi 2>/dev/null
}

name_of() { [ "$1" = default ] && echo x87 || echo "$1"; }

status=0
parts=0
# part TITLE PRESET PRESET STREAM...: both builds over the stream, block digests compared;
# the blocks that differ are run again answer by answer to name the answers.
part() {
  local title=$1 first=$2 second=$3
  shift 3
  parts=$((parts + 1))
  local start=$SECONDS
  harness "$first" "$@" >"$work/first"
  local first_time=$((SECONDS - start))
  start=$SECONDS
  harness "$second" "$@" >"$work/second"
  local second_time=$((SECONDS - start))
  local total blocks summary
  total=$(awk '$1 == "block" { n += $4 } END { print n + 0 }' "$work/first")
  summary=$("$compare" compare "$work/first" "$work/second" | tee "$work/blocks" | tail -1) || true
  blocks=$(sed -n 's/^differs: block \([0-9]*\) .*/\1/p' "$work/blocks" | paste -sd, -)
  : >"$work/answers"
  if [ -n "$blocks" ]; then
    harness "$first" --each --blocks "$blocks" "$@" >"$work/first"
    harness "$second" --each --blocks "$blocks" "$@" >"$work/second"
    "$compare" compare "$work/first" "$work/second" | awk '$1 == "differs:" { print $5 }' \
      >"$work/answers" || true
  fi
  local differing
  differing=$(wc -l <"$work/answers")
  printf '%s: %s of %s answers identical, %s differing (wall time: %s %d s, %s %d s)\n' \
    "$title" "$((total - differing))" "$total" "$differing" "$(name_of "$first")" "$first_time" \
    "$(name_of "$second")" "$second_time"
  if [[ "$summary" == *" 0 unmatched" ]] && [ -z "$blocks" ]; then
    return
  fi
  status=1
  [[ "$summary" == *" 0 unmatched" ]] || echo "  the listings do not match block for block: $summary"
  if [ "$differing" -gt 0 ]; then
    cp "$work/answers" "$lists/part-$parts.txt"
    [ "$differing" -le 200 ] ||
      echo "  the first 200 of them ($lists/part-$parts.txt has them all):"
    nice cmake --build build/default --target duopit_report_harness_observed >/dev/null
    head -n 200 "$work/answers" |
      xargs build/default/tools/duopit_report_harness_observed --each answers \
      2>/dev/null | sed 's/^answer [0-9]* [0-9a-f]* /  differs: /; s/^  \([a-z]*(\)/    \1/'
  fi
}

echo "fidelity at scale: revision $(git describe --always --dirty), seed $seed"
part "x87 / software, every answer to $decimals decimals" default software domain "$decimals"
if [ "$random" -gt 0 ]; then
  part "x87 / software, $random generated answers" default software random "$random"
fi
if [ "$arm64" = yes ]; then
  part "x87 / arm64 (qemu), every answer to 2 decimals" default arm64 domain 2
  if [ "$arm64_sample" -gt 0 ]; then
    part "x87 / arm64 (qemu), one in $arm64_sample of the rest to 4 decimals" default arm64 \
      --coarser 2 --sample "$arm64_sample" domain 4
  fi
  if [ "$arm64_random" -gt 0 ]; then
    part "x87 / arm64 (qemu), $arm64_random generated answers" default arm64 random "$arm64_random"
  fi
fi
exit "$status"
