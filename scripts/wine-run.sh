#!/usr/bin/env bash
# Runs a program of the 32-bit desktop platform under wine, quietly, in the prefix and with
# the server that scripts/wine-session.sh started (or a private one when none was started).
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winedbg.exe=d}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/duopit-wine}
exec wine "$@"
