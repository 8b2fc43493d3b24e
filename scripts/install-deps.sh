#!/usr/bin/env bash
# Installs the Debian 12 packages that a build needs, when any is missing. With no argument:
# what the host build, the tests and the benchmarks need. With "win32": the 32-bit desktop
# platform's cross compiler and wine to run its programs (wine's 32-bit half needs the i386
# architecture, which is added first). With "arm64": the 64-bit ARM cross compiler and qemu's
# user-mode emulator to run its programs. Runs apt-get as root, or through sudo.
set -euo pipefail

group=${1:-host}
case "$group" in
  host)
    packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
              libbenchmark-dev libmpfr-dev strace valgrind python3 librsvg2-bin)
    ;;
  win32)
    packages=(cmake ninja-build g++ libgtest-dev g++-mingw-w64-i686-posix wine wine32:i386
              groff-base python3)
    ;;
  arm64)
    packages=(cmake ninja-build g++ libgtest-dev g++-aarch64-linux-gnu qemu-user python3)
    ;;
  *)
    echo "usage: scripts/install-deps.sh [host | win32 | arm64]" >&2
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
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
