#!/usr/bin/env bash
# Installs what is missing, checks the formatting, fuzzes the drill-file decoding for a
# minute, builds Kelvaro with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/check-format.sh
scripts/fuzz.sh 60
cmake --preset ci
cmake --build --preset ci
ctest --preset ci "$@"
