#!/usr/bin/env bash
# Proves the install list: every command Korimo's scripts, tests and benchmarks call must come from a package in
# the dependency closure of the list (without recommends), and the scripts must make the zh_CN.UTF-8 locale. So a
# package installed by hand on this machine cannot hide a missing install step. Prints one line per gap and exits
# non-zero when there is any. Usage: scripts/check-packages.sh [package...] (default: the install list).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
list="${*:-$KORIMO_PACKAGES}"
# shellcheck disable=SC2086
closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
          --no-enhances $list 2>/dev/null | grep -v '^ ' | sed 's/:.*//' | sort -u)
[ -n "$closure" ] || { korimo_log "apt-cache knows none of the packages: $list (run apt-get update)"; exit 1; }

gaps=0
gap() { korimo_log "install list check: $*"; gaps=$((gaps + 1)); }
for pair in $KORIMO_COMMANDS; do
    cmd=${pair%%:*} named=${pair#*:}
    path=$(command -v "$cmd") || { gap "$cmd is not installed (the Debian package $named brings it)"; continue; }
    owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] || owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] || owner=$(dpkg -S "${path#/usr}" 2>/dev/null | head -1 | cut -d: -f1) # /bin before the /usr merge
    [ -n "$owner" ] || { gap "$cmd ($path) belongs to no Debian package: it was installed by hand"; continue; }
    [ "$(dpkg-query -W -f='${Essential}' "$owner" 2>/dev/null)" = yes ] && continue
    grep -qx "$owner" <<<"$closure" || gap "$cmd comes from the package $owner, which the install list does not bring"
done
grep -qx locales <<<"$closure" || gap "locale-gen needs the package locales, which the install list does not bring"
grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null && locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$' ||
    gap "the zh_CN.UTF-8 locale was not made (korimo_setup enables it in /etc/locale.gen and runs locale-gen)"

[ "$gaps" -eq 0 ] || exit 1
korimo_log "install list check: $(wc -w <<<"$KORIMO_COMMANDS") commands, all from the install list; zh_CN.UTF-8 made"
