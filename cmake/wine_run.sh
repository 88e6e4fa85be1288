#!/bin/sh
# Runs a cross-built Windows program under Wine (the test emulator): a prefix
# of its own, no Mono or Gecko installers, no debug chatter.
export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.wine-arx}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
for wine in /usr/lib/wine/wine64 wine64 wine; do
    command -v "$wine" >/dev/null 2>&1 && exec "$wine" "$@"
done
echo "wine_run.sh: no wine64 found" >&2
exit 127
