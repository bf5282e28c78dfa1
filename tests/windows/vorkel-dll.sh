#!/usr/bin/env bash
# vorkel-dll.sh - the corpus (every .asm of the Vorkel tests, of this folder's
# corpus and of the examples) assembled by vorkel.dll under Wine and by the
# native library, both loaded at run time by the same driver: every text and
# image of every run must be byte-identical.
# usage: vorkel-dll.sh SOURCE_DIR OUTPUT_DIR DLL DRIVER_EXE NATIVE_LIBRARY NATIVE_DRIVER
set -euo pipefail
source_dir=$1 out=$2 dll=$3 driver_exe=$4 native_library=$5 native_driver=$6
source "$(dirname "$0")/wine-session.sh"

rm -rf "$out"
mkdir -p "$out/native" "$out/wine"
log=$out/wine.log
cd "$source_dir"
find tests/vorkel tests/windows/corpus examples -name '*.asm' | LC_ALL=C sort >"$out/corpus.txt"
grep -q examples/ "$out/corpus.txt" || fail "the corpus has no example"

"$native_driver" "$native_library" vorkel/keywords.txt "$out/corpus.txt" "$out/native"
run_wine "$driver_exe" "$(winpath "$dll")" vorkel/keywords.txt "$(winpath "$out/corpus.txt")" "$(winpath "$out/wine")" ||
    fail "the driver failed under Wine: $(cat "$log")"

[ -n "$(ls "$out/native")" ] || fail "no output"
diff -r "$out/native" "$out/wine" || fail "vorkel.dll and the native library differ"
echo "$(wc -l <"$out/corpus.txt") sources, $(ls "$out/native" | wc -l) outputs identical"
