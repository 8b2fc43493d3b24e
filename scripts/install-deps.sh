#!/usr/bin/env bash
# Installs the Debian 12 packages that a build needs, when any is missing. With "build": what
# building the program alone needs. With no argument: what the host build, the tests, the
# packages' checks and the benchmarks need. With "win32": the 32-bit desktop
# platform's cross compiler and wine to run its programs (wine's 32-bit half needs the i386
# architecture, which is added first). With "arm64": the 64-bit ARM cross compiler and qemu's
# user-mode emulator to run its programs. Runs apt-get as root, or through sudo.
set -euo pipefail

group=${1:-host}
case "$group" in
  build)
    packages=(cmake ninja-build g++)
    ;;
  host)
    packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
              libbenchmark-dev libmpfr-dev strace valgrind python3 librsvg2-bin lintian)
    ;;
  win32)
    packages=(cmake ninja-build g++ libgtest-dev g++-mingw-w64-i686-posix wine wine32:i386
              groff-base python3 unzip)
    ;;
  arm64)
    packages=(cmake ninja-build g++ libgtest-dev g++-aarch64-linux-gnu qemu-user python3 lintian)
    ;;
  *)
    echo "usage: scripts/install-deps.sh [build | host | win32 | arm64]" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "installing: ${missing[*]}" >&2
if [ "$group" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# apt-get's progress goes to a log, shown only if it fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${as_root[@]}" apt-get update -qq &&
       DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
     } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
