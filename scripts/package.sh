#!/usr/bin/env bash
# Builds a release korimo.exe and writes the package out/korimo-<version>-win64.zip (korimo.exe, README.zh-CN.md,
# README.md, LICENSE, every file the two guides link to, SHA256SUMS); prints its path. Two builds of one source
# give the same zip, byte for byte. With KORIMO_SIGN_PFX (a .pfx file), KORIMO_SIGN_PASSWORD_FILE (a file holding
# its password) and, optionally, KORIMO_SIGN_TIMESTAMP_URL (an RFC 3161 time-stamp server) korimo.exe is signed
# (Authenticode, SHA-256) before its checksum is taken.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$KORIMO_ROOT" || exit 1
korimo_setup || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows --target korimo_zip ||
    { korimo_log "the package could not be built (see the message above)"; exit 1; }
ls -t "$KORIMO_ROOT"/out/korimo-*-win64.zip | head -1
