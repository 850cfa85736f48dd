#!/usr/bin/env bash
# Builds every benchmark and runs each under Wine + Xvfb in a private prefix; each prints its own figures and a
# "target: …" line per target. Ends with "targets: N met, M missed" naming the missed ones; exits 1 when any
# target was missed or a benchmark failed.
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$KORIMO_ROOT" || exit 1
korimo_setup || exit 1
korimo_build || exit 1

KORIMO_OWN_PREFIX=$(mktemp -d /tmp/korimo-bench.XXXXXX)
output=$(mktemp /tmp/korimo-bench-output.XXXXXX)
trap 'korimo_wine_stop; rm -f "$output"' EXIT
korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" 96 xvfb || exit 1
status=0
for bench in build/windows/bench/*_bench.exe; do
    echo "== $(basename "$bench" .exe)"
    wine "$bench" | tr -d '\r' | tee -a "$output"
    [ "${PIPESTATUS[0]}" -eq 0 ] || { korimo_log "the benchmark $(basename "$bench") failed or missed a target"; status=1; }
done
[ -e "$bench" ] || { korimo_log "no benchmark was built in build/windows/bench"; exit 1; }
met=$(grep -c '^target: .* met$' "$output")
missed=$(grep -c '^target: .* MISSED$' "$output")
echo
echo "targets: $met met, $missed missed"
grep '^target: .* MISSED$' "$output" | sed 's/^target: /  missed: /'
[ "$missed" -eq 0 ] || status=1
exit $status
