#!/usr/bin/env bash
# The Debian packages as a user gets them: cpack of this build, each package
# checked with dpkg-deb (version, dependencies, copyright and changelogs, no
# build paths), all of them unpacked with dpkg -x into a temporary root, the
# consumer built against that root with CMake (find_package) and with
# pkg-config and run against the packaged arx-sim; the Python package too.
# usage: debian.sh <cpack> <cmake> <source dir> <build dir> <version>
set -euo pipefail
cpack=$1 cmake=$2 source=$3 build=$4 version=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
deb_version="$version-1"

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }

field() { dpkg-deb --field "$1" "$2"; }
package_file() {
    local f=("$work"/packages/"$1"_"$deb_version"_*.deb)
    [ -f "${f[0]}" ] || fail "$1: no package $1_${deb_version}_*.deb (have: $(ls "$work/packages"))"
    echo "${f[0]}"
}
packages=(libarx4 libarx-dev arx-sim python3-arx)

mkdir -p "$work/root"
for p in "${packages[@]}"; do
    deb=$(package_file "$p")
    [ "$(field "$deb" Package)" = "$p" ] || fail "$p: Package is $(field "$deb" Package)"
    [ "$(field "$deb" Version)" = "$deb_version" ] || fail "$p: Version is $(field "$deb" Version)"
    [ -n "$(field "$deb" Maintainer)" ] || fail "$p: no Maintainer"
    [ -n "$(field "$deb" Description)" ] || fail "$p: no Description"
    contents=$(dpkg-deb --contents "$deb")
    for doc in copyright changelog.gz changelog.Debian.gz; do
        grep -q "\./usr/share/doc/$p/$doc$" <<<"$contents" || fail "$p: no usr/share/doc/$p/$doc"
    done
    grep -qv '^[^ ]* root/root ' <<<"$contents" && fail "$p: files not owned by root: $contents"
    case "$contents" in *"$build"* | *"$source"*) fail "$p: a build path in the contents";; esac
    dpkg -x "$deb" "$work/root"
done

# The dependencies: cJSON's runtime package for the library and arx-sim, three.js
# for the viewer, the library of exactly their version for -dev and python3-arx.
depends() { field "$(package_file "$1")" Depends; }
grep -Eq '(^|, )libcjson1( |,|$)' <<<"$(depends libarx4)" || fail "libarx4: Depends lacks libcjson1: $(depends libarx4)"
grep -q "libarx4 (= $deb_version)" <<<"$(depends libarx-dev)" || fail "libarx-dev: Depends: $(depends libarx-dev)"
grep -Eq '(^|, )libcjson1( |,|$)' <<<"$(depends arx-sim)" || fail "arx-sim: Depends lacks libcjson1"
grep -q "libjs-three" <<<"$(depends arx-sim)" || fail "arx-sim: Depends lacks libjs-three"
grep -q "python3" <<<"$(depends python3-arx)" || fail "python3-arx: Depends lacks python3"
grep -q "libarx4 (= $deb_version)" <<<"$(depends python3-arx)" || fail "python3-arx: Depends: $(depends python3-arx)"

# What the packages hold: the soname link in libarx4, the link to it in
# -dev, a man page and the viewer's page for arx-sim; no file names a build or
# source path.
root=$work/root
[ "$(readlink "$root/usr/lib/libarx.so.4")" = "libarx.so.$version" ] || fail "libarx.so.4 does not point to libarx.so.$version"
[ "$(readlink "$root/usr/lib/libarx.so")" = "libarx.so.4" ] || fail "libarx.so does not point to libarx.so.4"
gzip -t "$root/usr/share/man/man1/arx-sim.1.gz" || fail "arx-sim: no man page"
[ -f "$root/usr/share/arx-sim/web/index.html" ] || fail "arx-sim: no viewer page in usr/share/arx-sim/web"
grep -rlF -e "$build" -e "$source" "$root" >"$work/paths" && fail "build paths inside: $(cat "$work/paths")"

# CMake: the README's installed consumer, with the unpacked root as prefix.
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
mkdir -p "$work/cmake-app"
cp "$here/installed/CMakeLists.txt" "$here/my_app.c" "$work/cmake-app/"
"$cmake" -S "$work/cmake-app" -B "$work/cmake-build" "${generator[@]}" -DCMAKE_PREFIX_PATH="$root/usr" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >"$work/cmake-app.log" 2>&1 && "$cmake" --build "$work/cmake-build" \
    >>"$work/cmake-app.log" 2>&1 || { cat "$work/cmake-app.log"; fail "CMake consumer: build"; }

# pkg-config: only the unpacked root's files, so nothing else can answer.
flags=$(PKG_CONFIG_LIBDIR="$root/usr/lib/pkgconfig" PKG_CONFIG_PATH="" pkg-config --cflags --libs arx) ||
    fail "pkg-config --cflags --libs arx"
[ "$(PKG_CONFIG_LIBDIR="$root/usr/lib/pkgconfig" pkg-config --modversion arx)" = "$version" ] ||
    fail "pkg-config --modversion is not $version"
cc -o "$work/pc-app" "$here/my_app.c" $flags -Wl,-rpath,"$root/usr/lib" ||
    fail "pkg-config consumer: build with '$flags'"

# Both use the unpacked library and print its version; both query the
# packaged arx-sim.
for app in "$work/cmake-build/my_app" "$work/pc-app"; do
    libraries=$(ldd "$app")  # whole, before grep: grep -q closing the pipe early would fail it (pipefail)
    grep -q "libarx.so.4 => $root/usr/lib/libarx.so.4 " <<<"$libraries" ||
        fail "$app does not load the packaged library: $(grep arx <<<"$libraries")"
    out=$("$app") || fail "$app did not run"
    [ "$out" = "$version" ] || fail "$app printed '$out', expected '$version'"
    out=$("$source/examples/run_against_sim.sh" "$root/usr/bin/arx-sim" "$app") ||
        fail "$app against the packaged arx-sim: $out"
    grep -q '^Get_Joint_Degree: 0 ' <<<"$out" || fail "$app against arx-sim printed: $out"
done
# The packaged arx-sim serves its viewer's page from usr/share/arx-sim/web.
"$root/usr/bin/arx-sim" --port 0 --web 0 >"$work/sim.out" &
sim=$!
viewer=""
for _ in $(seq 50); do
    viewer=$(sed -n '2s/^viewer on \(http:.*\)$/\1/p' "$work/sim.out")
    [ -n "$viewer" ] && break
    sleep 0.1
done
page=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1], timeout=10).read().decode())' \
    "$viewer" 2>&1) || page=""
kill $sim; wait $sim 2>/dev/null
grep -q "<canvas\|<html" <<<"$page" || fail "the packaged arx-sim serves no viewer page at '$viewer'"
# The Python package loads the unpacked library through the system's search (its
# sessions are python_package's; the library is the same file).
[ -z "$(find "$root/usr/lib/python3" -name 'libarx.so*' -o -name '__pycache__')" ] ||
    fail "python3-arx carries a library copy or byte code"
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
cat >"$work/session.py" <<'PY'
import arx
maps = open("/proc/self/maps").read()
library = next(line.split()[-1] for line in maps.splitlines() if "libarx.so" in line)
print(arx.__version__, arx.api_version(), library)
PY
out=$(env -u ARX_LIBRARY PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$root/usr/lib/python3/dist-packages" \
    LD_LIBRARY_PATH="$root/usr/lib" "$python" "$work/session.py") || fail "python3-arx: import arx: $out"
[ "$out" = "$version $version $root/usr/lib/libarx.so.$version" ] || fail "python3-arx printed '$out'"
echo "debian: ${packages[*]} $deb_version; CMake and pkg-config consumers ran against the packaged arx-sim"
