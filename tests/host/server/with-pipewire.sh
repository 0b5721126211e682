#!/usr/bin/env bash
# with-pipewire.sh COMMAND [ARGS...]: runs COMMAND with a private PipeWire
# (pipewire, its session manager wireplumber on a private D-Bus session bus,
# and pipewire-pulse, its PulseAudio server) whose default sink is a null
# sink, the way a desktop with PipeWire plays. It runs as this user (also as
# root, without systemd) in a folder of its own that nothing else uses, and
# is stopped when the command ends, also on failure. COMMAND sees what it
# sees under with-pulse.sh:
#   PULSE_SERVER             pipewire-pulse's socket
#   ALSA_CONFIG_PATH         ALSA's configuration with the default device on it
#   MORVEL_TEST_PULSE_SINK   the null sink (its monitor records what it plays)
#   MORVEL_TEST_SERVER_PID   pipewire-pulse (a test may kill it: it is the last thing a run does)
#   HOME, XDG_RUNTIME_DIR    private folders
# When PipeWire cannot be started here, the reason is said and COMMAND runs
# without MORVEL_TEST_PULSE_SINK, so that its tests are skipped.
set -euo pipefail

if (($# == 0)); then
    echo "usage: with-pipewire.sh COMMAND [ARGS...]" >&2
    exit 2
fi

dir="$(mktemp -d "${TMPDIR:-/tmp}/morvel-pipewire.XXXXXX")"
pids=()
bus=""
stop() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    if [[ -n "$bus" ]]; then
        kill "$bus" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop EXIT

# Runs the command without the server, after saying why there is none.
without() {
    echo "with-pipewire.sh: $1; the command runs without PipeWire (its tests are skipped)" >&2
    for log in "$dir"/*.log; do
        [[ -s "$log" ]] && { echo "--- $(basename "$log"):" >&2; tail -n 5 "$log" >&2; }
    done
    unset MORVEL_TEST_PULSE_SINK MORVEL_TEST_SERVER_PID
    status=0
    "$@" || status=$?
    exit "$status"
}

sink=morvel_test_sink
mkdir -p "$dir/home" "$dir/runtime" "$dir/config/pipewire/pipewire.conf.d"
chmod 700 "$dir/runtime"
# The graph runs at the songs' rate, so that nothing is resampled on the way
# to the recording (PipeWire's own rate is 48000 Hz).
cat >"$dir/config/pipewire/pipewire.conf.d/morvel-test.conf" <<CONF
context.properties = { default.clock.rate = 44100 }
CONF
export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_STATE_HOME="$dir/home/state" XDG_CONFIG_HOME="$dir/config"
export PULSE_SERVER="unix:$dir/runtime/pulse/native"
unset PULSE_RUNTIME_PATH DISPLAY WAYLAND_DISPLAY

for tool in pipewire wireplumber pipewire-pulse dbus-daemon pactl parec; do
    command -v "$tool" >/dev/null || without "$tool is missing (Debian: pipewire, wireplumber, pipewire-pulse, dbus, pulseaudio-utils)" "$@"
done
# The session manager wants a session bus; a private one serves.
read -r DBUS_SESSION_BUS_ADDRESS bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$dir/runtime/bus" 2>"$dir/dbus.log" | tr '\n' ' ') || true
[[ -n "$bus" ]] || without "the private D-Bus session bus did not start" "$@"
export DBUS_SESSION_BUS_ADDRESS

pipewire >"$dir/pipewire.log" 2>&1 &
pids+=($!)
wireplumber >"$dir/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$dir/pipewire-pulse.log" 2>&1 &
pulse=$!
pids+=("$pulse")
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || without "pipewire-pulse does not answer" "$@"
pactl load-module module-null-sink sink_name="$sink" format=s16le rate=44100 channels=2 >/dev/null ||
    without "no null sink could be made" "$@"
pactl set-default-sink "$sink"
# The session manager links new streams to the default sink once it has seen it.
for _ in $(seq 50); do
    pactl list short sinks | grep -q "$sink" && break
    sleep 0.1
done

cat >"$dir/asound.conf" <<CONF
</usr/share/alsa/alsa.conf>
pcm.!default { type pulse server "$PULSE_SERVER" }
ctl.!default { type pulse server "$PULSE_SERVER" }
CONF
export ALSA_CONFIG_PATH="$dir/asound.conf" MORVEL_TEST_PULSE_SINK="$sink" MORVEL_TEST_SERVER_PID="$pulse"
status=0
"$@" || status=$?
exit "$status"
