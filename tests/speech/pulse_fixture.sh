#!/usr/bin/env bash
# Starts or stops a private PulseAudio server with one null sink for the audio tests.
# Usage: pulse_fixture.sh start|stop <directory>
# The server lives in <directory> (its runtime dir, socket, home and log), so it never meets
# the desktop's own audio service, and works the same when run as root.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?directory}
runtime="$dir/runtime"
pidfile="$runtime/pulse/pid"
socket="$runtime/pulse/native"

stop_server() {
    [[ -f $pidfile ]] || return 0
    local pid
    pid=$(<"$pidfile")
    # After a reboot the number may belong to another program: only a PulseAudio is stopped.
    if [[ $pid =~ ^[0-9]+$ ]] && [[ $(cat "/proc/$pid/comm" 2>/dev/null) == pulseaudio ]]; then
        kill "$pid"
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
    rm -f "$pidfile"
}

case $command in
start)
    # A server left over from an interrupted run would hold the socket.
    stop_server
    rm -rf "$runtime"
    mkdir -p "$runtime" "$dir/home"
    chmod 700 "$runtime"
    export XDG_RUNTIME_DIR="$runtime" HOME="$dir/home"
    unset PULSE_SERVER DISPLAY
    pulseaudio --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 --disallow-exit=yes \
        --system=no -n --disable-shm=yes --log-target="file:$dir/pulseaudio.log" \
        --load="module-null-sink sink_name=null" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$socket"
    for _ in $(seq 100); do
        if PULSE_SERVER="unix:$socket" pactl info >/dev/null 2>&1; then
            echo "PulseAudio test server running: unix:$socket"
            exit 0
        fi
        sleep 0.1
    done
    echo "PulseAudio test server did not come up; see $dir/pulseaudio.log" >&2
    exit 1
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start|stop <directory>" >&2
    exit 2
    ;;
esac
