#!/usr/bin/env bash
# Builds korimo.exe and starts it. On Linux it runs under Wine: on your display when there is one (Korimo starts in
# the tray: double-click its icon in the "Wine System Tray" window), otherwise on a private Xvfb where the main
# window is brought up, a screenshot saved and its path printed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1
korimo_setup || exit 1
korimo_build_exe || exit 1
exe="$KORIMO_ROOT/build/windows/korimo.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    korimo_wine_start "${KORIMO_WINEPREFIX:-$HOME/.local/share/korimo/wineprefix}" "" display || exit 1
    korimo_log "Korimo is in the tray: double-click its icon to open the main window"
    exec wine "$exe"
fi

KORIMO_OWN_PREFIX=$(mktemp -d /tmp/korimo-run.XXXXXX)
trap korimo_wine_stop EXIT
korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" 96 xvfb || exit 1
wine "$exe" >/dev/null 2>&1 &
sleep 3
korimo_wine_tray_double_click || exit 1
for _ in $(seq 1 50); do xdotool search --onlyvisible --name '^Korimo$' >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --onlyvisible --name '^Korimo$' >/dev/null 2>&1 ||
    { korimo_log "Korimo's main window did not come up after a double-click on its tray icon"; exit 1; }
sleep 1
mkdir -p "$KORIMO_ROOT/out" || { korimo_log "cannot make the folder $KORIMO_ROOT/out"; exit 1; }
shot="$KORIMO_ROOT/out/korimo-running.png"
import -window root "$shot" || { korimo_log "import could not save the screenshot $shot"; exit 1; }
echo "Korimo ran headless on $DISPLAY; screenshot of its main window: $shot"
