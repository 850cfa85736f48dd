# Shared by the run, test, screenshot, package and benchmark scripts: packages, build, and a private Wine + Xvfb
# session. Source it; every function is prefixed korimo_. A step that fails says what failed and what to do.

KORIMO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The one install list (.ci/run installs it too). `wine` brings the wine, wineboot and wineserver commands, which
# wine64 alone does not. `mount` brings mount and umount, for the small disk of the full-disk tests; osslsigncode signs
# a release and, with openssl's throwaway certificates, the package test checks a signed one; cmark-gfm renders the
# Chinese guide as a page for the browser.
KORIMO_PACKAGES="cmake ninja-build g++ googletest libgtest-dev g++-mingw-w64-x86-64-posix wine wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei locales mount osslsigncode openssl cmark-gfm"
# Every command the scripts, the tests and the benchmarks call, with the Debian package that brings it.
KORIMO_COMMANDS="cmake:cmake ctest:cmake ninja:ninja-build g++:g++ x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
wine:wine wineboot:wine wineserver:wine Xvfb:xvfb xdotool:xdotool xdpyinfo:x11-utils import:imagemagick
locale-gen:locales mount:mount umount:mount osslsigncode:osslsigncode openssl:openssl cmark-gfm:cmark-gfm"

korimo_log() { printf '[korimo] %s\n' "$*" >&2; }

korimo_as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else
        korimo_log "need root to run: $* (run as root or install sudo)"; return 1
    fi
}

# Says which command is missing and which package brings it; non-zero when any is missing.
korimo_check_commands() {
    local pair status=0
    for pair in $KORIMO_COMMANDS; do
        command -v "${pair%%:*}" >/dev/null 2>&1 ||
            { korimo_log "${pair%%:*} is missing: install the Debian package ${pair#*:}"; status=1; }
    done
    return $status
}

# Installs what is missing: the toolchains, Wine, Xvfb, the Chinese fonts and the zh_CN.UTF-8 locale.
korimo_setup() {
    local missing="" pkg
    for pkg in $KORIMO_PACKAGES; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $pkg"
    done
    if [ -n "$missing" ]; then
        korimo_log "installing:$missing"
        korimo_as_root apt-get update -qq ||
            { korimo_log "apt-get update failed: check the network and /etc/apt/sources.list"; return 1; }
        korimo_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing \
            >/dev/null || { korimo_log "apt-get install failed for:$missing (see apt's message above)"; return 1; }
    fi
    korimo_check_commands || return 1
    if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
        korimo_log "generating the zh_CN.UTF-8 locale"
        korimo_as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | korimo_as_root tee -a /etc/locale.gen >/dev/null
        korimo_as_root locale-gen >/dev/null
        locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$' ||
            { korimo_log "the zh_CN.UTF-8 locale could not be made: add 'zh_CN.UTF-8 UTF-8' to /etc/locale.gen and run locale-gen"; return 1; }
    fi
}

# Builds the host (platform-free + unit tests) and the Windows (korimo.exe, tests, benchmarks) configurations.
korimo_build() {
    cd "$KORIMO_ROOT" || return 1
    cmake --preset host >/dev/null && cmake --build --preset host &&
        cmake --preset windows >/dev/null && cmake --build --preset windows ||
        { korimo_log "the build failed (see the compiler's message above)"; return 1; }
}

# Builds korimo.exe alone, for starting it.
korimo_build_exe() {
    cd "$KORIMO_ROOT" || return 1
    cmake --preset windows >/dev/null && cmake --build --preset windows --target korimo ||
        { korimo_log "the build of korimo.exe failed (see the compiler's message above)"; return 1; }
}

KORIMO_XVFB_PID=""
KORIMO_OWN_PREFIX=""

# Starts a private Xvfb display and a Wine prefix; exports DISPLAY, WINEPREFIX and the locale.
# $1: the prefix folder (made fresh when missing), $2: dots per inch (96, 144; empty leaves the prefix's own),
# $3: "xvfb" for a private display, "display" to use $DISPLAY when there is one. KORIMO_LANG sets another locale
# (C.UTF-8 gives a Western system, code page 1252); use a prefix of its own for it.
korimo_wine_start() {
    local prefix="$1" dpi="${2-96}" want_xvfb="${3:-xvfb}"
    # For Wine and the tests, not for this shell: a shell that was running when korimo_setup made the locale
    # cannot switch to it and would warn, although every program it starts from now on gets it.
    { export LANG="${KORIMO_LANG:-zh_CN.UTF-8}" LC_ALL="${KORIMO_LANG:-zh_CN.UTF-8}"; } 2>/dev/null
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX="$prefix"
    if [ "$want_xvfb" = xvfb ] || [ -z "${DISPLAY:-}" ]; then
        local n
        for n in $(seq 90 140); do
            [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
            Xvfb ":$n" -screen 0 "${KORIMO_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
            KORIMO_XVFB_PID=$!
            local i; for i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
            if kill -0 "$KORIMO_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
                export DISPLAY=":$n"; break
            fi
            KORIMO_XVFB_PID=""
        done
        [ -n "$KORIMO_XVFB_PID" ] || { korimo_log "Xvfb did not start on any display :90-:140: run 'Xvfb :99' to see why"; return 1; }
        korimo_log "Xvfb on $DISPLAY"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        korimo_log "preparing the Wine prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 && [ -d "$WINEPREFIX/drive_c/windows/system32" ] ||
            { korimo_log "wineboot could not prepare the Wine prefix $WINEPREFIX: run 'WINEPREFIX=$WINEPREFIX wineboot -i' to see why"; return 1; }
        # Without a window manager Wine stalls on hiding windows unless they are unmanaged.
        [ -z "$KORIMO_XVFB_PID" ] || wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    fi
    [ -z "$dpi" ] || wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
    wineserver -p >/dev/null 2>&1
    wineboot >/dev/null 2>&1
}

# Ends Wine and the private display; safe to call twice and from a trap.
korimo_wine_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 20 wineserver -w >/dev/null 2>&1
    fi
    if [ -n "$KORIMO_XVFB_PID" ]; then
        kill "$KORIMO_XVFB_PID" 2>/dev/null; wait "$KORIMO_XVFB_PID" 2>/dev/null
        KORIMO_XVFB_PID=""
    fi
    if [ -n "$KORIMO_OWN_PREFIX" ] && [ -d "$KORIMO_OWN_PREFIX" ]; then rm -rf "$KORIMO_OWN_PREFIX"; KORIMO_OWN_PREFIX=""; fi
}

KORIMO_SMALL_DISK_DIR=""

# Mounts a 256 KiB disk of its own (tmpfs) for the tests of a full disk and exports its path as
# KORIMO_SMALL_DISK. Needs root, or sudo without a password; otherwise says so and those tests skip.
korimo_small_disk_mount() {
    local as_root=""
    if [ "$(id -u)" != 0 ]; then
        sudo -n true 2>/dev/null || { korimo_log "not root: the full-disk tests skip (run as root to include them)"; return 0; }
        as_root="sudo -n"
    fi
    KORIMO_SMALL_DISK_DIR=$(mktemp -d /tmp/korimo-small-disk.XXXXXX)
    if $as_root mount -t tmpfs -o size=256k,mode=1777 tmpfs "$KORIMO_SMALL_DISK_DIR"; then
        export KORIMO_SMALL_DISK="$KORIMO_SMALL_DISK_DIR"
    else
        korimo_log "mount -t tmpfs failed: the full-disk tests skip"
        rmdir "$KORIMO_SMALL_DISK_DIR"; KORIMO_SMALL_DISK_DIR=""
    fi
}

# Unmounts it again; safe to call twice and from a trap.
korimo_small_disk_unmount() {
    [ -n "$KORIMO_SMALL_DISK_DIR" ] || return 0
    local as_root=""; [ "$(id -u)" = 0 ] || as_root="sudo -n"
    $as_root umount "$KORIMO_SMALL_DISK_DIR" && rmdir "$KORIMO_SMALL_DISK_DIR"
    KORIMO_SMALL_DISK_DIR=""; unset KORIMO_SMALL_DISK
}

KORIMO_READONLY_DIR=""

# A program folder the user may not write, as C:\Program Files is for a user who is not an administrator: a folder
# the tests fill (KORIMO_READONLY_SOURCE) shown read-only at a second path (KORIMO_READONLY_VIEW), by a read-only bind
# mount. Needs root, or sudo without a password; otherwise says so and those tests skip.
korimo_readonly_mount() {
    local as_root=""
    if [ "$(id -u)" != 0 ]; then
        sudo -n true 2>/dev/null || { korimo_log "not root: the read-only program folder tests skip (run as root to include them)"; return 0; }
        as_root="sudo -n"
    fi
    KORIMO_READONLY_DIR=$(mktemp -d /tmp/korimo-readonly.XXXXXX)
    mkdir -p "$KORIMO_READONLY_DIR/source" "$KORIMO_READONLY_DIR/view"
    if $as_root mount --bind "$KORIMO_READONLY_DIR/source" "$KORIMO_READONLY_DIR/view" &&
        $as_root mount -o remount,bind,ro "$KORIMO_READONLY_DIR/view"; then
        export KORIMO_READONLY_SOURCE="$KORIMO_READONLY_DIR/source" KORIMO_READONLY_VIEW="$KORIMO_READONLY_DIR/view"
    else
        korimo_log "the read-only bind mount failed: the read-only program folder tests skip"
        $as_root umount "$KORIMO_READONLY_DIR/view" 2>/dev/null
        rm -rf "$KORIMO_READONLY_DIR"; KORIMO_READONLY_DIR=""
    fi
}

# Unmounts it again; safe to call twice and from a trap.
korimo_readonly_unmount() {
    [ -n "$KORIMO_READONLY_DIR" ] || return 0
    local as_root=""; [ "$(id -u)" = 0 ] || as_root="sudo -n"
    $as_root umount "$KORIMO_READONLY_DIR/view" && rm -rf "$KORIMO_READONLY_DIR"
    KORIMO_READONLY_DIR=""; unset KORIMO_READONLY_SOURCE KORIMO_READONLY_VIEW
}

# The folder the end-to-end tests copy korimo.exe into (KORIMO_E2E_FOLDER) and a symbolic link to it
# (KORIMO_E2E_ALIAS): the same program file under a second spelling of its path, as a short name, a subst drive or
# a network path gives one on Windows. Removed with the test run's own folder.
korimo_e2e_folders() { # $1: a folder of the run
    mkdir -p "$1/program" && ln -sfn "$1/program" "$1/alias" &&
        export KORIMO_E2E_FOLDER="$1/program" KORIMO_E2E_ALIAS="$1/alias"
}

# The main window comes up with a left double-click on Korimo's tray icon.
korimo_wine_tray_double_click() {
    local tray i
    for i in $(seq 1 100); do
        tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -1)
        [ -n "$tray" ] && break; sleep 0.1
    done
    [ -n "$tray" ] || { korimo_log "Wine's system tray window did not appear: Korimo did not start under Wine"; return 1; }
    # The tray's title bar and icons grow with the scaling: the icon's place goes with the window's height
    # (44 pixels at 100 %, where it is clicked at 12, 31).
    local HEIGHT=44 x=12 y=31; eval "$(xdotool getwindowgeometry --shell "$tray" | grep '^HEIGHT=')"
    [ "$HEIGHT" -le 50 ] || { x=$((12 * HEIGHT / 44)); y=$((31 * HEIGHT / 44)); }
    xdotool mousemove --window "$tray" "$x" "$y" click --repeat 2 --delay 80 1 ||
        { korimo_log "xdotool could not click Korimo's tray icon"; return 1; }
}
