#!/usr/bin/env bash
# Builds a release korimo.exe and writes the package out/korimo-<version>-win64.zip (korimo.exe, README.zh-CN.md,
# README.md, LICENSE, SHA256SUMS); prints its path.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1
korimo_setup || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows --target korimo_zip ||
    { korimo_log "the package could not be built (see the message above)"; exit 1; }
ls -t "$KORIMO_ROOT"/out/korimo-*-win64.zip | head -1
