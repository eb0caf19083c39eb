#!/usr/bin/env bash
# program_on_test_server.sh hung|healthy|killed <kelvaro> <audio server directory>: the real
# program on a virtual X display with the test audio server.
#   hung: the server stopped (SIGSTOP) as if it had hung; the window still comes up and answers
#     every key (1 a larger font, F the next line, 0 a smaller font, F the line after: each
#     changes what is on screen), and Esc ends the program at once.
#   healthy: a short line ("Good morning.") is heard, and nothing is printed on standard error
#     or output, during the line or after it, up to Esc.
#   killed: the program killed (SIGKILL) while both its helpers are stopped (SIGSTOP), so that
#     they cannot see it end: no helper outlives it.
set -euo pipefail
extra_tools=(scrot parecord python3)
source "$(dirname "$0")/../support/virtual_display.sh"
case=$1 runtime="$3/runtime"
export XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native" QT_QPA_PLATFORM=xcb
server=$(cat "$runtime/pulse/pid")
[[ $(cat "/proc/$server/comm" 2>/dev/null) == pulseaudio ]] || fail "no test audio server in $3"
work=$(mktemp -d)
pid= recorder= helpers=
trap 'kill -CONT "$server"; [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    [[ -n "$helpers" ]] && kill -KILL $helpers 2>/dev/null
    [[ -n "$recorder" ]] && kill "$recorder"; rm -rf "$work"' EXIT
if [[ $case == hung ]]; then
    printf 'The first line.\nThe second line.\nThe third line.\n' >"$work/drill.txt"
    kill -STOP "$server"
else
    printf 'Good morning.\n' >"$work/drill.txt"
    parecord --device=null.monitor --raw --format=s16le --channels=1 --rate=22050 \
        --latency-msec=10 "$work/heard.raw" &
    recorder=$!
fi
"$2" "$work/drill.txt" >"$work/said.txt" 2>&1 &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
[[ -n "$window" ]] || fail "the Kelvaro window did not appear"
xdotool windowfocus --sync "$window"

# retry <tries> <command...>: tries the command every 0.1 s until it succeeds.
retry() { for _ in $(seq "$1"); do sleep 0.1; "${@:2}" && return 0; done; return 1; }
# Whether the screen differs from the shot; shot_again also makes the shot the screen.
differs() {
    scrot --overwrite "$work/now.png" || fail "scrot could not take a shot"
    ! cmp -s "$1" "$work/now.png"
}
shot_again() { ! differs "$1" || { cp "$work/now.png" "$1" && false; }; }
# The screen once it has settled: two shots in a row alike, within 10 s.
settled() {
    scrot --overwrite "$work/shot-$1.png"
    retry 100 shot_again "$work/shot-$1.png" || fail "the window did not settle after $1"
}
if [[ $case == killed ]]; then
    two_helpers() {
        helpers=$(pgrep -P "$pid" -d ' ' '^kelvaro-' || true)
        [[ $(wc -w <<<"$helpers") -eq 2 ]]
    }
    retry 100 two_helpers || fail "both helpers did not start within 10 s: $helpers"
    kill -STOP $helpers
    kill -KILL "$pid"
    wait "$pid" || true
    pid=
    # Gone, or dead and not yet reaped by whoever adopted it: within 5 s.
    none_alive() {
        alive=$(ps -o stat= -p "${helpers// /,}" | grep -vc '^Z' || true)
        [[ $alive -eq 0 ]]
    }
    retry 50 none_alive || fail "$alive helpers outlived the program killed: $(ps -o pid,stat,comm -p "${helpers// /,}")"
    echo "PASS: no helper outlived the program killed"
    exit 0
elif [[ $case == hung ]]; then
    settled start
    before=start
    for key in 1 f 0 f; do
        xdotool key "$key"
        # Within 5 s (the key is answered within a frame; the bound is for a busy machine).
        retry 50 differs "$work/shot-$before.png" ||
            fail "pressing $key after $before changed nothing on screen"
        settled "$key-after-$before"
        before="$key-after-$before"
    done
    cmp -s "$work/shot-1-after-start.png" "$work/shot-f-after-0-after-f-after-1-after-start.png" &&
        fail "the second F showed the same as before the first"
else
    xdotool key f
    # Waits (within 20 s) until the line has been heard and a second of silence has followed.
    python3 - "$work/heard.raw" <<'PY' || fail "the line was not heard, or did not end, within 20 s"
import array, sys, time
deadline = time.monotonic() + 20
while time.monotonic() < deadline:
    data = open(sys.argv[1], "rb").read()
    samples = array.array("h", data[: len(data) // 2 * 2])
    loud = [i for i in range(0, len(samples), 220) if max(map(abs, samples[i:i + 220]), default=0) > 1000]
    if loud and len(samples) - loud[-1] > 22050:
        sys.exit(0)
    time.sleep(0.2)
sys.exit(1)
PY
fi
started=$(date +%s%N)
xdotool key Escape
timeout 5 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc within 5 s"
wait "$pid" && status=0 || status=$?
pid=
[[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
[[ $case == hung || ! -s "$work/said.txt" ]] || fail "the program printed: $(cat "$work/said.txt")"
echo "PASS ($case server): Esc ended the program in $(( ($(date +%s%N) - started) / 1000000 )) ms"
