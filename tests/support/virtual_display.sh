# Sourced, with no arguments, by the tests that drive the real program: defines fail() and
# runs the calling script again with the same arguments on a virtual X display of its own, of
# $screen or 1280x800x24. Tools needed beyond xvfb-run, xauth and xdotool go in extra_tools.
fail() { echo "FAIL: $*" >&2; exit 1; }
tools=(xvfb-run xauth xdotool "${extra_tools[@]}")
type -P "${tools[@]}" >/dev/null ||
    fail "needs ${tools[*]} (scripts/install-deps.sh test installs them)"
if [[ -z "${KELVARO_ON_VIRTUAL_DISPLAY:-}" ]]; then
    KELVARO_ON_VIRTUAL_DISPLAY=1 exec xvfb-run -a -s "-screen 0 ${screen:-1280x800x24}" "$0" "$@"
fi
