#!/usr/bin/env bash
# The private Wine worlds of one x86_64 build folder, one per ANSI code
# page: a Wine prefix, an Xvfb display, a persistent wineserver and a
# process that keeps Wine's desktop up. Nothing here touches ~/.wine or the
# caller's DISPLAY.
#
#   wine-env.sh [--build-dir DIR] prefix [CP]     make the prefix once, print its path
#   wine-env.sh [--build-dir DIR] [--owner PID] start [CP...]
#                                  start the worlds (default: 1252 932) for PID
#                                  (default: the caller); refused while another
#                                  owner is alive, else stale worlds are stopped
#   wine-env.sh [--build-dir DIR] stop            stop exactly what start started
#   wine-env.sh [--build-dir DIR] run [--cp CP] [--display D] EXE [ARG...]
#   wine-env.sh [--build-dir DIR] status
#   wine-env.sh [--build-dir DIR] display [CP]    print the world's X display
#   wine-env.sh [--build-dir DIR] tool NAME       build tools/NAME.c, print the .exe
#   wine-env.sh [--build-dir DIR] busy            true while a world is running
#
# DIR defaults to build/x86_64 beside tools/. The code page of a run comes
# from --cp or QELT_WINE_CODE_PAGE (default 1252).
#
# Why a world per code page: Wine takes the ANSI code page of each process
# from its LC_ALL, so one server could serve both; but a process started
# with another code page than the last one rewrites the prefix's font
# registry (substitutes, font links) for its own. And the tests read the
# window list and click on the screen, so two at once in one world would
# see each other.

WINE64=${QELT_WINE64:-/usr/lib/wine/wine64}
WINESERVER64=${QELT_WINESERVER64:-/usr/lib/wine/wineserver64}
# Mono and Gecko would prompt for downloads; winemenubuilder would write
# menu entries into the user's home.
QELT_WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Bump when the prefix recipe changes: older prefixes are then made anew.
QELT_PREFIX_RECIPE=4
QELT_TOOLS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

qelt_die() {
    echo "wine-env: $*" >&2
    exit 1
}

# The Unix locale that gives Wine the code page; it need not be installed,
# Wine reads the name.
qelt_locale_for_cp() {
    case "$1" in
    1252) echo en_US.UTF-8 ;;
    932) echo ja_JP.UTF-8 ;;
    *) return 1 ;;
    esac
}

qelt_prefix_dir() { # CP
    if [ "$1" = 1252 ]; then echo "$QELT_BUILD_DIR/wine-prefix"; else echo "$QELT_BUILD_DIR/wine-prefix-$1"; fi
}
qelt_state_dir() { echo "$QELT_BUILD_DIR/wine-harness"; }

# Alive and really the program we started (PIDs get reused; a zombie is gone).
qelt_pid_is() { # PID NAME
    local pid=$1 name=$2 state
    [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
    state=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)
    [ -n "$state" ] && [ "$state" != Z ] || return 1
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- "$name"
}

qelt_wine_env() { # CP [PREFIX] -> NAME=VALUE lines for env(1)
    local cp=$1 lc
    lc=$(qelt_locale_for_cp "$cp") || qelt_die "no locale known for code page $cp"
    printf '%s\n' "WINEPREFIX=${2:-$(qelt_prefix_dir "$cp")}" "LC_ALL=$lc" "WINEDEBUG=-all" \
        "WINEDLLOVERRIDES=$QELT_WINEDLLOVERRIDES" "WINELOADER=$WINE64"
}

# UTF-16LE, the one .reg encoding Wine's regedit reads in any locale.
qelt_utf16() { iconv -f UTF-8 -t UTF-16LE; }
qelt_reg_multi_sz() { # STRING... -> hex(7) bytes
    {
        for s in "$@"; do
            printf '%s' "$s" | qelt_utf16
            printf '\0\0'
        done
        printf '\0\0'
    } | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}

# The forms use Tahoma (Japanese button captions) and ＭＳ ゴシック (the
# memo). IPAGothic stands in for the Japanese fonts and draws Tahoma's
# Japanese through font linking, as MS UI Gothic does on Windows.
# Windows are left unmanaged: with no window manager on the Xvfb, Wine
# would otherwise wait 2 s for one each time a shown window is hidden or
# destroyed; unmanaged, Wine draws their frames itself.
qelt_prefix_registry() { # FONTFILE
    cat <<EOF
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAGothic"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$(qelt_reg_multi_sz "$1,IPAGothic")

EOF
}

qelt_create_prefix() { # CP
    local cp=$1 prefix new font fontdir d
    prefix=$(qelt_prefix_dir "$cp")
    new="$prefix.new"
    font=$(readlink -f "$(fc-match -f '%{file}' 'IPAGothic:style=Regular' 2>/dev/null)")
    case "$font" in
    */ipag.ttf | */ipag.ttc) ;;
    *) qelt_die "IPAGothic not found by fontconfig (got '$font'); install fonts-ipafont-gothic" ;;
    esac
    fontdir=/usr/share/wine/fonts
    for f in tahoma.ttf marlett.ttf; do
        [ -r "$fontdir/$f" ] || qelt_die "Wine's $fontdir/$f missing; install fonts-wine"
    done

    rm -rf "$new"
    mkdir -p "$new"
    local -a env
    mapfile -t env < <(qelt_wine_env "$cp" "$new")
    # Made without any display, in its own code page from the start.
    env -u DISPLAY -u WAYLAND_DISPLAY "${env[@]}" "$WINE64" wineboot -i </dev/null >"$new.log" 2>&1 ||
        qelt_die "wineboot -i failed for $new, see $new.log"
    { printf '\xff\xfe'; qelt_prefix_registry "$(basename "$font")" | sed 's/$/\r/' | qelt_utf16; } >"$new/drive_c/qelt.reg"
    env -u DISPLAY -u WAYLAND_DISPLAY "${env[@]}" "$WINE64" regedit /S 'C:\qelt.reg' </dev/null >>"$new.log" 2>&1 ||
        qelt_die "regedit failed for $new, see $new.log"
    # The registry reaches the disk when the server ends; -k ends it now
    # rather than after its idle wait.
    env "${env[@]}" "$WINESERVER64" -k
    env "${env[@]}" "$WINESERVER64" -w
    # This Wine does not find the fonts in its data folder by itself; the
    # forms' default font is Tahoma, so the prefix gets Wine's own, and
    # Marlett, which draws the caption buttons of the frames Wine draws.
    cp "$fontdir"/tahoma*.ttf "$fontdir"/marlett.ttf "$new/drive_c/windows/Fonts/"
    # The user folders are links into $HOME; a test must not write there.
    for d in "$new"/drive_c/users/*/* "$new"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Templates; do
        if [ -L "$d" ]; then rm "$d" && mkdir "$d"; fi
    done
    rm -f "$new/drive_c/qelt.reg" "$new.log"
    echo "$QELT_PREFIX_RECIPE" >"$new/.qelt-recipe"
    rm -rf "$prefix"
    mv "$new" "$prefix"
}

# Makes the prefix once; later calls reuse it. Safe to call concurrently.
qelt_ensure_prefix() { # CP
    local cp=$1 prefix
    qelt_locale_for_cp "$cp" >/dev/null || qelt_die "unsupported code page $cp"
    prefix=$(qelt_prefix_dir "$cp")
    if [ "$(cat "$prefix/.qelt-recipe" 2>/dev/null)" != "$QELT_PREFIX_RECIPE" ]; then
        (
            flock 9
            if [ "$(cat "$prefix/.qelt-recipe" 2>/dev/null)" != "$QELT_PREFIX_RECIPE" ]; then
                qelt_create_prefix "$cp"
            fi
        ) 9>"$prefix.lock" || exit 1
    fi
    echo "$prefix"
}

qelt_display() { cat "$(qelt_state_dir)/display-$1" 2>/dev/null; } # CP

qelt_server_running() { # CP
    qelt_pid_is "$(cat "$(qelt_state_dir)/server-$1.pid" 2>/dev/null)" wineserver
}

qelt_start_xvfb() { # CP
    local cp=$1 state n ready
    state=$(qelt_state_dir)
    ready="$state/display-$cp.ready"
    # Numbers from 100 up stay clear of the usual :0 and xvfb-run's :99.
    for n in $(seq 100 299); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        rm -f "$ready"
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 \
            3>"$ready" </dev/null >"$state/xvfb-$cp.log" 2>&1 &
        echo $! >"$state/xvfb-$cp.pid"
        # Xvfb writes its number once it takes clients, or dies when another
        # server took the number first.
        for _ in $(seq 200); do
            [ -s "$ready" ] && break
            qelt_pid_is "$(cat "$state/xvfb-$cp.pid")" Xvfb || break
            sleep 0.05
        done
        if [ -s "$ready" ]; then
            rm -f "$ready"
            echo ":$n" >"$state/display-$cp"
            return 0
        fi
        qelt_stop_pid "$(cat "$state/xvfb-$cp.pid")" Xvfb
        rm -f "$state/xvfb-$cp.pid" "$ready"
    done
    qelt_die "no free X display found, see $state/xvfb-$cp.log"
}

# Small helpers of tools/ (the keeper, the window probe), built here so
# that the harness needs nothing from the build.
qelt_tool_exe() { # NAME
    local src exe cc
    src="$QELT_TOOLS_DIR/$1.c"
    exe="$(qelt_state_dir)/$1.exe"
    mkdir -p "$(qelt_state_dir)"
    if [ ! -e "$exe" ] || [ "$src" -nt "$exe" ]; then
        cc=$(command -v x86_64-w64-mingw32-gcc-posix || command -v x86_64-w64-mingw32-gcc) ||
            qelt_die "x86_64-w64-mingw32-gcc not found; install g++-mingw-w64-x86-64-posix"
        "$cc" -O2 -s -o "$exe.tmp.$$" "$src" && mv "$exe.tmp.$$" "$exe" || qelt_die "cannot build $exe"
    fi
    echo "$exe"
}

qelt_start_world() { # CP
    local cp=$1 state pid dir keeper
    state=$(qelt_state_dir)
    keeper=$(qelt_tool_exe wine-keeper) || exit 1
    qelt_start_xvfb "$cp"
    local -a env
    mapfile -t env < <(qelt_wine_env "$cp")
    env+=("DISPLAY=$(qelt_display "$cp")")
    setsid env "${env[@]}" "$WINESERVER64" -f -p </dev/null >/dev/null 2>&1 &
    pid=$!
    echo "$pid" >"$state/server-$cp.pid"
    for _ in $(seq 200); do
        qelt_pid_is "$pid" wineserver || qelt_die "wineserver for code page $cp did not start"
        dir=$(readlink "/proc/$pid/cwd" 2>/dev/null) && [ -S "$dir/socket" ] && break
        sleep 0.05
    done
    # The first process starts Wine's services and desktop, which keep the
    # streams they were given: /dev/null, not CTest's pipes.
    rm -f "$state/keeper-$cp.ready"
    setsid env "${env[@]}" "$WINE64" "$keeper" "Z:$state/keeper-$cp.ready" </dev/null >/dev/null 2>&1 &
    echo $! >"$state/keeper-$cp.pid"
    for _ in $(seq 1200); do
        [ -e "$state/keeper-$cp.ready" ] && return 0
        qelt_pid_is "$(cat "$state/keeper-$cp.pid")" keeper || break
        sleep 0.05
    done
    qelt_die "Wine did not come up for code page $cp"
}

# Who started the worlds: CTest for a test run, run.sh for a run.
qelt_owner_alive() {
    local owner
    owner=$(cat "$(qelt_state_dir)/owner.pid" 2>/dev/null) || return 1
    [ -n "$owner" ] && [ "$owner" != "$QELT_OWNER" ] && qelt_pid_is "$owner" .
}

qelt_cmd_start() { # CP...
    local cp j
    [ $# -gt 0 ] || set -- 1252 932
    mkdir -p "$(qelt_state_dir)"
    if qelt_owner_alive; then
        qelt_die "the Wine worlds of $QELT_BUILD_DIR are in use by process $(cat "$(qelt_state_dir)/owner.pid")" \
            "($(tr '\0' ' ' <"/proc/$(cat "$(qelt_state_dir)/owner.pid")/cmdline" | cut -c1-60)); wait for it to end"
    fi
    # Whatever a run that was cut short left behind.
    qelt_cmd_stop quiet
    echo "$QELT_OWNER" >"$(qelt_state_dir)/owner.pid"
    # The prefixes side by side: wineboot mostly waits on itself.
    local -a jobs=()
    for cp in "$@"; do
        qelt_ensure_prefix "$cp" >/dev/null &
        jobs+=($!)
    done
    for j in "${jobs[@]}"; do wait "$j" || qelt_die "making a Wine prefix failed"; done
    for cp in "$@"; do
        qelt_start_world "$cp"
        echo "wine-env: code page $cp on display $(qelt_display "$cp"), prefix $(qelt_prefix_dir "$cp")"
    done
}

qelt_stop_pid() { # PID NAME
    local pid=$1 name=$2
    qelt_pid_is "$pid" "$name" || return 0
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 100); do
        qelt_pid_is "$pid" "$name" || return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null
}

qelt_cmd_stop() {
    local state f cp pid
    state=$(qelt_state_dir)
    for f in "$state"/server-*.pid; do
        [ -e "$f" ] || continue
        cp=${f##*/server-}
        cp=${cp%.pid}
        pid=$(cat "$f")
        if qelt_pid_is "$pid" wineserver; then
            # -k ends the Wine processes of this prefix only, then its server.
            env "WINEPREFIX=$(qelt_prefix_dir "$cp")" "$WINESERVER64" -k 2>/dev/null
            for _ in $(seq 100); do
                qelt_pid_is "$pid" wineserver || break
                sleep 0.05
            done
            qelt_stop_pid "$pid" wineserver
        fi
        qelt_stop_pid "$(cat "$state/keeper-$cp.pid" 2>/dev/null)" keeper
        rm -f "$f" "$state/keeper-$cp.pid" "$state/keeper-$cp.ready"
    done
    for f in "$state"/xvfb-*.pid; do
        [ -e "$f" ] || continue
        qelt_stop_pid "$(cat "$f")" Xvfb
        cp=${f##*/xvfb-}
        rm -f "$f" "$state/display-${cp%.pid}"
    done
    rm -f "$state/owner.pid"
    [ "${1:-}" = quiet ] || echo "wine-env: stopped"
}

qelt_cmd_status() {
    local cp
    echo "build folder: $QELT_BUILD_DIR"
    for cp in 1252 932; do
        printf 'code page %s: prefix %s, server %s, display %s\n' "$cp" \
            "$([ -e "$(qelt_prefix_dir "$cp")/.qelt-recipe" ] && echo ready || echo missing)" \
            "$(qelt_server_running "$cp" && echo running || echo stopped)" "$(qelt_display "$cp" || echo none)"
    done
}

# Wine's own messages on stderr go; the program's own lines stay.
qelt_filter_wine_noise() {
    grep --line-buffered -v -E \
        '^(wine: |[0-9a-f]{4}:(err|fixme|warn|trace):|Xlib: |X Error|Fontconfig (error|warning))'
}

# Runs a Windows program; the exit status is the program's.
qelt_cmd_run() {
    local cp=${QELT_WINE_CODE_PAGE:-1252} display=
    while [ $# -gt 0 ]; do
        case "$1" in
        --cp) cp=$2; shift 2 ;;
        --display) display=$2; shift 2 ;;
        --) shift; break ;;
        *) break ;;
        esac
    done
    [ $# -gt 0 ] || qelt_die "run: no program given"
    qelt_ensure_prefix "$cp" >/dev/null
    [ -n "$display" ] || display=$(qelt_display "$cp" || true)
    local -a env
    mapfile -t env < <(qelt_wine_env "$cp")
    if [ -n "$display" ]; then env+=("DISPLAY=$display"); fi
    local status
    status=$(mktemp)
    # stdout goes straight through; stderr through the filter.
    {
        {
            env -u DISPLAY -u WAYLAND_DISPLAY "${env[@]}" "$WINE64" "$@" 2>&1 1>&3 3>&-
            echo $? >"$status"
        } | qelt_filter_wine_noise >&2
    } 3>&1
    local rc
    rc=$(cat "$status")
    rm -f "$status"
    return "${rc:-1}"
}

qelt_main() {
    QELT_BUILD_DIR=${QELT_BUILD_DIR:-}
    # By default the caller of this script (CTest for the fixture).
    QELT_OWNER=$PPID
    while [ $# -gt 0 ]; do
        case "$1" in
        --build-dir) QELT_BUILD_DIR=$2; shift 2 ;;
        --owner) QELT_OWNER=$2; shift 2 ;;
        *) break ;;
        esac
    done
    [ -n "$QELT_BUILD_DIR" ] || QELT_BUILD_DIR="$QELT_TOOLS_DIR/../build/x86_64"
    mkdir -p "$QELT_BUILD_DIR" || exit 1
    QELT_BUILD_DIR=$(cd "$QELT_BUILD_DIR" && pwd)
    [ -x "$WINE64" ] || qelt_die "$WINE64 missing; install wine64"
    local cmd=${1:-status}
    shift || true
    case "$cmd" in
    prefix) qelt_ensure_prefix "${1:-1252}" ;;
    start) qelt_cmd_start "$@" ;;
    stop) qelt_cmd_stop ;;
    status) qelt_cmd_status ;;
    display) qelt_display "${1:-1252}" ;;
    tool) qelt_tool_exe "$1" ;;
    busy) qelt_server_running 1252 || qelt_server_running 932 ;;
    run) qelt_cmd_run "$@" ;;
    *) qelt_die "unknown command $cmd" ;;
    esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -uo pipefail
    qelt_main "$@"
fi
