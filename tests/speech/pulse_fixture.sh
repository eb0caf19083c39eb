#!/usr/bin/env bash
# pulse_fixture.sh start|stop <directory>: a private PulseAudio server with one null sink for
# the audio tests. It lives in <directory> (runtime dir, socket, home, log), so it never meets
# the desktop's own audio service, and works the same when run as root.
set -euo pipefail
dir=${2:?directory} && runtime="$dir/runtime" && socket="$dir/runtime/pulse/native"

stop_server() {
    local pid
    pid=$(cat "$runtime/pulse/pid" 2>/dev/null) || return 0
    # After a reboot the number may belong to another program: only a PulseAudio is stopped.
    if [[ $pid =~ ^[0-9]+$ && $(cat "/proc/$pid/comm" 2>/dev/null) == pulseaudio ]]; then
        kill "$pid"
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$runtime/pulse/pid"
}

stop_server # on start too: one left over from an interrupted run would hold the socket
[[ ${1:?start or stop} == stop ]] && exit 0
rm -rf "$runtime" && mkdir -p "$runtime" "$dir/home" && chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" HOME="$dir/home" && unset PULSE_SERVER DISPLAY
pulseaudio --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 --disallow-exit=yes \
    --system=no -n --disable-shm=yes --log-target="file:$dir/pulseaudio.log" \
    --load="module-null-sink sink_name=null" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$socket"
for _ in $(seq 100); do
    PULSE_SERVER="unix:$socket" pactl info >/dev/null 2>&1 && exit 0
    sleep 0.1
done
echo "PulseAudio test server did not come up; see $dir/pulseaudio.log" >&2 && exit 1
