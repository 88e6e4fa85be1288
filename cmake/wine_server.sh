#!/bin/sh
# One persistent wineserver for a whole test run: without it every test
# program starts and ends its own, and a program that starts while the last
# one is shutting down fails with "wine client error" before running at all.
# Usage: wine_server.sh start|stop  (the prefix of wine_run.sh)
export WINEPREFIX="${WINEPREFIX:-${HOME:-/tmp}/.wine-arx}"
server=wineserver
[ -x /usr/lib/wine/wineserver64 ] && server=/usr/lib/wine/wineserver64
case "$1" in
start)
    mkdir -p "$WINEPREFIX"
    "$server" -k >/dev/null 2>&1
    "$server" -w >/dev/null 2>&1
    "$server" -p ;;
stop)
    "$server" -k >/dev/null 2>&1
    exit 0 ;;
*)
    echo "usage: wine_server.sh start|stop" >&2
    exit 2 ;;
esac
