#!/usr/bin/env bash
# The real program as a learner meets it, on a 1024 x 768 virtual X display with a session bus,
# the accessibility bus and a private audio server: keys through the X server, the window read
# back through AT-SPI, a screen reader listening. Usage: as_a_learner.sh KELVARO WORK_DIR
# [TEST...] (the tests are named in as_a_learner.py; all of them by default).
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
tools=(xvfb-run xauth xdotool dbus-run-session pulseaudio parecord orca)
type -P "${tools[@]}" >/dev/null ||
    fail "needs ${tools[*]} (scripts/install-deps.sh test installs them)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "needs python3-pyatspi"
here=$(dirname "$(readlink -f "$0")")
exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- \
    /usr/bin/python3 "$here/as_a_learner.py" "$@"
