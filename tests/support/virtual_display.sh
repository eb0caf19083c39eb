# Sourced, with no arguments, by the tests that drive the real program: defines fail() and
# runs the calling script again on a virtual X display of its own, with the same arguments.
# Tools the caller needs beyond xvfb-run, xauth and xdotool go in the array extra_tools.
fail() { echo "FAIL: $*" >&2; exit 1; }
tools=(xvfb-run xauth xdotool "${extra_tools[@]}")
type -P "${tools[@]}" >/dev/null ||
    fail "needs ${tools[*]} (scripts/install-deps.sh test installs them)"
if [[ -z "${KELVARO_ON_VIRTUAL_DISPLAY:-}" ]]; then
    KELVARO_ON_VIRTUAL_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
