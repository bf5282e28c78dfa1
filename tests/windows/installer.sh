#!/usr/bin/env bash
# installer.sh - a setup of the kit-shaped payload, made by mksetup, installed
# under Wine and Xvfb as a person would: the dialog opens on c:\Quintar11as\,
# Enter presses "&Installer", and then every file is byte-identical under
# c:\Quintar11as\, Morvane.exe is in the Windows folder, the ten links are in
# the shortcut folder on the desktop (read from Wine's registry) and point
# where Install.log says, Install.log ends with that folder, the explorer
# shows it, and the dialog shows its final status; "&Quitter" ends it with
# exit code 0. A second start only shows the "already installed" message box and
# ends with exit code 0. Screenshots of the dialog (before and after), the
# explorer and the message box go to WORK_DIR: a person can look at them.
# usage: installer.sh WORK_DIR INSTALLER_EXE MKSETUP PAYLOAD WINDOW_PROBE LINK_PROBE
set -euo pipefail
work=$1 installer=$2 mksetup=$3 payload=$4 window_probe=$5 link_probe=$6
source "$(dirname "$0")/wine-session.sh"
rm -rf "$work"
mkdir -p "$work"
log=$work/wine.log
title="Installation de Quintar11as"
drive_c=$WINEPREFIX/drive_c
cp1252() { printf '%s' "$1" | iconv -f UTF-8 -t WINDOWS-1252; }
utf8() { iconv -f WINDOWS-1252 -t UTF-8 "$@"; }

"$mksetup" "$installer" Quintar11as "$payload" "$work/setup.exe"

# start_setup: runs setup.exe in the background; its exit code lands in
# $work/setup.status.
start_setup() {
    rm -f "$work/setup.status"
    (cd "$work" && { run_wine setup.exe; echo $? >"$work/setup.status"; }) &
}

# probe TITLE: the window's children into $work/window.txt, one a line
# without CR; fails when the window does not exist.
probe() {
    "$KIT_WINE" "$window_probe" "$1" >"$work/window.crlf" 2>>"$log" </dev/null || return 1
    tr -d '\r' <"$work/window.crlf" >"$work/window.txt"
}

# wait_until TITLE TEXT: until the window shows a child line holding TEXT,
# for at most a minute.
wait_until() {
    local deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if probe "$1" && grep -aqF -- "$(cp1252 "$2")" "$work/window.txt"; then
            return 0
        fi
        sleep 0.5
    done
    utf8 "$work/window.txt" >&2 || true
    fail "'$1' never showed '$2'"
}

# key TITLE KEY: the key pressed in the X window of that title.
key() {
    local window
    window=$(xdotool search --name "^$1\$" | head -1)
    [ -n "$window" ] || fail "no X window '$1'"
    timeout 10 xdotool windowfocus "$window" sleep 0.2 key "$2"
}

# click TITLE ID: a mouse click on the control ID of that window, raised
# above the others, where it lies on the screen: a click does not depend on
# which window has the focus.
click() {
    xdotool search --name "^$1\$" windowraise
    probe "$1" || fail "no window '$1'"
    local at
    at=$(sed -n "s/^$2|[^|]*|[^|]*|\([0-9-]*\),\([0-9-]*\)\$/\1 \2/p" "$work/window.txt" | head -1)
    [ -n "$at" ] || fail "no control $2 in '$1'"
    # shellcheck disable=SC2086
    timeout 10 xdotool mousemove $at click 1
}

# screenshot TITLE FILE: the window of that title, raised above the others.
screenshot() {
    local window
    window=$(xdotool search --name "^$1\$" | head -1)
    [ -n "$window" ] || return 1
    xdotool windowraise "$window"
    sleep 1
    import -display "$DISPLAY" -window "$window" "$work/$2"
}

# wait_for_window TITLE: until an X window of that title exists, for at most
# half a minute.
wait_for_window() {
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        xdotool search --name "^$1\$" >/dev/null && return 0
        sleep 0.5
    done
    return 1
}

wait_for_exit() {
    wait_for_file "$work/setup.status" || fail "setup.exe did not end"
    [ "$(cat "$work/setup.status")" = 0 ] || fail "setup.exe ended with $(cat "$work/setup.status")"
}

# ---- First start: the dialog, Enter, the final status, "&Quitter".
start_setup
wait_until "$title" "101|Edit|c:\\Quintar11as\\|"
grep -aq "^601|Edit||" "$work/window.txt" || fail "the status line is not empty at the start"
screenshot "$title" installer-before.png
key "$title" Return
wait_until "$title" "601|Edit|Installation terminée avec succès|"
grep -aq -- "^1|Button|-----|" "$work/window.txt" || fail "the install button is not captioned -----"
wait_for_window Quintar11as || fail "the explorer does not show the shortcut folder"
screenshot "$title" installer-after.png
screenshot Quintar11as explorer.png
# The explorer window opens on the shortcut folder and takes the focus.
click "$title" 2
wait_for_exit
echo "ok: installed through the dialog; the explorer shows the shortcut folder"

# ---- The files.
target=$drive_c/Quintar11as
(cd "$payload" && find . -type f ! -name Morvane.exe ! -name Install.log) | while read -r file; do
    cmp "$payload/$file" "$target/$file" || fail "$file differs"
done
cmp "$payload/Morvane.exe" "$drive_c/windows/Morvane.exe" || fail "Morvane.exe is not in the Windows folder"
[ ! -e "$target/Morvane.exe" ] || fail "Morvane.exe is in the target folder"
echo "ok: $(cd "$payload" && find . -type f | wc -l) files"

# ---- The shortcut folder, from the registry's Desktop value.
desktop=$(sed -n '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders\]/,/^$/p' \
    "$WINEPREFIX/user.reg" | sed -n 's/^"Desktop"="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g')
[ -n "$desktop" ] || fail "no Desktop folder in Wine's registry"
shortcuts="$desktop\\Quintar11as"
unix_shortcuts=$drive_c/$(printf '%s' "${shortcuts#?:\\}" | tr '\\' /)

# Install.log: the payload's text, then the shortcut folder and CR LF.
{ cat "$payload/Install.log"; printf '%s\r\n' "$shortcuts"; } >"$work/Install.log.expected"
cmp "$work/Install.log.expected" "$target/Install.log" || fail "Install.log: $(tail -c 80 "$target/Install.log" | utf8)"
echo "ok: Install.log ends with $shortcuts"

"$KIT_WINE" "$link_probe" "$shortcuts" >"$work/links.txt" 2>>"$log" </dev/null || fail "link_probe failed"
tr -d '\r' <"$work/links.txt" | utf8 | sort >"$work/links.actual"
sort >"$work/links.expected" <<'LINKS'
Aide PIC16F84.lnk|c:\Quintar11as\Aide\Pic16f84.hlp||c:\Quintar11as\Aide
Aide Quintar11as.lnk|c:\Quintar11as\Aide\Quintar.hlp||c:\Quintar11as\Aide
Désinstaller Quintar11as.lnk|C:\windows\Morvane.exe|"c:\Quintar11as\"|
Exemple chenillard.lnk|c:\Quintar11as\Exemples\Chenillard\Chenillard.asm||c:\Quintar11as\Exemples\Chenillard
Exemple clignotant.lnk|c:\Quintar11as\Exemples\Clignote.asm||c:\Quintar11as\Exemples
Licence.lnk|c:\Quintar11as\Docs\Licence.txt||c:\Quintar11as\Docs
Lisez-moi.lnk|c:\Quintar11as\Docs\Lisezmoi.txt||c:\Quintar11as\Docs
Programmateur.lnk|c:\Quintar11as\Outils\Progr.exe||c:\Quintar11as\Outils
Quintar11as.lnk|c:\Quintar11as\Brenlo.exe||c:\Quintar11as
Référence des instructions.lnk|c:\Quintar11as\Docs\Référence\Instructions.txt||c:\Quintar11as\Docs\Référence
LINKS
diff "$work/links.expected" "$work/links.actual" || fail "the links differ"
[ "$(ls "$unix_shortcuts" | wc -l)" = 10 ] || fail "the shortcut folder holds more than the ten links"
echo "ok: ten links in $shortcuts"

# ---- Second start: already installed.
start_setup
wait_until Attention "déjà été installée"
refusal=$(cp1252 "L'application a déjà été installée sur cet")$'\r'$(cp1252 "ordinateur. Vous devez la désinstaller")
refusal+=$'\r'"avant de lancer une nouvelle installation"
grep -aqF -- "|Static|$refusal|" "$work/window.crlf" || fail "the message box says: $(utf8 "$work/window.txt")"
screenshot Attention installer-again.png
click Attention 1
wait_for_exit
echo "ok: the second start refuses"
