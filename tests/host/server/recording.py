"""What a sound server played, as the tests and measurements of morvel play
on a sound server see it: a recorder of the server's monitor, and the
loudness curve of 16-bit stereo PCM matched against a rendered reference.

PCM is raw s16le, 44100 Hz, stereo; times are seconds."""

import array
import math
import os
import subprocess
import sys
import threading
import time

RATE = 44100
FRAME_BYTES = 4
BYTES_PER_SECOND = RATE * FRAME_BYTES
# Loudness curves are RMS values over windows of this many seconds.
STEP = 0.01
STEP_FRAMES = int(RATE * STEP)
# A window quieter than this RMS (of 32768) is silence.
SILENCE_RMS = 8.0


class Recorder:
    """Runs a recording command that writes raw PCM to its standard output
    (parec, pw-record) and keeps what it writes with the wall-clock time at
    which each piece arrived, so that a sample's time can be told."""

    def __init__(self, command):
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.chunks = []
        self.arrivals = []  # (monotonic time, bytes received up to then)
        self.size = 0
        self.lock = threading.Lock()
        self.started = threading.Event()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        fd = self.process.stdout.fileno()
        while True:
            chunk = os.read(fd, 16384)
            if not chunk:
                break
            now = time.monotonic()
            with self.lock:
                self.chunks.append(chunk)
                self.size += len(chunk)
                self.arrivals.append((now, self.size))
            self.started.set()

    def wait_ready(self, timeout=10.0):
        """Waits until the recording flows; False when it does not."""
        return self.started.wait(timeout)

    def stop(self):
        """Ends the recording; returns its PCM (whole frames)."""
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.reader.join(timeout=5)
        with self.lock:
            data = b"".join(self.chunks)
        return data[: len(data) - len(data) % FRAME_BYTES]

    def time_of(self, seconds_into_recording):
        """The monotonic time at which the sample that far into the recording
        was played, estimated from the earliest arrivals (the least delayed)."""
        with self.lock:
            start = min(arrived - size / BYTES_PER_SECOND for arrived, size in self.arrivals)
        return start + seconds_into_recording


def loudness(pcm):
    """RMS of both channels per STEP window."""
    samples = array.array("h")
    samples.frombytes(pcm[: len(pcm) - len(pcm) % FRAME_BYTES])
    if sys.byteorder == "big":
        samples.byteswap()
    per_window = STEP_FRAMES * 2
    curve = []
    for start in range(0, len(samples) - per_window + 1, per_window):
        window = samples[start : start + per_window]
        curve.append(math.sqrt(sum(v * v for v in window) / per_window))
    return curve


def sounding_runs(curve, min_gap=0.05):
    """The stretches of sound in a loudness curve, as (first, end) window
    indexes; silences shorter than min_gap seconds do not split them."""
    runs = []
    gap = int(round(min_gap / STEP))
    quiet = 0
    for i, value in enumerate(curve):
        if value >= SILENCE_RMS:
            if runs and quiet < gap and runs[-1][1] == i - quiet:
                runs[-1] = (runs[-1][0], i + 1)
            else:
                runs.append((i, i + 1))
            quiet = 0
        else:
            quiet += 1
    return runs


def _level(value):
    return math.log10(max(value, SILENCE_RMS))


def mismatch(curve, at, reference, offset, length):
    """Mean difference of levels (log10 of RMS, so 0.05 is about 1 dB)
    between length windows of curve from at and of reference from offset."""
    total = 0.0
    for k in range(length):
        total += abs(_level(curve[at + k]) - _level(reference[offset + k]))
    return total / length


def best_offset(curve, at, reference, length, near=None, within=None):
    """The window offset in reference whose next length windows match
    curve's from at best, and that match's mismatch; searched everywhere or,
    with near and within, only that close to near."""
    levels = [_level(v) for v in curve[at : at + length]]
    reference_levels = [_level(v) for v in reference]
    first, last = 0, len(reference) - length
    if near is not None:
        first, last = max(first, near - within), min(last, near + within)
    best, best_error = None, float("inf")
    for offset in range(first, last + 1):
        error = 0.0
        for k in range(length):
            error += abs(levels[k] - reference_levels[offset + k])
            if error >= best_error * length:
                break
        error /= length
        if error < best_error:
            best, best_error = offset, error
    return best, best_error
