#!/usr/bin/env bash
# Prints the share of tests in the code: lines of the C++ (.cpp, .h), shell (.sh) and Python
# (.py) files git tracks under tests/, over the lines of those kinds of files under src/,
# tests/, bench/, scripts/ and cmake/. Every line counts, blank and comment lines too; build
# files (CMakeLists.txt, .cmake), drill lists and the fuzz corpus are not code here.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() {
    git ls-files -z -- "${@/%//*.cpp}" "${@/%//*.h}" "${@/%//*.sh}" "${@/%//*.py}" |
        xargs -0 -r cat | wc -l
}
tests=$(lines tests)
all=$(lines src tests bench scripts cmake)
for folder in src tests bench scripts cmake; do
    printf '%-8s %6d lines\n' "$folder/" "$(lines "$folder")"
done
awk -v t="$tests" -v a="$all" 'BEGIN { printf "tests/ share: %d of %d lines = %.1f %%\n", t, a, 100 * t / a }'
