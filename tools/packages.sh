# Sourced by run.sh and test.sh: installs from Debian what building and
# testing need, when something is missing (as root, or through sudo).
#
#   cmake, ninja-build                          the build
#   g++-mingw-w64-i686-posix                    32-bit qelt.exe, the product
#   g++-mingw-w64-x86-64-posix                  64-bit qelt.exe and the tests
#   googletest                                  GoogleTest's sources, built with the tests
#   wine64, fonts-wine                          running the 64-bit programs; Wine's Tahoma
#   fonts-ipafont-gothic, fontconfig            the forms' Japanese fonts, and finding them
#   xvfb, xdotool, imagemagick                  private displays, real mouse clicks, screenshots
QELT_PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
    wine64 fonts-wine fonts-ipafont-gothic fontconfig xvfb xdotool imagemagick)

qelt_install_packages() {
    command -v dpkg-query >/dev/null || return 0
    local missing=() p
    for p in "${QELT_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    local sudo=()
    if [ "$(id -u)" != 0 ]; then
        command -v sudo >/dev/null || { echo "missing packages: ${missing[*]}; install them as root" >&2; return 1; }
        sudo=(sudo)
    fi
    echo "installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}
