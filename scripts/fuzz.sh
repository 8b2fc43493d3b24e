#!/usr/bin/env bash
# Fuzzes the reader of the typed value (scanner and conversion, checked against the C
# library's conversion) for the given number of seconds, default 60. Fails on any crash,
# sanitizer report or mismatch.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_read_real
mkdir -p build/fuzz/corpus-read-real
build/fuzz/fuzz/fuzz_read_real -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix=build/fuzz/ build/fuzz/corpus-read-real fuzz/corpus/read_real
