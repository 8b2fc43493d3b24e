#!/usr/bin/env bash
# Runs a 64-bit ARM program of the cross build under qemu's user-mode emulator, with the
# cross toolchain's libraries for the programs that are not linked statically.
set -euo pipefail
exec qemu-aarch64 -L /usr/aarch64-linux-gnu "$@"
