#!/usr/bin/env bash
# hung_sound_server.sh <kelvaro> <audio server directory>: stops the test audio server
# (SIGSTOP), as if it had hung, and then runs the real program on a virtual X display. The
# window must still come up and take keys, and Esc must end the program at once with exit
# code 0.
set -euo pipefail
extra_tools=()
source "$(dirname "$0")/../support/virtual_display.sh"
runtime="$2/runtime"
server=$(cat "$runtime/pulse/pid")
[[ $(cat "/proc/$server/comm" 2>/dev/null) == pulseaudio ]] || fail "no test audio server in $2"
pid=
trap 'kill -CONT "$server"; [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true' EXIT
kill -STOP "$server"
XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native" QT_QPA_PLATFORM=xcb "$1" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
[[ -n "$window" ]] || fail "the Kelvaro window did not appear"
xdotool windowfocus --sync "$window"
xdotool key --delay 100 1 f 0 f
started=$(date +%s%N)
xdotool key Escape
timeout 5 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc within 5 s"
wait "$pid" && status=0 || status=$?
pid=
[[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
echo "PASS: window up and Esc ended it in $(( ($(date +%s%N) - started) / 1000000 )) ms" \
    "while the audio server was stopped"
