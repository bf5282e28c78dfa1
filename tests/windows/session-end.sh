#!/usr/bin/env bash
# session-end.sh - ends the shared Wine session: its Wine processes, its
# Xvfb, its temporary folder.
set -uo pipefail
[ -f "$KIT_WINE_STATE" ] || exit 0
# shellcheck source=/dev/null
source "$KIT_WINE_STATE"
wineserver -k
# Only the session's own Xvfb, should its process id have been reused since.
if [ "$(ps -o comm= -p "$KIT_XVFB_PID")" = Xvfb ]; then
    kill "$KIT_XVFB_PID"
fi
case "$KIT_WINE_ROOT" in
/tmp/kit-wine.*) rm -rf "$KIT_WINE_ROOT" ;;
esac
rm -f "$KIT_WINE_STATE"
