#!/usr/bin/env bash
# The real program on a virtual X display of its own, keys through the X server: two finished
# runs of a three-line drill leave two rows in runs whose rate is the rate the window showed
# (read through AT-SPI); with --no-history no database is made. Usage:
# history_end_to_end.sh KELVARO WORK_DIR
set -euo pipefail
# Debian's own Python, which has the AT-SPI bindings of python3-pyatspi.
python=/usr/bin/python3
extra_tools=(sqlite3 dbus-run-session "$python")
source "$(dirname "$0")/../support/virtual_display.sh"
if [[ -z "${KELVARO_ON_SESSION_BUS:-}" ]]; then
    KELVARO_ON_SESSION_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
program=$1 work=$2
rm -rf "$work"
mkdir -p "$work/data"
export XDG_DATA_HOME="$work/data" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
printf 'one\ntwo\nthree\n' >"$work/three.txt"
database="$XDG_DATA_HOME/kelvaro/history.sqlite"
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null || true' EXIT

shown_rate() { "$python" "$(dirname "$0")/shown_rate.py" "$@"; }

# wait_until CONDITION: whether the shell command CONDITION holds within 30 seconds.
wait_until() {
    for _ in $(seq 300); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

# The keys come once the window answers a screen reader, as a learner's come once it is seen.
start() {
    QT_QPA_PLATFORM=xcb "$program" "$@" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
    [[ -n "$window" ]] || fail "the Kelvaro window did not appear"
    xdotool windowfocus --sync "$window"
    shown_rate --window || fail "the window did not answer through AT-SPI"
}

# A whole run: three lines and the step past the last, over more than a second, with the
# given milliseconds between the presses.
run_drill() { xdotool key --delay "${1:-400}" f f f f; }

runs_kept() { [[ -f "$database" ]] && sqlite3 "$database" 'SELECT count(*) FROM runs' 2>/dev/null || echo 0; }

stop_on_esc() {
    xdotool key Escape
    timeout 10 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc"
    pid=
}

start "$work/three.txt"
run_drill
first=$(shown_rate) || fail "no rate was shown after the first run"
wait_until '[[ $(runs_kept) -ge 1 ]]' || fail "expected 1 run in $database, found $(runs_kept)"
xdotool key r
run_drill 900
# Same rate twice is possible: wait for the row rather than a different caption.
wait_until '[[ $(runs_kept) -ge 2 ]]' || fail "expected 2 runs in $database, found $(runs_kept)"
second=$(shown_rate) || fail "no rate was shown after the second run"
# Ctrl+P opens the Progress window over the drill; Esc there closes it and leaves the drill
# running; the next Esc, in the drill, ends the program.
xdotool key ctrl+p
progress=$(timeout 30 xdotool search --sync --onlyvisible --name '^Progress$' | head -n 1) || true
[[ -n "$progress" ]] || fail "Ctrl+P did not open the Progress window"
xdotool windowfocus --sync "$progress" key Escape
wait_until '! xdotool search --onlyvisible --name "^Progress\$" >/dev/null' ||
    fail "Esc did not close Progress"
kill -0 "$pid" 2>/dev/null || fail "Esc in the Progress window ended the program"
xdotool windowfocus --sync "$window"
stop_on_esc
kept=$(sqlite3 "$database" 'SELECT rate FROM runs ORDER BY id' | paste -sd '|')
[[ "$kept" == "$first|$second" ]] || fail "runs keep rates '$kept', the window showed '$first|$second'"
[[ $(sqlite3 "$database" 'SELECT count(*) FROM runs WHERE lines = 3 AND practice = 0') -eq 2 ]] ||
    fail "the runs are not whole runs of three lines"
[[ $(sqlite3 "$database" 'SELECT count(*) FROM line_times') -eq 6 ]] ||
    fail "the runs do not keep three line times each"

rm -rf "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME"
start --no-history "$work/three.txt"
run_drill
shown_rate >/dev/null || fail "no rate was shown with --no-history"
stop_on_esc
[[ -z "$(ls -A "$XDG_DATA_HOME")" ]] || fail "--no-history left $(ls -A "$XDG_DATA_HOME")"
echo "PASS: two runs kept with the rates shown ($first, $second); none with --no-history"
