#!/usr/bin/env bash
# The real program as a learner meets it, on a 1024 x 768 virtual X display with a session bus,
# the accessibility bus and a private audio server: keys through the X server, the window read
# back through AT-SPI, a screen reader listening. Usage: as_a_learner.sh KELVARO WORK_DIR
# [TEST...] (the tests are named in as_a_learner.py; all of them by default).
set -euo pipefail
extra_tools=(dbus-run-session pulseaudio parecord orca) screen=1024x768x24
here=$(dirname "$(readlink -f "$0")")
source "$here/../support/virtual_display.sh"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "needs python3-pyatspi"
exec dbus-run-session -- /usr/bin/python3 "$here/as_a_learner.py" "$@"
