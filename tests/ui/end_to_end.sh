#!/usr/bin/env bash
# Runs the real program on a virtual X display of its own, presses keys as a learner would,
# and checks that Esc ends it with exit code 0. Screenshots of the run are kept.
# Usage: end_to_end.sh <kelvaro binary> <folder for the screenshots>
set -euo pipefail

program=$1
out=$2

for tool in xvfb-run xauth xdotool scrot; do
    if ! command -v "$tool" >/dev/null; then
        echo "The end-to-end test needs $tool (scripts/install-deps.sh test installs it)." >&2
        exit 1
    fi
done

if [[ -z "${KELVARO_ON_VIRTUAL_DISPLAY:-}" ]]; then
    export KELVARO_ON_VIRTUAL_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

mkdir -p "$out"
export QT_QPA_PLATFORM=xcb

"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) ||
    fail "the Kelvaro window did not appear"
[[ -n "$window" ]] || fail "the Kelvaro window did not appear"
xdotool windowfocus --sync "$window"
sleep 1 # let the first frame reach the screen before it is photographed

scrot --overwrite "$out/kelvaro-started.png"
echo "Screenshot after start-up: $out/kelvaro-started.png"

xdotool key --delay 100 1 1 1
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the program ended before Esc"
scrot --overwrite "$out/kelvaro-font-steps.png"
echo "Screenshot after pressing 1 three times: $out/kelvaro-font-steps.png"

xdotool key Escape
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end on Esc"

status=0
wait "$pid" || status=$?
trap - EXIT
[[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
echo "PASS: the program started, took the keys and ended with exit code 0 on Esc"
