#!/usr/bin/env bash
# scripts/check-layers.sh [DIR]: fails, naming each, on an include in
# zoneinf's sources (DIR, by default zoneinf/src) that runs upward, from a
# lower layer to a higher one in the order
#   base < model < tzdb < records < registry < inf < mapping < check < commands
# and on the portable core including a system header (<name.h>; the
# compiler's own intrinsics headers, such as <emmintrin.h>, are no system's)
# or a file of unix/ or win/. A file of unix/ or win/ implements the declarations of
# the first header of the core it includes, and stands in that header's layer.
set -euo pipefail
cd "${1:-$(dirname "$0")/../zoneinf/src}"
layers=" base model tzdb records registry inf mapping check commands "
rank() {  # a layer's place in the order; nothing for a folder that is none
    local before=${layers%% "$1" *}
    [[ $before != "$layers" ]] && echo "${before//[^ ]/}" | wc -c
}
failures=0
fail() {
    echo "$1: $2"
    failures=$((failures + 1))
}
for file in */*.h */*.cpp; do
    folder=${file%%/*}
    platform=false
    [[ $folder == unix || $folder == win ]] && platform=true
    own=$($platform || rank "$folder") || { fail "$file" "in no layer"; continue; }
    system_header=$(grep -o '^#include <[^>]*\.h>' "$file" | grep -v -m1 '<[a-z]*mmintrin\.h>' || true)
    if ! $platform && [ -n "$system_header" ]; then
        fail "$file" "includes a system header: $system_header"
    fi
    for header in $(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file"); do
        to=${header%%/*}
        [[ $to == "$header" || $to == "$folder" ]] && continue
        if [[ $to == unix || $to == win ]]; then
            $platform || fail "$file" "the portable core includes $header"
            continue
        fi
        [[ -n $own ]] || { own=$(rank "$to") && continue; }
        target=$(rank "$to") || { fail "$file" "includes $header, in no layer"; continue; }
        ((target <= own)) || fail "$file" "includes $header, a higher layer"
    done
done
((failures == 0)) || { echo "$failures include(s) break zoneinf's layers"; exit 1; }
