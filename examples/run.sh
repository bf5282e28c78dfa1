#!/usr/bin/env bash
# Builds the kit (cmake into build/) and assembles the example with the
# vorkel command, printing its listing and its Intel HEX.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKIT_TESTS=OFF >/dev/null
cmake --build build -j 2 --target vorkel_command >/dev/null
# The listing and HEX are written beside the source: work on a copy in build/.
mkdir -p build/example
cp examples/chenillard.asm examples/p16f84.inc build/example/
status=0
(cd build/example && ../tools/vorkel/vorkel chenillard.asm) || status=$?
echo "===== chenillard.lst"
iconv -f WINDOWS-1252 -t UTF-8 build/example/chenillard.lst
if [ -f build/example/chenillard.hex ]; then
  echo "===== chenillard.hex"
  cat build/example/chenillard.hex
fi
exit "$status"
