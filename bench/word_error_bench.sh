#!/usr/bin/env bash
# Word error of the male voice through the real program next to the voice's own audio, on a
# virtual X display of its own with a private sound server (see word_error_bench.py).
# Usage: bench/word_error_bench.sh build/ci/src/kelvaro [--load] [--keep DIR]
# Needs the packages of scripts/install-deps.sh bench.
set -euo pipefail
extra_tools=(pulseaudio parecord flite pocketsphinx_batch stress-ng)
here=$(dirname "$(readlink -f "$0")")
source "$here/../tests/support/virtual_display.sh"
exec /usr/bin/python3 "$here/word_error_bench.py" "$@"
