#!/usr/bin/env bash
# brenlo.sh - Brenlo.exe under Wine: it starts the first b*.ex of its current
# directory (mark.exe under other names, which writes its command line to
# "started") once, with its bare name as the command line, and exits 0; with
# no match it starts nothing. Wine's FindFirstFileA reports names sorted
# (in upper case), so "first" is the smallest name there. The icon group is
# checked as the shell finds it, by name, with the resource probe.
# usage: brenlo.sh WORK_DIR BRENLO_EXE MARK_EXE RESOURCE_PROBE_EXE
set -euo pipefail
work=$1 brenlo=$2 mark=$3 probe=$4
source "$(dirname "$0")/wine-session.sh"
rm -rf "$work"
mkdir -p "$work"
log=$work/wine.log

# folder NAME FILE...: a folder holding Brenlo.exe and copies of mark.exe.
folder() {
    local dir=$work/$1
    shift
    mkdir -p "$dir"
    cp "$brenlo" "$dir/Brenlo.exe"
    for f in "$@"; do cp "$mark" "$dir/$f"; done
    echo "$dir"
}

# expect_start DIR CWD EXPECTED: Brenlo of DIR run in CWD, exit code 0, and
# "started" of CWD as expected ("" when nothing may start).
expect_start() {
    local dir=$1 cwd=$2 expected=$3 status=0
    (cd "$cwd" && run_wine "$dir/Brenlo.exe") || status=$?
    [ "$status" -eq 0 ] || fail "$dir: exit code $status"
    if [ -n "$expected" ]; then
        wait_for_file "$cwd/started" || fail "$dir: nothing started"
    else
        sleep 3
    fi
    local started
    started=$(cat "$cwd/started" 2>/dev/null | tr -d '\r' || true)
    [ "$started" = "$expected" ] || fail "$dir: started '$started', expected '$expected'"
    echo "ok: $(basename "$dir") in $(basename "$cwd"): '${started}'"
}

d=$(folder several b2.ex b1.ex b0.exe a.ex bz.ex)
expect_start "$d" "$d" "b1.ex|console"
d=$(folder upper B7.EX)
expect_start "$d" "$d" "B7.EX|console"
d=$(folder none b.exe c1.ex bex)
expect_start "$d" "$d" ""
own=$(folder own)
current=$(folder current b5.ex)
expect_start "$own" "$current" "b5.ex|console"
[ ! -e "$own/started" ] || fail "started in the launcher's own folder"

"$KIT_WINE" "$probe" "$(winpath "$brenlo")" >"$work/icon.txt" 2>>"$log" </dev/null || true
printf 'group IC\xd4NE1\r\nfound by name: yes\r\nicon 32x32, 4 bits a pixel\r\n' >"$work/icon.expected"
cmp -s "$work/icon.txt" "$work/icon.expected" ||
    fail "icon group: $(iconv -f WINDOWS-1252 -t UTF-8 "$work/icon.txt")"
echo "ok: the icon group"
