#!/usr/bin/env bash
# The real program given a drill file on its command line, on a virtual X display of its own:
# a file that cannot be read is reported over the window in the Open command's message box and
# the window stays; a good file, named relative to the working folder, opens without one and is
# the file Reset reloads. Usage: command_line_file.sh KELVARO WORK_DIR
set -euo pipefail
extra_tools=()
source "$(dirname "$0")/../support/virtual_display.sh"
program=$1 work=$2
mkdir -p "$work"
printf 'Reading aloud every day helps.\nこんにちは\n' >"$work/good.txt"

pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null || true' EXIT

start() {
    (cd "$work" && QT_QPA_PLATFORM=xcb exec "$program" "$1") &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
    [[ -n "$window" ]] || fail "the Kelvaro window did not appear for $1"
}

# message_box SECONDS TITLE: the message box with that title, once it is on screen.
message_box() {
    timeout "$1" xdotool search --sync --onlyvisible --name "^$2\$" | head -n 1 || true
}

# Ending on Esc is the end-to-end test's; here the program is only stopped.
stop() {
    kill "$pid"
    wait "$pid" || true
    pid=
}

start "$work/missing.txt"
box=$(message_box 30 'Open Text File')
[[ -n "$box" ]] || fail "no 'Open Text File' message box for a file that cannot be read"
xdotool search --onlyvisible --name '^Kelvaro$' >/dev/null ||
    fail "the window did not stay beneath the message box"
stop
echo "PASS: a missing FILE is reported in the 'Open Text File' box and the window stays"

start good.txt
[[ -z "$(message_box 5 'Open Text File')" ]] || fail "a good FILE was reported as unreadable"
# Only a drill file that was opened is reloaded by R; once it is gone, R reports it.
mv "$work/good.txt" "$work/gone.txt"
xdotool windowfocus --sync "$window"
xdotool key r
box=$(message_box 30 'Reset')
[[ -n "$box" ]] || fail "R did not reload the FILE given on the command line"
stop
echo "PASS: a good FILE opens without a message box and is the file R reloads"
