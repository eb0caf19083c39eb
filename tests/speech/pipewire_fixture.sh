#!/usr/bin/env bash
# pipewire_fixture.sh start|stop <directory>: PipeWire's PulseAudio service with one null
# sink, the default, for the audio tests: pipewire, wireplumber and pipewire-pulse with a
# private session bus, started without systemd in <directory> (runtime dir, socket, home,
# logs), so they never meet the desktop's own audio service. The sink is named "null", as the
# PulseAudio fixture's (pulse_fixture.sh), so the same tests run against both.
set -euo pipefail
dir=${2:?directory} && runtime="$dir/runtime" && socket="$runtime/pulse/native"
programs=(dbus-daemon pipewire wireplumber pipewire-pulse)

stop_servers() {
    local name pid pids=()
    for name in "${programs[@]}"; do
        pid=$(cat "$dir/$name.pid" 2>/dev/null) || continue
        rm -f "$dir/$name.pid"
        # After a reboot the number may belong to another program: only ours is stopped.
        [[ $pid =~ ^[0-9]+$ && $(cat "/proc/$pid/comm" 2>/dev/null) == "${name:0:15}" ]] &&
            kill "$pid" 2>/dev/null && pids+=("$pid")
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
}

stop_servers # on start too: one left over from an interrupted run would hold the socket
[[ ${1:?start or stop} == stop ]] && exit 0
type -P "${programs[@]}" >/dev/null ||
    { echo "needs ${programs[*]} (scripts/install-deps.sh test)" >&2; exit 1; }
rm -rf "$runtime" && mkdir -p "$runtime" "$dir/home" && chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" HOME="$dir/home" PIPEWIRE_RUNTIME_DIR="$runtime"
unset PULSE_SERVER DISPLAY WAYLAND_DISPLAY PIPEWIRE_REMOTE
dbus-daemon --session --fork --address="unix:path=$runtime/bus" \
    --print-pid=3 3>"$dir/dbus-daemon.pid" >/dev/null
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
start() { # name: started in the background, its pid kept for stop
    setsid "$1" >"$dir/$1.log" 2>&1 </dev/null &
    echo $! >"$dir/$1.pid"
}
start pipewire
for _ in $(seq 100); do [[ -S $runtime/pipewire-0 ]] && break; sleep 0.1; done
start wireplumber
# The PulseAudio service logs every request it is sent and every stream it pauses or resumes
# (pipewire-pulse.log), so that a failed test's log shows what the server did.
PIPEWIRE_DEBUG=3 start pipewire-pulse
export PULSE_SERVER="unix:$socket"
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
# Just after start-up the server may still refuse the module ("Not supported"): try again.
load_sink() { pactl load-module module-null-sink sink_name=null >/dev/null 2>&1; }
loaded=
for _ in $(seq 50); do load_sink && loaded=1 && break; sleep 0.2; done
[[ -n $loaded ]] || { echo "no null sink; see $dir/*.log" >&2; exit 1; }
# Ready once the session manager has made the sink the default; on a busy machine the new sink
# may not be known by name at first ("Not supported"), so it is asked for again.
for _ in $(seq 100); do
    [[ $(pactl get-default-sink 2>/dev/null) == null ]] && exit 0
    pactl set-default-sink null 2>/dev/null || true
    sleep 0.1
done
echo "PipeWire test server did not come up; see $dir/*.log" >&2 && exit 1
