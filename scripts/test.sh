#!/usr/bin/env bash
# Installs what is missing, checks the formatting, fuzzes the drill-file decoding for half a
# minute, builds Kelvaro with warnings as errors and runs every test; meanwhile clang builds
# everything too, with its own warnings as errors. Uses ccache when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
# Paths are taken relative to the tree, so that another clone of it hits the same cache.
if type -P ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
step() { echo "== $1 ($SECONDS s)"; }
step "formatting"
scripts/check-format.sh
step "fuzzing"
scripts/fuzz.sh 30
step "g++ build"
cmake --preset ci
cmake --build --preset ci

# The tests mostly wait on time-outs and the sound server, so clang's build runs beside them at
# the lowest priority and its log is shown only when it fails.
step "tests, and the clang build beside them"
cmake --preset ci-clang >/dev/null
clang_log=build/ci-clang.log
setsid -w nice -n 19 cmake --build --preset ci-clang >"$clang_log" 2>&1 &
clang_build=$!
trap 'kill -- -"$clang_build" 2>/dev/null || true' EXIT
status=0
ctest --preset ci "$@" || status=$?
if wait "$clang_build"; then
    echo "clang build: clean"
else
    grep -E -B2 -A8 'error|warning' "$clang_log" | head -100 || tail -50 "$clang_log"
    echo "clang build: FAILED (the whole log is in $clang_log)"
    status=1
fi
step "done"
exit "$status"
