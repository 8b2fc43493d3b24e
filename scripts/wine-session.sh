#!/usr/bin/env bash
# Runs a command (a test run of the 32-bit desktop platform's programs) inside one wine
# session: a fresh prefix in a temporary directory, the wine server started and the prefix
# made once before, so that each program does not pay for it, and the server stopped after,
# so that nothing it leaves running holds the command's output open.
set -euo pipefail
prefix=$(mktemp -d "${TMPDIR:-/tmp}/duopit-wine-XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
wineserver -p
wine wineboot >/dev/null 2>&1 || true
"$@"
