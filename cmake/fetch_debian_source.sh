#!/bin/sh
# Fetches and unpacks a Debian source package into a build folder, without
# touching the system's apt state: a private source list (the machine's own
# Debian sources, as deb-src), a private lists folder and cache.
# Usage: fetch_debian_source.sh <package> <folder>; unpacks into <folder>/<package>.
set -eu
package=$1
folder=$2
state=$folder/apt
rm -rf "$state" "$folder/$package"
mkdir -p "$state/lists/partial" "$state/sources.list.d" "$state/cache/archives/partial"
: > "$state/sources.list"
# One-line sources: every "deb" line also as "deb-src".
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && sed -n 's/^[[:space:]]*deb\([[:space:]]\)/deb-src\1/p' "$f" >> "$state/sources.list"
done
# deb822 sources: the same entries with source types only.
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$state/sources.list.d/$(basename "$f")"
done
set -- -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts="$state/sources.list.d" \
       -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache" -o APT::Sandbox::User=root
apt-get "$@" -qq update
cd "$folder"
apt-get "$@" -qq source --download-only "$package"
dpkg-source --no-check -x "$(ls "$package"_*.dsc | head -n 1)" "$package"
