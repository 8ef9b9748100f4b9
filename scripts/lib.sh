# Shared steps of the README's commands: install what is missing, build, prepare Wine.
# Sourced by scripts/run.sh and scripts/test.sh.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian packages the build, the tests, the fuzzers and the release (zip, msitools' wixl) need.
PACKAGES="cmake make googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386
          fonts-wine xvfb xauth xdotool x11-apps imagemagick clang libclang-rt-14-dev zip python3 iproute2
          wixl msitools clang-format locales"

install_missing() {
    local missing=""
    for package in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "== Installing:$missing"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# The tray tip's test under a Japanese ANSI code page (932): Wine takes the code page from LANG only when
# the system has that locale.
ensure_japanese_locale() {
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
    echo "== Generating the ja_JP.UTF-8 locale"
    as_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    as_root locale-gen >/dev/null
}

# The program's version: CMakeLists.txt's project VERSION, its one source.
prodle_version() {
    sed -nE 's/^project\(Prodle VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt"
}

# Wine runs 32-bit programs only where the machine can execute 32-bit Linux code; elsewhere the
# program and its tests are built as 64-bit Windows code and run with the 64-bit loader.
runs_32_bit_code() {
    timeout 20 /usr/lib/wine/wine --version 2>/dev/null | grep -q '^wine-'
}
test_arch() {
    if [ -n "${PRODLE_ARCH:-}" ]; then echo "$PRODLE_ARCH"; return; fi
    if runs_32_bit_code; then echo i686; else echo x86_64; fi
}

# build <arch> <tests ON|OFF> [targets...]: configures and builds build-<arch>.
build() {
    local arch="$1" tests="$2"; shift 2
    local dir="$ROOT/build-$arch"
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DPRODLE_TESTS="$tests" >/dev/null
    if [ $# -gt 0 ]; then
        for target in "$@"; do cmake --build "$dir" -j "$(nproc)" --target "$target"; done
    else
        cmake --build "$dir" -j "$(nproc)"
    fi
}

# Wine's own fonts: "MS Sans Serif" and Tahoma, which the dialogs and menus ask for, and Marlett, whose
# glyphs are the caption buttons. Debian's fonts-wine puts them where a new prefix does not look, and
# without them every face falls back to a wider one (DejaVu Sans) and labels are cut off. A prefix
# loads whatever is in its own windows/Fonts, so they are copied there (again when the package changes).
WINE_FONT_DIRS="/usr/share/wine/fonts /usr/local/share/wine/fonts /opt/wine-stable/share/wine/fonts"

install_wine_fonts() {
    local prefix="$1" source
    for source in $WINE_FONT_DIRS; do
        if [ -f "$source/ms_sans_serif.ttf" ]; then
            cp -u "$source"/*.ttf "$source"/*.fon "$prefix/drive_c/windows/Fonts/"
            return 0
        fi
    done
    echo "!! Wine's fonts (fonts-wine) were not found in: $WINE_FONT_DIRS; texts will be cut off" >&2
}

# A Wine prefix of the build's own, made once.
ensure_prefix() {
    local arch="$1"
    local dir="$ROOT/build-$arch"  # separate: `local` expands all its words before assigning any
    if [ ! -f "$dir/wineprefix/system.reg" ]; then
        echo "== Creating the Wine prefix in $dir/wineprefix"
        if [ "$arch" = i686 ]; then export WINEARCH=win32; fi
        "$dir/wine-run" wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX="$dir/wineprefix" wineserver -w
        unset WINEARCH
    fi
    # Without a window manager, Wine waits about two seconds whenever a managed top-level window is
    # hidden or destroyed; unmanaged windows go at once.
    if [ ! -f "$dir/wineprefix/.unmanaged-windows" ]; then
        "$dir/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        WINEPREFIX="$dir/wineprefix" wineserver -w
        touch "$dir/wineprefix/.unmanaged-windows"
    fi
    install_wine_fonts "$dir/wineprefix"
}
