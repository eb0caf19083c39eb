#!/usr/bin/env bash
# Runs the whole suite N times (3 by default) while stress-ng keeps two CPUs busy, to show that
# no test depends on an idle machine. Extra arguments go to ctest, e.g. -R speech.
# Usage: tests/run_under_load.sh [N] [ctest arguments...]
# Builds the ci preset first; each run's log is kept in build/ci/under-load/.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
shift || true
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [N] [ctest arguments...]" >&2; exit 2; }
type -P stress-ng >/dev/null || { echo "needs stress-ng (scripts/install-deps.sh test)" >&2; exit 2; }

cmake --preset ci >/dev/null
cmake --build --preset ci
logs=build/ci/under-load
rm -rf "$logs"
mkdir -p "$logs"

# The load ends with this script however it ends; its own time-out ends it even if this
# script is killed outright.
stress-ng --cpu 2 --timeout "$((runs * 20))m" --quiet &
load=$!
stop_load() {
    kill "$load" 2>/dev/null || true
    wait "$load" 2>/dev/null || true
}
trap stop_load EXIT
trap 'exit 130' INT TERM

passed=0
failed=0
declare -A failures=()
for ((run = 1; run <= runs; run++)); do
    log=$logs/run-$run.log
    if ctest --preset ci "$@" >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "run $run: passed"
    else
        failed=$((failed + 1))
        # ctest lists each failure as "  7 - name (Failed)" after "The following tests FAILED:".
        mapfile -t names < <(sed -n \
            '/The following tests FAILED:/,$s/^[[:space:]]*[0-9]\+ - \([^ ]*\) .*/\1/p' "$log")
        [[ ${#names[@]} -gt 0 ]] || names=("(ctest)")
        for name in "${names[@]}"; do
            failures[$name]=$((${failures[$name]:-0} + 1))
        done
        echo "run $run: FAILED: ${names[*]} (log: $log)"
    fi
done

echo
echo "Under load (stress-ng --cpu 2): $runs runs, $passed passed, $failed failed"
for name in "${!failures[@]}"; do
    echo "  $name failed in ${failures[$name]} of $runs runs"
done
[[ $failed -eq 0 ]]
