#!/usr/bin/env bash
# Builds the drill-file fuzzer with clang's sanitizers and runs it for the given number of
# seconds (60 by default), starting from the seed corpus in the tree. New inputs it finds go
# to build/fuzz/corpus, never into the tree; a crash leaves its input in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/tests/fuzz/drill_text_fuzzer -max_total_time="$seconds" -max_len=65536 \
    -artifact_prefix=build/fuzz/ -print_final_stats=1 \
    build/fuzz/corpus tests/fuzz/corpus/drill_text
