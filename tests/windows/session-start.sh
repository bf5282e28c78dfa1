#!/usr/bin/env bash
# session-start.sh - creates the Wine session that the tests of one run
# share: a fresh prefix in a new temporary folder, with HOME inside it so
# that Wine's Desktop and Documents links never reach a real home, an Xvfb
# display of its own, and writes it to KIT_WINE_STATE for wine-session.sh.
set -euo pipefail
# A session left by an interrupted run ends first.
bash "$(dirname "$0")/session-end.sh"
root=$(mktemp -d /tmp/kit-wine.XXXXXX)
mkdir "$root/home"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$root/display" ] && break
    sleep 0.1
done
[ -s "$root/display" ] || { echo "Xvfb did not start" >&2; kill "$xvfb_pid"; exit 1; }

cat >"$KIT_WINE_STATE" <<STATE
export KIT_WINE_ROOT='$root' KIT_XVFB_PID=$xvfb_pid
export WINEPREFIX='$root/prefix' HOME='$root/home' DISPLAY=:$(tr -d '\n' <"$root/display")
export WINEDEBUG=-all WINEDLLOVERRIDES='winemenubuilder.exe=d' LC_ALL=C.UTF-8
STATE
# shellcheck source=/dev/null
source "$KIT_WINE_STATE"
echo "Wine session in $root, display $DISPLAY"
"$KIT_WINE" wineboot -i >"$root/wineboot.log" 2>&1 </dev/null
# Done when the boot's processes have ended.
timeout 120 wineserver -w
