#!/usr/bin/env bash
# The layers run one way: kinematics and core know nothing above them, the
# request builder needs no core header. Usage: layers.sh <source dir>
set -euo pipefail
cd "$1"
status=0
forbid() {  # forbid <what> <files...> -- <include prefixes...>
    local what=$1; shift
    local files=()
    while [ "$1" != "--" ]; do files+=("$1"); shift; done; shift
    for p in "$@"; do
        if hits=$(grep -Hn "#include \"$p" "${files[@]}" 2>/dev/null); then
            echo "$what includes $p:"; echo "$hits"; status=1
        fi
    done
}
forbid "core/" core/*.h core/*.cpp -- protocol/ kinematics/ facade/
forbid "kinematics/" kinematics/*.h kinematics/*.cpp -- core/ protocol/ facade/
# The builder uses only the self-contained function_ref.h of the core.
forbid "the request builder" protocol/request.h protocol/request.cpp protocol/number_text.h protocol/number_text.cpp -- \
    core/transport core/library core/connections core/pending core/platform core/receive core/threads
# arx-sim is a program beside the library: never its client core or exports.
if [ -d sim ]; then
    forbid "sim/" sim/*.h sim/*.cpp -- core/transport core/library core/connections core/pending core/receive \
        core/threads core/message_queue core/transfer_state protocol/command facade/
fi
# Protocol code calls no export: an export is its checks and 20 ms pause around
# an internal function (protocol/internals.h), and code that calls the export
# instead takes a pause nobody sees. Rule: outside comments, an exported name
# followed by "(" may appear in protocol/ only at the start of a line, as the
# export's own definition; any other occurrence is a call.
exports=$(python3 tools/arx_header.py functions include/arx_api.h)
if [ -z "$exports" ]; then echo "no exports read from include/arx_api.h"; status=1; fi
names=$(echo "$exports" | paste -sd'|' -)
if calls=$(grep -HnE "\b($names)[[:space:]]*\(" protocol/*.h protocol/*.cpp \
        | grep -vE "^[^:]+:[0-9]+:[[:space:]]*//" \
        | grep -vE "^[^:]+:[0-9]+:[A-Za-z_][A-Za-z_0-9 *&]*[ *&]($names)\(" \
        | grep -E "\b($names)[[:space:]]*\("); then
    echo "protocol/ calls exports (use the internal function of protocol/internals.h):"; echo "$calls"; status=1
fi
# What makes one arm model differ from another lives in its record
# (kinematics/arm_models.h); the public header names the codes. Anywhere else
# a comparison with a model code or with 7 (the seven-joint arm) is a model test
# that a new model would have to find: read the record's field instead.
model_test='[=!]=[[:space:]]*(ARM_MODEL_|7\b)|(ARM_MODEL_[A-Z0-9_]+|\b7)[[:space:]]*[=!]=|case[[:space:]]+ARM_MODEL_'
model_dirs=()
for d in core protocol kinematics facade sim examples bench tests; do [ -d "$d" ] && model_dirs+=("$d"); done
if hits=$(grep -rnE --include='*.h' --include='*.c' --include='*.cpp' "$model_test" "${model_dirs[@]}" |
          grep -v '^kinematics/arm_models\.h:'); then
    echo "arm model tests outside kinematics/arm_models.h:"; echo "$hits"; status=1
fi
[ $status -eq 0 ] && echo "layers run one way: kinematics, core <- protocol <- exports; protocol calls no export; models are records"
exit $status
