#!/usr/bin/env bash
# The vorkel command: files written beside the source, line ends, exit
# statuses, messages in UTF-8, another keyword list, and the HEX of a small
# program compared with the reference assembler's.
# Usage: vorkel_command_test.sh VORKEL FIXTURES KEYWORDS
set -euo pipefail
vorkel=$1
fixtures=$2
keywords=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_status() { # expected actual what
  [ "$1" = "$2" ] || fail "$3: exit status $2, expected $1"
}

cp "$fixtures/chaser.asm" "$fixtures/regs.inc" "$fixtures/chaser_reference.asm" "$work/"
cd "$work"

# A clean run writes the listing and the HEX; the HEX is the reference's.
status=0
"$vorkel" chaser.asm 2>messages.txt || status=$?
expect_status 0 "$status" "clean run"
[ ! -s messages.txt ] || fail "clean run printed: $(cat messages.txt)"
[ -f chaser.lst ] || fail "no chaser.lst"
gpasm -q chaser_reference.asm -o reference.hex
grep -v '^:02000004' reference.hex > reference_plain.hex
cmp -s chaser.hex reference_plain.hex || fail "HEX differs from the reference: $(diff chaser.hex reference_plain.hex)"
grep -q '^0 008 0008  0000 1683 start:  bsf STATUS, RP0$' chaser.lst || fail "listing line of start"

# CR LF line ends give the same listing and HEX.
mkdir dos
sed 's/$/\r/' chaser.asm > dos/chaser.asm
cp regs.inc dos/
"$vorkel" dos/chaser.asm 2>/dev/null || fail "CR LF run"
cmp -s dos/chaser.hex chaser.hex || fail "CR LF source gives another HEX"
diff <(sed 's#dos/chaser.asm#chaser.asm#' dos/chaser.lst) chaser.lst >/dev/null || fail "CR LF source gives another listing"

# Errors: exit 1, messages in UTF-8 on stderr, no HEX (an old one is removed).
printf ' ORG 0\n  lbl nop\nbad 1\n' > broken.asm
echo stale > broken.hex
status=0
"$vorkel" broken.asm 2>messages.txt || status=$?
expect_status 1 "$status" "run with errors"
expected=$'Attention: 2 [broken.asm] Etiquette hors d\u00e9but de ligne\nErreur: 3 [broken.asm] Mauvaise syntaxe\n 1 erreur\n 1 avertissement'
[ "$(cat messages.txt)" = "$expected" ] || fail "messages: $(cat messages.txt)"
[ ! -e broken.hex ] || fail "HEX written for a run with errors"
[ -f broken.lst ] || fail "no listing for a run with errors"

# Options: -w drops the warning, -e makes empty words FFFF (seen by -d).
status=0
"$vorkel" -w broken.asm 2>messages.txt || status=$?
expect_status 1 "$status" "-w run"
[ "$(cat messages.txt)" = $'Erreur: 3 [broken.asm] Mauvaise syntaxe\n 1 erreur' ] || fail "-w messages: $(cat messages.txt)"

# Another keyword list (CR LF lines): FIN ends the source.
sed 's/^END$/FIN/; s/$/\r/' "$keywords" > own_words.txt
printf ' ORG 0\n nop\n FIN\n ERREUR never\n' > own.asm
"$vorkel" -k own_words.txt own.asm 2>messages.txt || fail "-k run: $(cat messages.txt)"
[ "$(cat own.hex)" = $':020000000000FE\n:00000001FF' ] || fail "-k HEX: $(cat own.hex)"

# -I: an include found through the folder given, listed with -i.
mkdir lib
mv regs.inc lib/
"$vorkel" -i -I lib chaser.asm 2>messages.txt || fail "-I run: $(cat messages.txt)"
grep -q '^\.* Source lib/regs.inc \.*$' chaser.lst || fail "-I listing banner"
grep -q '^1 001 0003            ; regs.inc' chaser.lst || fail "-i listing of the include"
cmp -s chaser.hex reference_plain.hex || fail "-I HEX differs"
status=0
"$vorkel" chaser.asm 2>messages.txt || status=$?
expect_status 1 "$status" "include not found"
grep -q "Impossible d'ouvrir fichier inclus 'regs.inc'" messages.txt || fail "missing include message: $(cat messages.txt)"

# -d prints the disassembly after the run.
"$vorkel" -I lib -d chaser.asm > disassembly.txt 2>/dev/null || fail "-d run"
grep -qi 'bsf' disassembly.txt || fail "-d printed no disassembly"

# Usage and file problems: exit 2, the file named, nothing written.
status=0
"$vorkel" missing.asm 2>messages.txt || status=$?
expect_status 2 "$status" "missing source"
grep -q 'missing.asm' messages.txt || fail "missing source not named: $(cat messages.txt)"
[ ! -e missing.lst ] || fail "listing written for a missing source"
status=0
"$vorkel" -k nowhere.txt chaser.asm 2>messages.txt || status=$?
expect_status 2 "$status" "missing keyword list"
grep -q 'nowhere.txt' messages.txt || fail "missing keyword list not named"
for args in "" "-x chaser.asm" "a.asm b.asm" "-k"; do
  status=0
  # shellcheck disable=SC2086
  "$vorkel" $args 2>/dev/null || status=$?
  expect_status 2 "$status" "usage '$args'"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "vorkel command: all checks passed"
