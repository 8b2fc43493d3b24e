#!/usr/bin/env bash
# Builds the committed revision twice, in two fresh clones at different paths, and compares
# what a release is made of byte for byte: the host program and its Debian package, and with
# "win32" (the default "host win32" does both) the desktop program and its zip. The second
# build runs at another time, in another time zone and locale, so that nothing of
# the machine or the moment may enter the files. Uses the presets' compilers; about two
# minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
hosts=("${@:-host}")
[ $# -eq 0 ] && hosts=(host win32)
revision=$(git rev-parse HEAD)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() {  # build <clone directory> <preset> <targets...>
  local dir=$1 preset=$2
  shift 2
  (cd "$dir" && cmake --preset "$preset" -D DUOPIT_TESTS=OFF >/dev/null &&
     cmake --build --preset "$preset" --target "$@" >"$dir/build-$preset.log" 2>&1) ||
    { cat "$dir/build-$preset.log" >&2; exit 1; }
}

first=$work/a
second=$work/second/clone-with-a-longer-path
for dir in "$first" "$second"; do
  git clone --quiet --no-checkout . "$dir"
  git -C "$dir" checkout --quiet "$revision"
done
for host in "${hosts[@]}"; do
  case "$host" in
    host)
      scripts/install-deps.sh build
      preset=default
      files=(duopit "duopit_1.0_*.deb")
      ;;
    win32)
      scripts/install-deps.sh win32
      preset=win32
      files=(duopit.exe duopit-1.0-win32.zip)
      ;;
    *)
      echo "usage: scripts/reproducible.sh [host] [win32]" >&2
      exit 2
      ;;
  esac
  build "$first" "$preset" package
  (export TZ=Asia/Kathmandu LC_ALL=C.UTF-8; build "$second" "$preset" package)
  for pattern in "${files[@]}"; do
    for file in "$first"/build/"$preset"/$pattern; do
      name=${file#"$first"/}
      if ! cmp "$file" "$second/$name"; then
        echo "not reproducible: $name" >&2
        exit 1
      fi
      echo "identical: $name ($(stat -c %s "$file") bytes, $(sha256sum <"$file" | cut -c1-16))"
    done
  done
done
