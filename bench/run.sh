#!/usr/bin/env bash
# Builds every benchmark and runs each under Wine + Xvfb in a private prefix; each prints its own ratios.
set -uo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$KORIMO_ROOT" || exit 1
korimo_setup || exit 1
korimo_build || exit 1

KORIMO_OWN_PREFIX=$(mktemp -d /tmp/korimo-bench.XXXXXX)
trap korimo_wine_stop EXIT
korimo_wine_start "$KORIMO_OWN_PREFIX/prefix" 96 xvfb || exit 1
status=0
for bench in build/windows/bench/*_bench.exe; do
    echo "== $(basename "$bench" .exe)"
    wine "$bench" || { korimo_log "the benchmark $(basename "$bench") failed"; status=1; }
done
[ -e "$bench" ] || { korimo_log "no benchmark was built in build/windows/bench"; exit 1; }
exit $status
