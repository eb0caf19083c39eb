#!/usr/bin/env bash
# Installs what is missing, builds Kelvaro and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset release
cmake --build --preset release
exec build/release/src/kelvaro "$@"
