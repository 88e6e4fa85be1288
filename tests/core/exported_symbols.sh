#!/usr/bin/env bash
# The shared library exports exactly the functions that the public header
# declares with ARX_API: nothing internal leaks, nothing declared is missing.
# Usage: exported_symbols.sh <nm> <libarx.so> <arx_api.h>
set -euo pipefail
nm_tool=$1 library=$2 header=$3

# Declared names, as the header module reads them: the C functions, and
# Arx_Service::<method> for the class's constructor and methods.
declared=$(python3 "$(dirname "$0")/../../tools/arx_header.py" symbols "$header" | sort -u)
[ -n "$declared" ] || { echo "no exports read from $header"; exit 1; }

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
