#!/usr/bin/env bash
# Screenshots of the real korimo.exe under Wine + Xvfb at 100 % and 150 % scaling: the main window alone, with
# each panel open, and the about box. Usage: scripts/screenshot.sh [folder] (default docs/screenshots).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1
out="${1:-$KORIMO_ROOT/docs/screenshots}"
mkdir -p "$out" || { korimo_log "cannot make the folder $out"; exit 1; }
korimo_setup || exit 1
korimo_build || exit 1
exe="$KORIMO_ROOT/build/windows/korimo.exe"

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

for dpi in 96 144; do
    korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" "$dpi" xvfb || exit 1
    wine "$exe" >/dev/null 2>&1 &
    sleep 3
    korimo_wine_tray_double_click || exit 1
    sleep 1.5
    win=$(main_window)
    [ -n "$win" ] || { korimo_log "the main window did not come up"; exit 1; }
    panel=$((3165 * dpi / 1440))
    shoot "$win" "$out/main-$dpi.png" 0
    click_twips "$win" 727 4927;  shoot "$win" "$out/process-panel-$dpi.png" "$panel"
    click_twips "$win" 1927 4927; shoot "$win" "$out/file-panel-$dpi.png" "$panel"
    click_twips "$win" 7807 4927; shoot "$win" "$out/log-panel-$dpi.png" "$panel"
    click_twips "$win" 8887 4927
    click_twips "$win" 8827 4447
    about=$(xdotool search --onlyvisible --classname korimo.exe | while read -r w; do
        eval "$(xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" = $((9600 * dpi / 1440)) ] && echo "$w" && break; done)
    if [ -n "$about" ]; then shoot "$about" "$out/about-$dpi.png" 0; else korimo_log "no about box"; fi
    wineserver -k; sleep 1
    kill "$KORIMO_XVFB_PID" 2>/dev/null; wait "$KORIMO_XVFB_PID" 2>/dev/null; KORIMO_XVFB_PID=""
done

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
