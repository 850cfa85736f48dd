#!/usr/bin/env bash
# Screenshots of the real korimo.exe under Wine + Xvfb at 100 %, 125 %, 150 % and 200 % scaling: the main window
# alone, with each panel open, the about box and the alert pop-up (asking about Wine's own Notepad, from the system
# folder as a user's Notepad would be); then once more for a Korimo started at 100 %
# and switched to 150 % while it runs (the main window with the log panel open), as Windows
# switches a per-monitor aware program (Wine never does; tests/e2e/dpi_switch tells it).
# Usage: scripts/screenshot.sh [folder] (default docs/screenshots).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1
out="${1:-$KORIMO_ROOT/docs/screenshots}"
mkdir -p "$out" || { korimo_log "cannot make the folder $out"; exit 1; }
korimo_setup || exit 1
korimo_build || exit 1
exe="$KORIMO_ROOT/build/windows/korimo.exe"
# The program the pop-up asks about: Notepad from the system folder, started by its full path (Wine's own).
subject='C:\Windows\System32\notepad.exe'
switch="$KORIMO_ROOT/build/windows/tests/e2e/dpi_switch.exe"

KORIMO_OWN_PREFIX=$(mktemp -d /tmp/korimo-shots.XXXXXX)
trap korimo_wine_stop EXIT
export KORIMO_SCREEN=1920x1440x24

main_window() { xdotool search --onlyvisible --classname 'korimo.exe' 2>/dev/null | while read -r w; do
    [ "$(xdotool getwindowname "$w")" = Korimo ] && echo "$w" && break; done; }

# Clicks a point of the main window given in twips of its layout.
click_twips() { # window x y
    local geo x y w
    eval "$(xdotool getwindowgeometry --shell "$1")"
    x=$((X + $2 * WIDTH / 9525)); y=$((Y + $3 * WIDTH / 9525))
    xdotool mousemove "$x" "$y" click 1; sleep 1.2
}

# Crops the screen to the main window and the panel under it (or to the given height).
shoot() { # window file extra-height
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x$((HEIGHT + $3))+${X}+${Y}" +repage "$2" ||
        { korimo_log "import could not save the screenshot $2"; exit 1; }
    korimo_log "wrote $2"
}

# The visible Korimo window of the given width in pixels (the about box, the pop-up).
window_of_width() { xdotool search --onlyvisible --classname korimo.exe | while read -r w; do
    eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" = "$1" ] && echo "$w" && break; done; }

# Starts Notepad, shoots the question Korimo asks about it and lets it pass.
shoot_popup() { # dpi file
    wine "$subject" >/dev/null 2>&1 &
    local popup="" i
    for i in $(seq 1 40); do popup=$(window_of_width $(((6420 * $1 + 720) / 1440))); [ -n "$popup" ] && break; sleep 0.25; done
    if [ -z "$popup" ]; then korimo_log "no alert pop-up at $1 dpi"; return; fi
    sleep 1; shoot "$popup" "$2" 0
    eval "$(xdotool getwindowgeometry --shell "$popup")"
    xdotool mousemove $((X + 667 * WIDTH / 6420)) $((Y + 367 * WIDTH / 6420)) click 1; sleep 1 # 放过
}

start_korimo() { # dpi
    korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" "$1" xvfb || exit 1
    wine "$exe" >/dev/null 2>&1 &
    sleep 3
    korimo_wine_tray_double_click || exit 1
    sleep 1.5
    win=$(main_window)
    [ -n "$win" ] || { korimo_log "the main window did not come up"; exit 1; }
}

stop_korimo() {
    wineserver -k; sleep 1
    kill "$KORIMO_XVFB_PID" 2>/dev/null; wait "$KORIMO_XVFB_PID" 2>/dev/null; KORIMO_XVFB_PID=""
}

for dpi in ${KORIMO_SHOT_DPIS:-96 120 144 192}; do
    start_korimo "$dpi"
    panel=$((3165 * dpi / 1440))
    shoot "$win" "$out/main-$dpi.png" 0
    click_twips "$win" 727 4927;  shoot "$win" "$out/process-panel-$dpi.png" "$panel"
    click_twips "$win" 1927 4927; shoot "$win" "$out/file-panel-$dpi.png" "$panel"
    click_twips "$win" 7807 4927; shoot "$win" "$out/log-panel-$dpi.png" "$panel"
    click_twips "$win" 8887 4927
    click_twips "$win" 8827 4447
    about=$(window_of_width $(((9600 * dpi + 720) / 1440)))
    if [ -n "$about" ]; then shoot "$about" "$out/about-$dpi.png" 0; xdotool click 1; sleep 1; else korimo_log "no about box"; fi
    shoot_popup "$dpi" "$out/alert-popup-$dpi.png"
    stop_korimo
done

# Started at 100 %, the log panel open, then switched to 150 % while running.
start_korimo 96
click_twips "$win" 7807 4927
wine "$switch" 144 || { korimo_log "the running Korimo did not take the new DPI"; exit 1; }
sleep 1.5
shoot "$win" "$out/switched-96-to-144.png" $((3165 * 144 / 1440))
stop_korimo

# The keyboard focus and high contrast, saved by the Win32 test that checks them (Wine cannot switch high
# contrast on by itself): main-keyboard-focus, main-high-contrast and alert-popup-high-contrast at both scalings.
korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" 96 xvfb || exit 1
bitmaps=$(mktemp -d /tmp/korimo-shots-bmp.XXXXXX)
KORIMO_SCREENSHOTS="Z:${bitmaps//\//\\}" wine "$KORIMO_ROOT/build/windows/tests/win/korimo_win_tests.exe" \
    --gtest_filter='*InHighContrastTheFacesShowOnlySystemColours*' >/dev/null 2>&1 ||
    { korimo_log "the high-contrast test failed: run it alone to see why"; exit 1; }
for bitmap in "$bitmaps"/*.bmp; do
    convert "$bitmap" "$out/$(basename "${bitmap%.bmp}").png" && korimo_log "wrote $out/$(basename "${bitmap%.bmp}").png"
done
rm -rf "$bitmaps"
