#!/usr/bin/env bash
# Builds both presets and runs the benchmark in a private Wine world of the
# x86_64 build folder; prints one table (Markdown). Timings are the 64-bit
# build's under wine64: this kind of host runs no 32-bit code.
#
#   tools/bench.sh [RUNS]     RUNS per figure, default 7
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
qelt_install_packages
for preset in i686 x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
done
build=$PWD/build/x86_64
wine=(tools/wine-env.sh --build-dir "$build")
if "${wine[@]}" busy; then
    echo "bench.sh: a test run is using $build's Wine; run again when it has ended" >&2
    exit 1
fi
"${wine[@]}" --owner $$ start 1252 >/dev/null
trap '"${wine[@]}" stop >/dev/null' EXIT
echo "$(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
    "$(/usr/lib/wine/wine64 --version 2>/dev/null), $(date -u +%Y-%m-%d)"
"${wine[@]}" run "$build/refresh_bench.exe" "Z:$build/qelt.exe" "Z:$build/qelt_minimal_window.exe" \
    "Z:$PWD/build/i686/qelt.exe" "${1:-7}"
