#!/bin/bash
# Runs a cross-built Windows program under Wine (the test emulator): a prefix
# of its own, no Mono or Gecko installers, no debug chatter.
#
# A program that starts while the previous program's wineserver is shutting
# down fails before it runs, with "wine client error"; such a start is tried
# once more. The program's own failures are never retried.
export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.wine-arx}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=
for candidate in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then wine=$candidate; break; fi
done
if [ -z "$wine" ]; then
    echo "wine_run.sh: no wine64 found" >&2
    exit 127
fi
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
for attempt in 1 2; do
    "$wine" "$@" 2>"$errors"
    rc=$?
    if [ $rc -ne 0 ] && [ $attempt -eq 1 ] && grep -q "wine client error" "$errors"; then
        sleep 1
        continue
    fi
    cat "$errors" >&2
    exit $rc
done
