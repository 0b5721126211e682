#!/usr/bin/env python3
"""Measures morvel play on a running sound server (PulseAudio or PipeWire,
reached through ALSA's default device as the environment sets it up):
over several runs of a playlist it records the server's monitor and reports
the time from each song's last sound to the next song's first sound and to
the program's exit (min / median / max), and the CPU share of morvel play
while it played. With --terminal it plays on a pseudo-terminal and also
measures the status line: how long after a second was heard the line shows
it, and how far short of what was heard it is at the last sound.

    measure-play.py --recorder 'parec -d SINK.monitor ...' [--runs N] MORVEL FILE...

The recorder command must write raw s16le 44100 Hz stereo to its standard
output (parec --raw, pw-record -). Between songs a silence of 50 ms or more
counts as a gap, so the songs measured must not fall silent themselves."""

import argparse
import os
import re
import shlex
import statistics
import subprocess
import sys
import time

# The helper beside this script, imported without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import recording  # noqa: E402
import terminal  # noqa: E402


def cpu_seconds(pid):
    """utime + stime of a running process, in seconds."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status_changes(pieces):
    """When the status line showed each position (whole seconds), as (time,
    seconds), from what the program wrote to its terminal."""
    shown = []
    for arrived, text in pieces:
        for minutes, seconds in re.findall(r"(\d+):(\d\d) / \d+:\d\d[^\r]*\x1b\[K", text):
            shown.append((arrived, int(minutes) * 60 + int(seconds)))
    return shown


def run_once(morvel, files, recorder_command, on_terminal):
    recorder = recording.Recorder(recorder_command)
    if not recorder.wait_ready():
        sys.exit("the recorder does not record")
    time.sleep(0.3)
    screen = None
    if on_terminal:
        screen = terminal.Terminal(120)
        streams = {"stdin": screen.slave, "stdout": screen.slave, "stderr": screen.slave}
    else:
        streams = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL}
    started = time.monotonic()
    process = subprocess.Popen([morvel, "play", *files], **streams)
    cpu = []
    while True:
        try:
            process.wait(timeout=0.5)
            break
        except subprocess.TimeoutExpired:
            pass
        try:
            cpu.append((time.monotonic(), cpu_seconds(process.pid)))
        except (OSError, IndexError):
            pass
    ended = time.monotonic()
    time.sleep(0.3)
    pcm = recorder.stop()
    shown = []
    if screen:
        shown = status_changes(screen.timed_pieces())
        screen.finish(process)
    runs = recording.sounding_runs(recording.loudness(pcm))
    gaps = [(b[0] - a[1]) * recording.STEP for a, b in zip(runs, runs[1:])]
    first_sound = recorder.time_of(runs[0][0] * recording.STEP) if runs else started
    last_sound = recorder.time_of(runs[-1][1] * recording.STEP) if runs else started
    share = None
    if len(cpu) >= 2:
        share = (cpu[-1][1] - cpu[0][1]) / (cpu[-1][0] - cpu[0][0])
    result = {
        "status": process.returncode,
        "elapsed": ended - started,
        "gaps": gaps,
        "exit_after_sound": ended - last_sound,
        "cpu": share,
        "sound": sum(b - a for a, b in runs) * recording.STEP,
    }
    if shown:
        # Of a single song heard from its first sound without a break: when the
        # status line turned to each second, how far the sound was past it.
        changes = [(t, s) for (t, s), (_, before) in zip(shown[1:], shown) if s != before]
        result["lags"] = [t - first_sound - s for t, s in changes if t <= last_sound]
        heard = last_sound - first_sound
        shown_at_end = max((s for t, s in shown if t <= last_sound), default=0)
        result["end_error"] = heard - shown_at_end
    return result


def summary(values):
    if not values:
        return "-"
    return f"min {min(values):.3f}  median {statistics.median(values):.3f}  max {max(values):.3f}  (n={len(values)})"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--recorder", required=True, help="command that records the server's monitor as raw PCM")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--terminal", action="store_true",
                        help="play on a pseudo-terminal and measure the status line against the sound (one song)")
    parser.add_argument("morvel")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    results = []
    for run in range(args.runs):
        result = run_once(args.morvel, args.files, shlex.split(args.recorder), args.terminal)
        results.append(result)
        gaps = " ".join(f"{g:.3f}" for g in result["gaps"])
        cpu = f"{100 * result['cpu']:.2f}%" if result["cpu"] is not None else "-"
        print(
            f"run {run + 1}: status {result['status']}, {result['elapsed']:.3f} s, sound {result['sound']:.3f} s, "
            f"gaps [{gaps}], exit {result['exit_after_sound']:.3f} s after the last sound, CPU {cpu}",
            flush=True,
        )
        if "lags" in result:
            print(f"       status line: turned to each second {summary(result['lags'])} s after it was heard; "
                  f"at the last sound it showed {result['end_error']:.3f} s less than heard", flush=True)
    print("gap between songs (s):   ", summary([g for r in results for g in r["gaps"]]))
    print("last sound to exit (s):  ", summary([r["exit_after_sound"] for r in results]))
    print("whole run (s):           ", summary([r["elapsed"] for r in results]))
    print("CPU share while playing: ", summary([100 * r["cpu"] for r in results if r["cpu"] is not None]), "%")
    if args.terminal:
        print("status line lag (s):     ", summary([lag for r in results for lag in r.get("lags", [])]))
        print("status short at end (s): ", summary([r["end_error"] for r in results if "end_error" in r]))


if __name__ == "__main__":
    main()
