#!/usr/bin/env bash
# Installs what the tests need, builds everything (the Windows programs too)
# and runs every test; then the fuzz targets for a bounded time and the whole
# suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKIT_TESTS=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
bash tests/fuzz.sh
