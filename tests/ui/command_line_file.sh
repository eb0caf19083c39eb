#!/usr/bin/env bash
# The real program given a drill file on its command line, on a virtual X display of its own:
# a file that cannot be read is reported over the window in the Open command's message box and
# the window stays; a good file opens without one. Usage: command_line_file.sh KELVARO WORK_DIR
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
type -P xvfb-run xauth xdotool >/dev/null ||
    fail "needs xvfb-run, xauth and xdotool (scripts/install-deps.sh test installs them)"
if [[ -z "${KELVARO_ON_VIRTUAL_DISPLAY:-}" ]]; then
    KELVARO_ON_VIRTUAL_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
program=$1 work=$2
mkdir -p "$work"
printf 'Reading aloud every day helps.\nこんにちは\n' >"$work/good.txt"

pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null || true' EXIT

start() {
    QT_QPA_PLATFORM=xcb "$program" "$1" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kelvaro$' | head -n 1) || true
    [[ -n "$window" ]] || fail "the Kelvaro window did not appear for $1"
}

# The box appears at once over the window: the message box comes from the first turn of the
# event loop, so waiting here does not depend on the machine's speed.
message_box() {
    timeout "$1" xdotool search --sync --onlyvisible --name '^Open Text File$' | head -n 1 || true
}

end_with_escape() {
    xdotool windowfocus --sync "$window"
    xdotool key Escape
    timeout 10 tail --pid="$pid" -f /dev/null || fail "the program did not end on Esc"
    wait "$pid" && status=0 || status=$?
    pid=
    [[ $status -eq 0 ]] || fail "the program ended with exit code $status on Esc"
}

start "$work/missing.txt"
box=$(message_box 30)
[[ -n "$box" ]] || fail "no 'Open Text File' message box for a file that cannot be read"
xdotool windowfocus --sync "$box"
xdotool key Return
xdotool search --onlyvisible --name '^Kelvaro$' >/dev/null ||
    fail "the window did not stay after the message box"
end_with_escape
echo "PASS: a missing FILE is reported in the 'Open Text File' box and the window stays"

start "$work/good.txt"
[[ -z "$(message_box 5)" ]] || fail "a good FILE was reported as unreadable"
end_with_escape
echo "PASS: a good FILE opens without a message box"
