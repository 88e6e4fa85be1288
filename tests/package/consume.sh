#!/usr/bin/env bash
# Builds the consumer both ways the README promises and runs it:
#   from_source  add_subdirectory(arx) of this source tree
#   installed    find_package(arx) after cmake --install of this build tree
# (pkg-config and arx.pc's paths are checked on the Debian packages, debian.sh).
# Each way's CMakeLists.txt is the one the README shows, character for character.
# usage: consume.sh <cmake> <source dir> <build dir> <expected version>
set -euo pipefail
cmake=$1 source=$2 build=$3 version=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)

fail() { echo "FAIL: $*" >&2; exit 1; }

# The file's text is one whole ```cmake block of the README.
readme_shows() {
    awk -v want="$(cat "$1")" '
        /^```cmake$/ { inside = 1; text = ""; next }
        inside && /^```$/ { inside = 0; if (text == want "\n") found = 1; next }
        inside { text = text $0 "\n" }
        END { exit !found }' "$source/README.md"
}
for way in from_source installed; do
    readme_shows "$here/$way/CMakeLists.txt" ||
        fail "$way: README.md shows no cmake block equal to tests/package/$way/CMakeLists.txt"
done

build_consumer() {
    local way=$1; shift
    mkdir -p "$work/$way"
    cp "$here/$way/CMakeLists.txt" "$here/my_app.c" "$work/$way/"
    "$cmake" -S "$work/$way" -B "$work/$way-build" "${generator[@]}" "$@" >"$work/$way.log" 2>&1 ||
        { cat "$work/$way.log"; fail "$way: configure"; }
    "$cmake" --build "$work/$way-build" -j 2 >>"$work/$way.log" 2>&1 ||
        { cat "$work/$way.log"; fail "$way: build"; }
    local out
    out=$("$work/$way-build/my_app") || fail "$way: my_app did not run"
    [ "$out" = "$version" ] || fail "$way: my_app printed '$out', expected '$version'"
    echo "$way: my_app printed $out"
}

# add_subdirectory: the consumer keeps its own (empty) build type and gets no
# arx tests or test dependencies.
mkdir -p "$work/from_source" && ln -s "$source" "$work/from_source/arx"
build_consumer from_source
cache="$work/from_source-build/CMakeCache.txt"
grep -q '^CMAKE_BUILD_TYPE:STRING=$' "$cache" || fail "from_source: build type overridden: $(grep '^CMAKE_BUILD_TYPE' "$cache")"
grep -q '^GTest_DIR' "$cache" && fail "from_source: the consumer inherited the tests' dependencies"
[ -e "$work/from_source-build/arx/tests" ] && fail "from_source: the consumer inherited the tests"

# find_package: install this build into a temporary prefix.
"$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "install"; }
cmp -s "$source/LICENSE" "$work/prefix/share/doc/arx/LICENSE" || fail "install: share/doc/arx/LICENSE missing or different"
build_consumer installed -DCMAKE_PREFIX_PATH="$work/prefix"

echo "package: the consumer builds pass"
