#!/usr/bin/env bash
# with-pulse.sh COMMAND [ARGS...]: runs COMMAND with a private PulseAudio
# server whose only sink is a null sink, the way a desktop plays: in real
# time, through ALSA's default device (ALSA's pulse plug-in). The server runs
# as this user (also as root) without any bus, in a folder of its own that
# nothing else uses, and is stopped when the command ends, also on failure.
# COMMAND sees:
#   PULSE_SERVER             the server's socket
#   ALSA_CONFIG_PATH         ALSA's configuration with the default device on it
#   MORVEL_TEST_PULSE_SINK   the null sink (its monitor records what it plays)
#   MORVEL_TEST_SERVER_PID   the server (a test may kill it: it is the last thing a run does)
#   HOME, XDG_RUNTIME_DIR    private folders (the client's cookie, the log)
set -euo pipefail

if (($# == 0)); then
    echo "usage: with-pulse.sh COMMAND [ARGS...]" >&2
    exit 2
fi
for tool in pulseaudio pactl parec; do
    if ! command -v "$tool" >/dev/null; then
        echo "with-pulse.sh: $tool is missing (Debian: pulseaudio, pulseaudio-utils)" >&2
        exit 1
    fi
done

dir="$(mktemp -d "${TMPDIR:-/tmp}/morvel-pulse.XXXXXX")"
server=""
stop() {
    if [[ -n "$server" ]] && kill -0 "$server" 2>/dev/null; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop EXIT

sink=morvel_test_sink
mkdir -p "$dir/home" "$dir/runtime" "$dir/state"
chmod 700 "$dir/runtime"
cat >"$dir/server.pa" <<EOF
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/runtime/native
load-module module-null-sink sink_name=$sink format=s16le rate=44100 channels=2
set-default-sink $sink
EOF
# ALSA's own configuration first (so "null" and the rest stay), then the
# default device on the server.
cat >"$dir/asound.conf" <<EOF
</usr/share/alsa/alsa.conf>
pcm.!default { type pulse server "unix:$dir/runtime/native" }
ctl.!default { type pulse server "unix:$dir/runtime/native" }
EOF

export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_STATE_HOME="$dir/state"
export PULSE_RUNTIME_PATH="$dir/runtime" PULSE_SERVER="unix:$dir/runtime/native"
unset DBUS_SESSION_BUS_ADDRESS
# -n: no default script, only the modules above; no exit when idle.
pulseaudio --system=no --daemonize=no -n --file="$dir/server.pa" --exit-idle-time=-1 \
    --use-pid-file=no --disable-shm=yes --log-target=file:"$dir/server.log" &
server=$!
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    if ! kill -0 "$server" 2>/dev/null; then
        echo "with-pulse.sh: the PulseAudio server did not start:" >&2
        cat "$dir/server.log" >&2 || true
        exit 1
    fi
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "with-pulse.sh: the PulseAudio server does not answer" >&2
    exit 1
fi

export ALSA_CONFIG_PATH="$dir/asound.conf" MORVEL_TEST_PULSE_SINK="$sink" MORVEL_TEST_SERVER_PID="$server"
status=0
"$@" || status=$?
exit "$status"
