#!/usr/bin/env bash
# Builds qelt.exe and starts it.
#
#   Windows (MSYS2 MinGW shell): the product, build/i686/qelt.exe.
#   Linux: the 64-bit build's qelt.exe under wine64 (this kind of host runs
#   no 32-bit code), in the build folder's private Wine prefix:
#     with a DISPLAY, on it, until you close the program;
#     without, on a private Xvfb: waits for the main window's listing,
#     saves a screenshot, prints its path, closes the program and stops
#     everything it started.
set -euo pipefail
cd "$(dirname "$0")/.."

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*)
    cmake --preset i686
    cmake --build --preset i686
    exec ./build/i686/qelt.exe
    ;;
esac

source tools/packages.sh
qelt_install_packages
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target qelt
build=$PWD/build/x86_64
wine=(tools/wine-env.sh --build-dir "$build")
if "${wine[@]}" busy; then
    echo "run.sh: a test run is using $build's Wine; run again when it has ended" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
    exec "${wine[@]}" run --display "$DISPLAY" "$build/qelt.exe"
fi

"${wine[@]}" --owner $$ start 1252 >/dev/null
trap '"${wine[@]}" stop >/dev/null' EXIT
probe=$("${wine[@]}" tool window-probe)
"${wine[@]}" run "$build/qelt.exe" &
qelt=$!
# The window opens on the visible windows as they were before it showed
# itself: in a fresh world, none. Pressing 表示 Windows (SpeedButton1 on
# the tool strip, ui/F01.form) lists them again, qelt's own window now too.
"${wine[@]}" run "$probe" wait-form TFQelt 60
"${wine[@]}" run "$probe" click TFQelt TPanel 426 13
"${wine[@]}" run "$probe" wait TFQelt 60
# Wine copies a window's pixels to the X server a moment after painting.
sleep 0.5
shot=$build/screenshots/run.png
mkdir -p "$(dirname "$shot")"
DISPLAY=$("${wine[@]}" display 1252) import -window root "$shot"
"${wine[@]}" run "$probe" close TFQelt
for _ in $(seq 300); do
    kill -0 "$qelt" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$qelt" 2>/dev/null; then
    echo "run.sh: qelt.exe did not close on WM_CLOSE; stopping it" >&2
    status=1
else
    status=0
    wait "$qelt" || status=$?
    echo "qelt.exe closed with exit status $status"
fi
echo "screenshot: $shot"
exit "$status"
