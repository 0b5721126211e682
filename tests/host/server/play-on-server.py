#!/usr/bin/env python3
"""morvel play on a real sound server: a private PulseAudio server with a null
sink (with-pulse.sh starts it; with-pipewire.sh PipeWire with its PulseAudio
server), which plays in real time as a desktop does, reached through the
output --output names: "pulse" (the server's own client library) or "alsa"
(ALSA's default device, the server's ALSA plug-in). What the sink played is
recorded from its monitor and compared with morvel render of the same songs,
so the test proves the sound, not only the exit status:

- a song and lists of two and three entries end by themselves, exit 0,
  within their length plus one second from the first sound, each song heard
  whole with the loudness curve of its rendering, the next song no sooner
  than the length morvel info reports for the last (its last tick heard, even
  at the slowest tempo, where that tick lasts 2.5 s) and within a second of
  it (--gap: within that many seconds, where the songs tell it to 10 ms);
- through a terminal (a pseudo-terminal, standard output a pipe): pause, two
  one-second seeks typed together while paused, a ten-second seek and q; the
  recording resumes 2 s after where it paused, jumps 10 s at the seek, and
  stops at q; the status line shows the seeks at once and where it stopped;
- along a list: n n typed together skip two entries, p goes back one, Esc
  alone quits;
- with --pause-within: the sound stops and starts again within that many
  seconds of the key;
- with --kill-server: the stream is listed by the server under the program's
  name and the song's title; the server (MORVEL_TEST_SERVER_PID) killed
  mid-song ends the song with one line on standard error and exit status 1,
  at once.

    play-on-server.py --morvel PROGRAM --songs-tool PROGRAM --work FOLDER
                      [--output NAME] [--gap S] [--pause-within S] [--kill-server]
                      [--output-only]

--output-only leaves out the checks of the walk itself, which another run
with the same program makes (one song, the slowest last tick, the list keys).

Without the server (MORVEL_TEST_PULSE_SINK unset) it is skipped (exit 77)."""

import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time

# The helper beside this script, imported without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import recording  # noqa: E402
from terminal import Terminal  # noqa: E402
from recording import STEP  # noqa: E402

SKIPPED = 77
# Level differences (log10 of RMS) allowed between recording and rendering:
# the mean over a song, and over any 100 ms.
MEAN_MISMATCH = 0.03
WINDOW_MISMATCH = 0.12
# Windows of STEP seconds in one second, and in the edges of a stretch of
# sound that are not compared.
SECOND = int(round(1 / STEP))
EDGE = 3

failures = []
# The command that plays, with the output under test: set in main.
PLAY = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message, flush=True)
    return condition


class Rendering:
    """A song's rendering by morvel render: its loudness curve and sound."""

    def __init__(self, morvel, path):
        pcm = subprocess.run([morvel, "render", "--raw", "-o", "-", path], capture_output=True, check=True).stdout
        self.curve = recording.loudness(pcm)
        runs = recording.sounding_runs(self.curve)
        self.first, self.end = runs[0][0], runs[-1][1]
        self.seconds = len(pcm) / recording.BYTES_PER_SECOND
        info = subprocess.run([morvel, "info", "--json", path], capture_output=True, check=True, text=True).stdout
        # The length every player reports, which the player must play whole.
        self.length = json.loads(info)["length_ms"] / 1000


def compare(curve, at, song, offset, length, what):
    """Checks that length windows of the recording from at sound as the
    rendering from offset: on average and in every 100 ms. The edges of a
    stretch of sound (where it starts or stops inside a window) are left out."""
    at, offset, length = at + EDGE, offset + EDGE, length - 2 * EDGE
    length = min(length, len(curve) - at, len(song.curve) - offset)
    if not check(length > 0, f"{what}: nothing to compare"):
        return
    mean = recording.mismatch(curve, at, song.curve, offset, length)
    windows = [
        recording.mismatch(curve, at + k, song.curve, offset + k, min(10, length - k)) for k in range(0, length, 10)
    ]
    worst = max(windows)
    print(f"  {what}: {length * STEP:.2f} s compared, level difference mean {mean:.3f}, worst 100 ms {worst:.3f}")
    if worst > WINDOW_MISMATCH:
        print("  per 100 ms:", " ".join(f"{w:.2f}" for w in windows))
    check(mean <= MEAN_MISMATCH, f"{what}: the loudness differs from the rendering (mean {mean:.3f})")
    check(worst <= WINDOW_MISMATCH, f"{what}: the loudness differs from the rendering in a 100 ms window ({worst:.3f})")


def keep(pcm, work, label):
    """Keeps a recording in the work folder (raw s16le 44100 Hz stereo), for
    a look after a failure."""
    with open(os.path.join(work, label.replace(" ", "-") + ".pcm"), "wb") as kept:
        kept.write(pcm)
    return pcm


def record(sink):
    recorder = recording.Recorder(
        ["parec", "-d", sink + ".monitor", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
         "--latency-msec=20"]
    )
    if not recorder.wait_ready():
        sys.exit("parec does not record the sink's monitor")
    time.sleep(0.3)
    return recorder


def play_list(sink, files, songs, label, work, max_gap):
    """Plays files to their end with standard input not a terminal."""
    print(f"{label}: morvel play {' '.join(os.path.basename(f) for f in files)}", flush=True)
    recorder = record(sink)
    length = sum(song.seconds for song in songs)
    try:
        run = subprocess.run([*PLAY, *files], stdin=subprocess.DEVNULL, capture_output=True, text=True,
                             timeout=length + 10)
    except subprocess.TimeoutExpired:
        recorder.stop()
        check(False, f"{label}: still playing {length + 10:.0f} s after the start of songs {length:.1f} s long")
        return
    ended = time.monotonic()
    time.sleep(0.3)
    curve = recording.loudness(keep(recorder.stop(), work, label))
    check(run.returncode == 0, f"{label}: exit status {run.returncode}, stderr: {run.stderr}")
    lines = run.stdout.splitlines()
    check(len(lines) == len(files) and all(line.endswith("played to the end") for line in lines),
          f"{label}: standard output {run.stdout!r}")

    runs = recording.sounding_runs(curve)
    if not check(runs, f"{label}: nothing was heard"):
        return
    # Each song from its first sound to the length of its rendering: a gap or
    # a cut would be a loud difference. The next song's first sound comes once
    # the last song's reported length has played (its last tick may be
    # silence), and within a second of it.
    at = runs[0][0]
    sound_end = at  # where the last song's sound ended in the recording
    for index, song in enumerate(songs):
        if index > 0:
            following = [r for r in runs if r[0] >= sound_end]
            if not check(following, f"{label}: song {index + 1} was not heard"):
                return
            gap = (following[0][0] - at) * STEP
            print(f"  song {index + 1} sounds {gap:.3f} s after song {index}'s reported length")
            check(gap >= -2 * STEP, f"{label}: song {index + 1} started {-gap:.3f} s before song {index} had "
                                    f"played its length: song {index} was cut")
            check(gap <= max_gap, f"{label}: song {index + 1} started {gap:.3f} s after the last song's length")
            at = following[0][0]
        offset, _ = recording.best_offset(curve, at, song.curve, SECOND // 2, near=song.first, within=5)
        compare(curve, at, song, offset, song.end - offset, f"{label} song {index + 1}")
        sound_end = at + song.end - offset
        check(abs(song.seconds - song.length) < 0.001,
              f"{label} song {index + 1}: rendered {song.seconds:.3f} s, reported {song.length:.3f} s")
        at += int(round(song.length / STEP)) - offset
    check(runs[-1][1] <= at + 2, f"{label}: {(runs[-1][1] - at) * STEP:.2f} s more sound after the last song")
    first_sound = recorder.time_of(runs[0][0] * STEP)
    last_sound = recorder.time_of(runs[-1][1] * STEP)
    print(f"  exit {ended - last_sound:.3f} s after the last sound, {ended - first_sound:.3f} s after the first "
          f"(songs {length:.3f} s)")
    check(ended - first_sound <= length + 1.0, f"{label}: exit {ended - first_sound:.3f} s after the first sound")
    check(ended - last_sound <= 1.0, f"{label}: exit {ended - last_sound:.3f} s after the last sound")


class PlayTerminal(Terminal):
    """The terminal of morvel play, 100 columns wide, and its status line."""

    def status(self):
        """The last status line drawn: (seconds shown, paused)."""
        lines = re.findall(r"(\d+):(\d\d) / \d+:\d\d(  paused)?\x1b\[K", self.text())
        if not lines:
            return None, False
        minutes, seconds, paused = lines[-1]
        return int(minutes) * 60 + int(seconds), bool(paused)

    def entry(self):
        """The entry number the last status line shows ("[2/3] ...")."""
        found = re.findall(r"\[(\d+)/\d+\] [^\r]*\x1b\[K", self.text())
        return int(found[-1]) if found else None

    def wait_for_entry(self, entry, timeout=3.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.entry() == entry:
                return True
            time.sleep(0.05)
        return False

    def wait_for(self, condition, timeout=3.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if condition(*self.status()):
                return True
            time.sleep(0.05)
        return False


def play_with_keys(sink, path, song, work, pause_within):
    label = "keys"
    print(f"{label}: morvel play {os.path.basename(path)} on a terminal, standard output a pipe", flush=True)
    recorder = record(sink)
    terminal = PlayTerminal()
    process = subprocess.Popen([*PLAY, path], stdin=terminal.slave, stdout=subprocess.PIPE,
                               stderr=terminal.slave, text=True)
    check(terminal.wait_for(lambda shown, paused: shown is not None and shown >= 1),
          f"{label}: no status line on the terminal")
    terminal.type("h")
    time.sleep(0.3)
    paused_typed = time.monotonic()
    terminal.type(" ")
    check(terminal.wait_for(lambda shown, paused: paused), f"{label}: the status line does not say paused")
    time.sleep(0.7)
    paused_at, _ = terminal.status()
    # Two one-second seeks in one read, while paused: shown at once, added up.
    terminal.type("..")
    check(terminal.wait_for(lambda shown, paused: paused and shown == paused_at + 2, timeout=1.0),
          f"{label}: after two 1 s seeks while paused at {paused_at} s the status shows {terminal.status()}")
    time.sleep(0.5)
    resumed_typed = time.monotonic()
    terminal.type(" ")
    time.sleep(1.5)
    before_seek, _ = terminal.status()
    terminal.type("\x1b[C")
    check(terminal.wait_for(lambda shown, paused: shown is not None and shown >= before_seek + 10, timeout=1.5),
          f"{label}: after a 10 s seek from {before_seek} s the status shows {terminal.status()}")
    time.sleep(1.5)
    quit_at = time.monotonic()
    terminal.type("q")
    out, ended = terminal.finish(process)
    time.sleep(0.3)
    curve = recording.loudness(keep(recorder.stop(), work, "keys"))

    check(process.returncode == 0, f"{label}: exit status {process.returncode}")
    check(ended - quit_at <= 1.0, f"{label}: q took {ended - quit_at:.3f} s")
    check("seek 1 s back or forward" in terminal.text(), f"{label}: h did not show the keys")
    stopped = re.search(r"stopped at (\d+):(\d\d)", out)
    check(stopped is not None, f"{label}: standard output {out!r}")

    runs = recording.sounding_runs(curve, min_gap=0.3)
    if not check(len(runs) == 2, f"{label}: {len(runs)} stretches of sound, expected 2 (before and after the pause)"):
        return
    (first, first_end), (second, second_end) = runs
    print(f"  paused for {(second - first_end) * STEP:.2f} s")
    stopped_after = recorder.time_of(first_end * STEP) - paused_typed
    started_after = recorder.time_of(second * STEP) - resumed_typed
    print(f"  the sound stopped {stopped_after:.3f} s after the pause key, started {started_after:.3f} s after the "
          f"resume key")
    if pause_within is not None:
        check(stopped_after <= pause_within, f"{label}: the sound stopped {stopped_after:.3f} s after the pause key")
        check(started_after <= pause_within, f"{label}: the sound started {started_after:.3f} s after the resume key")
    # Before the pause: the song from its start.
    offset, _ = recording.best_offset(curve, first, song.curve, SECOND // 2, near=song.first, within=5)
    compare(curve, first, song, offset, first_end - first, f"{label} before the pause")
    paused_in_song = offset + (first_end - first)
    # After the pause: 2 s further on (the seeks typed while paused), up to the 10 s seek.
    resumed, _ = recording.best_offset(curve, second, song.curve, SECOND)
    moved = (resumed - paused_in_song) * STEP
    print(f"  resumed {moved:.3f} s after where it paused")
    check(abs(moved - 2.0) <= 0.1, f"{label}: resumed {moved:.3f} s after where it paused, expected 2 s")
    # The last second before q: where the 10 s seek went.
    tail = second_end - SECOND
    landed, _ = recording.best_offset(curve, tail, song.curve, SECOND)
    # Whenever the seek came, the song moved on by what was heard since the
    # resume, plus the jump.
    jumped = (landed - resumed - (tail - second)) * STEP
    print(f"  the seek moved {jumped:.3f} s")
    check(abs(jumped - 10.0) <= 0.3, f"{label}: the seek moved {jumped:.3f} s, expected 10 s")
    compare(curve, second, song, resumed, SECOND, f"{label} after the pause")
    compare(curve, tail, song, landed, SECOND, f"{label} after the seek")
    heard_at_quit = (landed + (second_end - tail)) * STEP
    if stopped:
        shown = int(stopped.group(1)) * 60 + int(stopped.group(2))
        print(f"  stopped at {shown} s shown, {heard_at_quit:.3f} s heard")
        check(shown <= heard_at_quit + 0.5 and heard_at_quit < shown + 1.5,
              f"{label}: stopped at {shown} s shown, {heard_at_quit:.3f} s heard")
    sound_end = recorder.time_of(second_end * STEP)
    print(f"  sound ended {sound_end - quit_at:.3f} s after q")
    check(sound_end - quit_at <= 0.5, f"{label}: the sound went on {sound_end - quit_at:.3f} s after q")


def move_along_the_list(files):
    """n n typed together skip two entries, p goes back one, Esc alone quits."""
    label = "list keys"
    print(f"{label}: morvel play {' '.join(os.path.basename(f) for f in files)} on a terminal", flush=True)
    terminal = PlayTerminal()
    process = subprocess.Popen([*PLAY, *files], stdin=terminal.slave, stdout=subprocess.PIPE,
                               stderr=terminal.slave, text=True)
    check(terminal.wait_for_entry(1), f"{label}: the first entry is not shown playing")
    time.sleep(0.5)
    terminal.type("nn")
    check(terminal.wait_for_entry(3), f"{label}: n n did not go to the third entry (shows {terminal.entry()})")
    time.sleep(0.5)
    terminal.type("p")
    check(terminal.wait_for_entry(2), f"{label}: p did not go back to the second entry (shows {terminal.entry()})")
    time.sleep(0.5)
    quit_at = time.monotonic()
    terminal.type("\x1b")
    out, ended = terminal.finish(process)
    check(process.returncode == 0, f"{label}: exit status {process.returncode}")
    check(ended - quit_at <= 1.0, f"{label}: Esc took {ended - quit_at:.3f} s to quit")
    played = [line.split(":", 1)[0] for line in out.splitlines()]
    expected = [files[0], files[2], files[1]]
    check(played == expected, f"{label}: played {played}, expected {expected}")
    check(all("stopped at" in line for line in out.splitlines()), f"{label}: standard output {out!r}")


def server_killed(sink, path, song, work):
    """The server is killed two seconds into a song: the song ends at once
    with one line on standard error, and the program exits with 1."""
    label = "server killed"
    server = int(os.environ.get("MORVEL_TEST_SERVER_PID", "0"))
    if not check(server > 0, f"{label}: no MORVEL_TEST_SERVER_PID to kill"):
        return
    print(f"{label}: morvel play {os.path.basename(path)}, the server killed after 2 s", flush=True)
    process = subprocess.Popen([*PLAY, path], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    time.sleep(2.0)
    # The desktop's volume control lists the stream under the program, by the song's title.
    streams = subprocess.run(["pactl", "list", "sink-inputs"], capture_output=True, text=True).stdout
    check('application.name = "Morvel"' in streams and 'media.name = "Long - morvel tests"' in streams,
          f"{label}: the stream is not named after the program and the song: {streams!r}")
    killed = time.monotonic()
    os.kill(server, signal.SIGKILL)
    try:
        out, err = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        out, err = process.communicate()
        check(False, f"{label}: still playing 10 s after the server went away")
        return
    ended = time.monotonic() - killed
    print(f"  exit {process.returncode} {ended:.3f} s after the kill; stderr: {err!r}")
    check(process.returncode == 1, f"{label}: exit status {process.returncode}, expected 1")
    check(ended <= 1.0, f"{label}: the program ended {ended:.3f} s after the server went away")
    check(len(err.splitlines()) == 1 and err.startswith("morvel: "), f"{label}: standard error {err!r}")
    check(re.fullmatch(r"[^\n]*: [^\n]*, stopped at 0:0[1-3]\n", out) is not None, f"{label}: standard output {out!r}")


def main():
    global PLAY
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--morvel", required=True)
    parser.add_argument("--songs-tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--output", default="alsa")
    parser.add_argument("--gap", type=float, default=1.0)
    parser.add_argument("--pause-within", type=float)
    parser.add_argument("--kill-server", action="store_true")
    parser.add_argument("--output-only", action="store_true",
                        help="only the checks an output changes: three songs, the keys, the server killed")
    args = parser.parse_args()
    sink = os.environ.get("MORVEL_TEST_PULSE_SINK")
    if not sink:
        print("skipped: no private sound server (run it through tests/host/server/with-pulse.sh or with-pipewire.sh)")
        return SKIPPED
    PLAY = [args.morvel, "play", "--output", args.output]

    os.makedirs(args.work, exist_ok=True)
    subprocess.run([args.songs_tool, args.work], check=True)
    path = {name: os.path.join(args.work, name + ".dmf") for name in ("short", "second", "long", "slow")}
    song = {name: Rendering(args.morvel, file) for name, file in path.items()}

    if not args.output_only:
        play_list(sink, [path["short"]], [song["short"]], "one song", args.work, args.gap)
    play_list(sink, [path["short"], path["second"], path["short"]], [song["short"], song["second"], song["short"]],
              "three songs", args.work, args.gap)
    if not args.output_only:
        # The slow song's one steady note tells where the recording is in it
        # only to within 50 ms: its next song's start is held to the second.
        play_list(sink, [path["slow"], path["short"]], [song["slow"], song["short"]], "the slowest song's last tick",
                  args.work, 1.0)
    play_with_keys(sink, path["long"], song["long"], args.work, args.pause_within)
    if not args.output_only:
        move_along_the_list([path["short"], path["second"], path["long"]])
    if args.kill_server:
        server_killed(sink, path["long"], song["long"], args.work)

    if failures:
        print(f"{len(failures)} failures")
        return 1
    print("all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
