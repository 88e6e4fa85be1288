#!/usr/bin/env bash
# The layers run one way: kinematics and core know nothing above them, the
# request builder needs no core header. Usage: layers.sh <source dir>
set -euo pipefail
cd "$1"
status=0
forbid() {  # forbid <what> <files...> -- <include prefixes...>
    local what=$1; shift
    local files=() prefixes=()
    while [ "$1" != "--" ]; do files+=("$1"); shift; done; shift
    prefixes=("$@")
    for p in "${prefixes[@]}"; do
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
[ $status -eq 0 ] && echo "layers run one way: kinematics, core <- protocol <- exports; models are records"
exit $status
