#!/usr/bin/env bash
# binaries.sh - the 32-bit Windows deliverables as files: i386 PE images that
# need no DLL beyond the system's (static runtime), vorkel.dll exporting
# exactly its four undecorated names, the programs in the GUI subsystem,
# installer.exe within the 75264 bytes before its archive, and Brenlo's icon
# group under the name FindResource looks up.
# usage: binaries.sh WIN32_BUILD_DIR OBJDUMP WINDRES
set -euo pipefail
build=$1 objdump=$2 windres=$3
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The DLLs a Windows system always has; anything else would have to ship.
system_dlls='^(kernel32|msvcrt|user32|advapi32|ole32|shell32|comctl32|gdi32|uuid)\.dll$'

check_image() {
    local file=$1 subsystem=${2:-}
    [ -f "$file" ] || fail "$file is missing"
    local headers
    headers=$("$objdump" -f -p "$file")
    grep -q 'file format pei-i386' <<<"$headers" || fail "$file is not a 32-bit image"
    if [ -n "$subsystem" ]; then
        grep -q "^Subsystem.*($subsystem)" <<<"$headers" || fail "$file is not in the $subsystem subsystem"
    fi
    local dll
    for dll in $(sed -n 's/^\tDLL Name: //p' <<<"$headers"); do
        echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls" || fail "$file needs $dll"
    done
    echo "ok: $(basename "$file"), $(stat -c %s "$file") bytes"
}

check_image "$build/vorkel/vorkel.dll"
exports=$("$objdump" -p "$build/vorkel/vorkel.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\t\[ *[0-9]*\] //p' | tr '\n' ' ')
[ "$exports" = "asmbl desas done init_vorkel " ] || fail "vorkel.dll exports '$exports'"
# asmbl is stdcall, as the editor calls it: it returns with "ret $0xc",
# taking its three 4-byte arguments off the stack.
dll_headers=$("$objdump" -p "$build/vorkel/vorkel.dll")
base=0x$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$dll_headers")
index=$(sed -n 's/^\t\[ *\([0-9]*\)\] asmbl$/\1/p' <<<"$dll_headers")
rva=0x$(sed -n "s/^\t\[ *$index\] +base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA\$/\1/p" <<<"$dll_headers")
code=$("$objdump" -d --start-address=$((base + rva)) --stop-address=$((base + rva + 0x2000)) "$build/vorkel/vorkel.dll")
grep -m1 -E '\sret\s*' <<<"$code" | grep -q 'ret *\$0xc$' || fail "asmbl does not return as stdcall"

check_image "$build/launcher/Brenlo.exe" "Windows GUI"
resources=$("$windres" -i "$build/launcher/Brenlo.exe" -O rc)
grep -aq '^L"IC\\324NE1" 14 ' <<<"$resources" ||
    fail "Brenlo.exe has no icon group IC\\324NE1"

check_image "$build/installer/installer.exe" "Windows GUI"
[ "$(stat -c %s "$build/installer/installer.exe")" -le 75264 ] || fail "installer.exe is longer than 75264 bytes"
