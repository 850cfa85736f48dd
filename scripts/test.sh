#!/usr/bin/env bash
# The whole test suite: unit tests of the platform-free code on Linux, then the Win32 layer and the end-to-end tests
# of the real korimo.exe under Wine + Xvfb (through scripts\test-windows.cmd, as on Windows), and the package. Own
# Wine prefix, own display, zh_CN.UTF-8 (ANSI code page 936); Wine and Xvfb are shut down at the end, also on failure.
# Exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1

korimo_setup || exit 1
korimo_build || exit 1

# Every test program writes a GoogleTest XML report here; the closing line counts the tests in them.
results=$(mktemp -d /tmp/korimo-results.XXXXXX)
run_ctest() { # label, ctest arguments...
    local label="$1"; shift
    korimo_log "== $label =="
    ctest "$@" --output-on-failure --timeout 600
}

status=0
# One process per unit test: counted from ctest's own summary rather than from reports.
GTEST_OUTPUT= run_ctest "unit tests (Linux)" --test-dir build/host | tee "$results/unit.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

KORIMO_OWN_PREFIX=$(mktemp -d /tmp/korimo-test.XXXXXX)
trap 'korimo_wine_stop; korimo_small_disk_unmount; korimo_readonly_unmount; rm -rf "$results"' EXIT
trap 'exit 130' INT TERM
korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" 96 xvfb || exit 1
korimo_small_disk_mount # the journal's test on a disk that fills up; skipped without it
korimo_readonly_mount   # a program folder the user may not write; skipped without it
korimo_e2e_folders "$KORIMO_OWN_PREFIX"
export GTEST_OUTPUT="xml:Z:${results//\//\\}\\" # the same folder, as Wine's Z: drive names it
# The Windows-side tests and the end-to-end tests run as on a real Windows, through scripts\test-windows.cmd, here
# under Wine's cmd; the folders prepared above are taken as they are.
korimo_log "== Win32 layer and end-to-end (korimo.exe), through scripts\\test-windows.cmd under Wine's cmd =="
timeout 1500 wine cmd /c "Z:${KORIMO_ROOT//\//\\}\\scripts\\test-windows.cmd" "Z:${KORIMO_ROOT//\//\\}\\build\\windows" || status=1
# The automatic save once more on a Western system (code page 1252), in a prefix of its own: a Chinese log must
# come out whole.
korimo_log "== end-to-end under code page 1252 =="
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
if KORIMO_LANG=C.UTF-8 korimo_wine_start "$KORIMO_OWN_PREFIX/prefix-1252" 96 display; then
    KORIMO_CODE_PAGE=1252 GTEST_OUTPUT="${GTEST_OUTPUT}korimo_e2e_1252.xml" wine build/windows/tests/e2e/korimo_e2e.exe \
        --exe "$KORIMO_ROOT/build/windows/korimo.exe" --titled-window "$KORIMO_ROOT/build/windows/tests/e2e/titled_window.exe" \
        --gtest_filter='SettingsTest.ClosingSavesTheLogBesideTheProgram*' || status=1
else
    status=1
fi
GTEST_OUTPUT= run_ctest "package" --test-dir build/windows -L package | tee "$results/package.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

passed=0; failed=0
for summary in "$results"/unit.txt "$results"/package.txt; do # counted from ctest's own summary
    read -r _ _ _ fails _ _ _ _ total < <(grep -E '^[0-9]+% tests passed' "$summary")
    passed=$((passed + ${total:-0} - ${fails:-0})); failed=$((failed + ${fails:-0}))
done
for report in "$results"/*.xml; do
    [ -f "$report" ] || continue
    read -r total fails errors < <(grep -m1 -o '<testsuites tests="[0-9]*" failures="[0-9]*" disabled="[0-9]*" errors="[0-9]*"' "$report" |
        sed -E 's/.*tests="([0-9]+)" failures="([0-9]+)" disabled="[0-9]+" errors="([0-9]+)".*/\1 \2 \3/')
    passed=$((passed + total - fails - errors)); failed=$((failed + fails + errors))
done
echo
[ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || failed=1 # a program that crashed wrote no report
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
exit $status
