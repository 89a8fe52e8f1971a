#!/usr/bin/env bash
# Builds both presets and runs every test; the exit status is CTest's.
# On Linux the tests are the 64-bit build's, run under wine64 (this kind of
# host cannot run 32-bit code); the 32-bit product is checked from outside
# (its PE headers, a second build compared byte for byte).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
qelt_install_packages

for preset in i686 x86_64; do
    cmake --preset "$preset"
    cmake --build --preset "$preset"
done
# One test at a time per code page's Wine world, so three at once keep
# both worlds and the rebuild check busy.
exec ctest --preset x86_64 --parallel 3
