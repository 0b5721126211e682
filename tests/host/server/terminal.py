"""A pseudo-terminal for morvel play in the tests and measurements on a sound
server: the program's standard input (and whatever else is given it) is a
terminal of 24 rows and a given width; what the program writes to it is kept
with the time each piece arrived."""

import fcntl
import os
import pty
import struct
import subprocess
import termios
import threading
import time


class Terminal:
    def __init__(self, columns=100):
        self.master, self.slave = pty.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        self.pieces = []  # (monotonic time, text)
        self.lock = threading.Lock()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        while True:
            try:
                data = os.read(self.master, 4096)
            except OSError:
                return
            if not data:
                return
            with self.lock:
                self.pieces.append((time.monotonic(), data.decode("utf-8", "replace")))

    def text(self):
        with self.lock:
            return "".join(text for _, text in self.pieces)

    def timed_pieces(self):
        with self.lock:
            return list(self.pieces)

    def type(self, keys):
        os.write(self.master, keys.encode())

    def finish(self, process, timeout=10):
        """Waits for the program to end (kills it after timeout seconds) and
        closes the terminal; returns its standard output, if piped, and the
        time it ended."""
        try:
            out, _ = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            out, _ = process.communicate()
        ended = time.monotonic()
        os.close(self.slave)
        os.close(self.master)
        return out, ended
