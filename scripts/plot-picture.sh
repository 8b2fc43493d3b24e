#!/usr/bin/env bash
# Makes the README's picture, docs/duopit-plot-answer-0.png: the report of the answer 0 drawn
# by duopit-plot and rendered to PNG by rsvg-convert (librsvg2-bin), as a user would:
#   echo 0 | duopit && duopit-plot && rsvg-convert duopit.svg -o duopit.png
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/build.sh default duopit duopit-plot >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo 0 | "$root/build/default/duopit" >/dev/null
"$root/build/default/duopit-plot"
rsvg-convert duopit.svg -o duopit.png
cp duopit.png "$root/docs/duopit-plot-answer-0.png"
echo "docs/duopit-plot-answer-0.png"
