#!/usr/bin/env bash
# Takes the README's screenshots of the board (Normal and Compact layouts)
# with the demo scheme, some sounds playing, and of a slot's menu, under the
# test environment.
#   scripts/docs-screenshots.sh        (after make build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ "${CLANGSTER_TEST_ENV:-}" != 1 ]]; then
  exec "$root/scripts/with-test-env.sh" "$0" "$@"
fi
probe="$root/build/win/tests/probe/board-probe.exe"
scheme="$root/build/host/demo/demo.scheme"
winpath="Z:${scheme//\//\\}"

wine "$root/build/win/app/Clangster.exe" "$winpath" &
board=$!
trap 'wineserver -k || true' EXIT
for _ in $(seq 1 100); do wine "$probe" rect >/dev/null 2>&1 && break; sleep 0.3; done

shoot() {  # shoot FILE: the board's client area
  read -r x y w h < <(wine "$probe" rect)
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
  echo "wrote $1"
}

wine "$root/build/win/tools/trigger/clangster-trigger.exe" "MAJOR CHORD"
wine "$root/build/win/tools/trigger/clangster-trigger.exe" "GONG"
sleep 1.2
shoot "$root/docs/board-normal.png"
wine "$probe" command 32812   # View > Compact
sleep 0.8
shoot "$root/docs/board-compact.png"
wine "$probe" command 32811   # View > Normal
sleep 0.8
# The slot menu of the middle column's first slot, with the top of its column.
wine "$probe" menuzone 6
sleep 0.8
read -r x y w h < <(wine "$probe" rect)
import -window root -crop "380x230+$((x + 350))+${y}" +repage "$root/docs/slot-menu.png"
echo "wrote $root/docs/slot-menu.png"
wine "$probe" choose 0   # dismissed with Enter on no item
xdotool key Escape || true
wine "$probe" close
wait "$board" || true
