#!/usr/bin/env bash
# quiet_healthy_server.sh <kelvaro> <audio server directory>: the real program on a healthy
# test audio server speaks a short line ("Good morning.", 13 characters) and says nothing on
# standard error or output, during the line or after it, up to Esc.
set -euo pipefail
extra_tools=(parecord python3)
source "$(dirname "$0")/../support/virtual_display.sh"
runtime="$2/runtime"
export XDG_RUNTIME_DIR="$runtime" PULSE_SERVER="unix:$runtime/pulse/native"
work=$(mktemp -d)
pid= recorder=
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; [[ -n "$recorder" ]] && kill "$recorder"; rm -rf "$work"' EXIT
printf 'Good morning.\n' >"$work/drill.txt"
parecord --device=null.monitor --raw --format=s16le --channels=1 --rate=22050 \
    --latency-msec=10 "$work/heard.raw" &
recorder=$!
QT_QPA_PLATFORM=xcb "$1" "$work/drill.txt" >"$work/said.txt" 2>&1 &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
[[ -n "$window" ]] || fail "the Kelvaro window did not appear"
xdotool windowfocus --sync "$window"
xdotool key f
# Waits (within 20 s) until the line has been heard and a second of silence has followed it.
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
xdotool key Escape
timeout 10 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc"
wait "$pid" && status=0 || status=$?
pid=
[[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
[[ ! -s "$work/said.txt" ]] || fail "the program printed: $(cat "$work/said.txt")"
echo "PASS: a short line was heard and nothing was printed"
