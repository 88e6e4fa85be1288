#!/usr/bin/env bash
# The shared library exports exactly the functions that the public header
# declares with ARX_API: nothing internal leaks, nothing declared is missing.
# Usage: exported_symbols.sh <nm> <libarx.so> <arx_api.h>
set -euo pipefail
nm_tool=$1 library=$2 header=$3

# Declared names: the identifier before the "(" of each ARX_API declaration,
# comments removed; methods of an exported class appear as Class::method.
declared=$(perl -0777 -ne '
    s{/\*.*?\*/}{}gs; s{//[^\n]*}{}g; s{^\s*#[^\n]*}{}mg;
    while (/\bARX_API\b([^;{(]*)\(/g) { my @w = split /[\s*&]+/, $1; print "$w[-1]\n" if @w; }
    while (/\bclass\s+ARX_API\s+(\w+)[^{;]*\{(.*?)\n\};/gs) {
        my ($class, $body) = ($1, $2);
        while ($body =~ /(\w+)\s*\(/g) { print "${class}::$1\n"; }
    }' "$header" | sort -u)

# Defined dynamic symbols, demangled, without argument lists; linker-made
# symbols (_init, _fini, _edata, ...) and versioned ones are not ours.
exported=$("$nm_tool" -D --defined-only -C "$library" | awk '{ $1 = ""; $2 = ""; sub(/^  /, ""); print }' \
    | sed 's/(.*//' | grep -vE '^(_init|_fini|_edata|_end|__bss_start|_ITM_.*|__gmon_start__)$' \
    | grep -v '@' | sort -u)

missing=$(comm -23 <(echo "$declared") <(echo "$exported"))
extra=$(comm -13 <(echo "$declared") <(echo "$exported"))
status=0
if [ -n "$missing" ]; then echo "declared but not exported:"; echo "$missing"; status=1; fi
if [ -n "$extra" ]; then echo "exported but not declared:"; echo "$extra"; status=1; fi
[ $status -eq 0 ] && echo "$(echo "$declared" | wc -l) exported functions match the header"
exit $status
