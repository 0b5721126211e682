#!/usr/bin/env python3
"""morvel info --samples on a module with a sample of every kind (written by
morvel_sample_songs, with what the listing must say of each):

- --json: parsed by Python's json module with no extensions (no NaN or
  Infinity, no key twice), the "samples" list holds every field as written;
  without --samples, "samples" stays the count;
- the text: a table whose columns line up under their headings, each row
  saying what the JSON says; on a terminal narrower than the table the names
  give way and no line is wider than the terminal; piped, nothing is cut.

    info-samples.py --morvel PROGRAM --songs-tool PROGRAM --work FOLDER"""

import argparse
import json
import os
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "server"))
from terminal import Terminal  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message, flush=True)
    return condition


def strict_json(text):
    def refuse_constant(name):
        raise ValueError(f"not JSON: {name}")

    def no_repeats(pairs):
        keys = [key for key, _ in pairs]
        if len(keys) != len(set(keys)):
            raise ValueError(f"a key twice in {keys}")
        return dict(pairs)

    return json.loads(text, parse_constant=refuse_constant, object_pairs_hook=no_repeats)


def check_json(morvel, song, expected):
    listed = strict_json(subprocess.run([morvel, "info", "--samples", "--json", song], capture_output=True,
                                        check=True, text=True).stdout)
    samples = listed["samples"]
    check(len(samples) == len(expected), f"{len(samples)} samples listed, {len(expected)} written")
    for got, want in zip(samples, expected):
        what = f"sample {want['number']}"
        check(set(got) == {"number", "name", "frames", "seconds", "loop", "bits", "channels", "rate", "storage"},
              f"{what}: fields {sorted(got)}")
        for field in ("number", "name", "frames", "rate", "bits", "channels", "storage"):
            check(got[field] == want[field], f"{what}: {field} is {got[field]!r}, written {want[field]!r}")
        loop = None if got["loop"] is None else [got["loop"]["start"], got["loop"]["end"]]
        check(loop == want["loop"], f"{what}: loop {got['loop']!r}, written {want['loop']!r}")
        seconds = None if want["rate"] == 0 else round(want["frames"] / want["rate"], 3)
        check(got["seconds"] == seconds, f"{what}: {got['seconds']!r} seconds, expected {seconds!r}")
    plain = strict_json(subprocess.run([morvel, "info", "--json", song], capture_output=True, check=True,
                                       text=True).stdout)
    check(plain["samples"] == len(expected), f"without --samples, samples is {plain['samples']!r}")
    return samples


def table(text):
    """The samples' table of info's text: its heading line and rows."""
    lines = text.splitlines()
    start = lines.index("Samples:") + 1
    return lines[start], lines[start + 1:]


def check_text(morvel, song, samples):
    text = subprocess.run([morvel, "info", "--samples", song], capture_output=True, check=True,
                          text=True).stdout
    heading, rows = table(text)
    check(len(rows) == len(samples), f"{len(rows)} rows for {len(samples)} samples")
    # Right-aligned columns end where their heading ends, the others start where it starts.
    ends = {name: heading.index(name) + len(name) for name in ("#", "Frames", "Seconds", "Bits", "Rate")}
    starts = {name: heading.index(name) for name in ("Name", "Loop", "Channels", "Stored")}
    for row, sample in zip(rows, samples):
        what = f"row {sample['number']}: {row!r}"
        loop = "none" if sample["loop"] is None else f"{sample['loop']['start']}-{sample['loop']['end']}"
        seconds = "-" if sample["seconds"] is None else f"{sample['seconds']:.3f}"
        for name, value in (("#", sample["number"]), ("Frames", sample["frames"]), ("Seconds", seconds),
                            ("Bits", sample["bits"]), ("Rate", sample["rate"])):
            value = str(value)
            check(row[ends[name] - len(value):ends[name]] == value and row[ends[name] - len(value) - 1] == " ",
                  f"{what}: {name} is not {value} under its heading")
        channels = "stereo" if sample["channels"] == 2 else "mono"
        for name, value in (("Name", sample["name"]), ("Loop", loop), ("Channels", channels),
                            ("Stored", sample["storage"])):
            check(row[starts[name]:].startswith(value), f"{what}: {name} is not {value!r} under its heading")
    # On a narrow terminal: the names give way, every line fits, the numbers stay whole.
    # (68 columns hold the table with the names cut to their heading.)
    for columns in (72, 68):
        screen = Terminal(columns)
        process = subprocess.Popen([morvel, "info", "--samples", song], stdout=screen.slave, stderr=screen.slave)
        screen.finish(process)
        narrow = screen.text().replace("\r\n", "\n")
        heading, rows = table(narrow)
        widest = max(len(line) for line in [heading] + rows)
        check(widest <= columns, f"{columns} columns: a line of {widest}")
        for row, sample in zip(rows, samples):
            check(f" {sample['rate']} " in row + " ", f"{columns} columns: the rate is cut in {row!r}")
        check("..." in narrow, f"{columns} columns: no name was shortened")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--morvel", required=True)
    parser.add_argument("--songs-tool", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    subprocess.run([args.songs_tool, args.work], check=True)
    song = os.path.join(args.work, "samples.dmf")
    with open(os.path.join(args.work, "samples.expected.json"), encoding="utf-8") as written:
        expected = strict_json(written.read())
    samples = check_json(args.morvel, song, expected)
    check_text(args.morvel, song, samples)
    print(f"{len(failures)} failed" if failures else f"all {len(expected)} samples listed as written")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
