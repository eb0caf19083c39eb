#!/usr/bin/env bash
# hung_sound_server.sh <kelvaro> <audio server directory>: stops the test audio server
# (SIGSTOP), as if it had hung, and then runs the real program on a virtual X display with a
# drill file. The window must still come up and answer every key (1 a larger font, F the next
# line, 0 a smaller font, F the line after: each changes what is on screen), and Esc must end
# the program at once with exit code 0.
set -euo pipefail
extra_tools=(scrot)
source "$(dirname "$0")/../support/virtual_display.sh"
runtime="$2/runtime"
server=$(cat "$runtime/pulse/pid")
[[ $(cat "/proc/$server/comm" 2>/dev/null) == pulseaudio ]] || fail "no test audio server in $2"
work=$(mktemp -d)
pid=
trap 'kill -CONT "$server"; [[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
printf 'The first line.\nThe second line.\nThe third line.\n' >"$work/drill.txt"
kill -STOP "$server"
XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native" QT_QPA_PLATFORM=xcb \
    "$1" "$work/drill.txt" &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
[[ -n "$window" ]] || fail "the Kelvaro window did not appear"
xdotool windowfocus --sync "$window"

# The screen once it has settled: two shots in a row alike, within 10 s.
settled() {
    local shot=$work/shot-$1.png
    scrot --overwrite "$shot"
    for _ in $(seq 100); do
        sleep 0.1
        scrot --overwrite "$work/again.png"
        cmp -s "$shot" "$work/again.png" && return 0
        cp "$work/again.png" "$shot"
    done
    fail "the window did not settle after $1"
}
settled start
before=start
for key in 1 f 0 f; do
    xdotool key "$key"
    # Within 5 s (the key is answered within a frame; the bound is for a busy machine).
    changed=
    for _ in $(seq 50); do
        scrot --overwrite "$work/now.png"
        cmp -s "$work/now.png" "$work/shot-$before.png" || { changed=1; break; }
        sleep 0.1
    done
    [[ -n $changed ]] || fail "pressing $key after $before changed nothing on screen"
    settled "$key-after-$before"
    before="$key-after-$before"
done
cmp -s "$work/shot-1-after-start.png" "$work/shot-f-after-0-after-f-after-1-after-start.png" &&
    fail "the second F showed the same as before the first"
started=$(date +%s%N)
xdotool key Escape
timeout 5 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc within 5 s"
wait "$pid" && status=0 || status=$?
pid=
[[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
echo "PASS: 1, F, 0 and F each changed the window, and Esc ended it in" \
    "$(( ($(date +%s%N) - started) / 1000000 )) ms while the audio server was stopped"
