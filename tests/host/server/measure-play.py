#!/usr/bin/env python3
"""Measures morvel play on a running sound server (PulseAudio or PipeWire,
reached through ALSA's default device as the environment sets it up):
over several runs of a playlist it records the server's monitor and reports
the time from each song's last sound to the next song's first sound and to
the program's exit (min / median / max), and the CPU share of morvel play
while it played.

    measure-play.py --recorder 'parec -d SINK.monitor ...' [--runs N] MORVEL FILE...

The recorder command must write raw s16le 44100 Hz stereo to its standard
output (parec --raw, pw-record -). Between songs a silence of 50 ms or more
counts as a gap, so the songs measured must not fall silent themselves."""

import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time

# The helper beside this script, imported without leaving compiled files in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import recording  # noqa: E402


def cpu_seconds(pid):
    """utime + stime of a running process, in seconds."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run_once(morvel, files, recorder_command):
    recorder = recording.Recorder(recorder_command)
    if not recorder.wait_ready():
        sys.exit("the recorder does not record")
    time.sleep(0.3)
    started = time.monotonic()
    process = subprocess.Popen([morvel, "play", *files], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    cpu = []
    while process.poll() is None:
        try:
            cpu.append((time.monotonic(), cpu_seconds(process.pid)))
        except (OSError, IndexError):
            pass
        time.sleep(0.5)
    ended = time.monotonic()
    time.sleep(0.3)
    pcm = recorder.stop()
    runs = recording.sounding_runs(recording.loudness(pcm))
    gaps = [(b[0] - a[1]) * recording.STEP for a, b in zip(runs, runs[1:])]
    last_sound = recorder.time_of(runs[-1][1] * recording.STEP) if runs else started
    share = None
    if len(cpu) >= 2:
        share = (cpu[-1][1] - cpu[0][1]) / (cpu[-1][0] - cpu[0][0])
    return {
        "status": process.returncode,
        "elapsed": ended - started,
        "gaps": gaps,
        "exit_after_sound": ended - last_sound,
        "cpu": share,
        "sound": sum(b - a for a, b in runs) * recording.STEP,
    }


def summary(values):
    if not values:
        return "-"
    return f"min {min(values):.3f}  median {statistics.median(values):.3f}  max {max(values):.3f}  (n={len(values)})"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--recorder", required=True, help="command that records the server's monitor as raw PCM")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("morvel")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    results = []
    for run in range(args.runs):
        result = run_once(args.morvel, args.files, shlex.split(args.recorder))
        results.append(result)
        gaps = " ".join(f"{g:.3f}" for g in result["gaps"])
        cpu = f"{100 * result['cpu']:.2f}%" if result["cpu"] is not None else "-"
        print(
            f"run {run + 1}: status {result['status']}, {result['elapsed']:.3f} s, sound {result['sound']:.3f} s, "
            f"gaps [{gaps}], exit {result['exit_after_sound']:.3f} s after the last sound, CPU {cpu}",
            flush=True,
        )
    print("gap between songs (s):   ", summary([g for r in results for g in r["gaps"]]))
    print("last sound to exit (s):  ", summary([r["exit_after_sound"] for r in results]))
    print("whole run (s):           ", summary([r["elapsed"] for r in results]))
    print("CPU share while playing: ", summary([100 * r["cpu"] for r in results if r["cpu"] is not None]), "%")


if __name__ == "__main__":
    main()
