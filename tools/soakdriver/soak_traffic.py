"""Client side of the soak run: one connection to the console's command server, and the
stream of valid and invalid command lines sent through it."""

import random
import re
import select
import socket
import struct
import time

TIME_CODE = re.compile(r"^\d\d:\d\d:\d\d:\d\d$")

# Every word the console understands, except the ones that end a connection.
WORDS = [
    "Play", "Pause", "Stop", "Forward", "Rewind", "Record", "GetTC", "Status", "CueIn",
    "CueOut", "SetIn", "SetOut", "CuePlay", "Review", "JogF", "JogR", "Fast2", "Fast5",
    "Slow5", "Slow3", "Slow2", "EEOn", "EEOff", "SbyOn", "SbyOff",
]
BAD_TIMES = [
    "", "12:34", "25:61:99:99", "ab:cd:ef:gh", "00:00:00:00:00", "-1", "00-00-00-00",
    "99:99:99:99", "\u00fc\u00df:00:00:00", " 00:00:10:00", "00:00:1O:00",
]
BAD_WAITS = ["Wait", "Waitx", "Wait-1", "Wait 1", "Wait1.5", "Wait99999999999999999999"]
LINE_ENDS = [b"\n", b"\r", b"\r\n"]


def frames_to_tc(frames):
    frames %= 24 * 108000
    h, rest = divmod(frames, 108000)
    m, rest = divmod(rest, 1800)
    s, f = divmod(rest, 30)
    return f"{h:02d}:{m:02d}:{s:02d}:{f:02d}"


def tc_to_frames(text):
    h, m, s, f = (int(p) for p in text.split(":"))
    return h * 108000 + m * 1800 + s * 30 + f


class Connection:
    """A client connection that collects the console's answer lines."""

    def __init__(self, port, timeout):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.sock.settimeout(timeout)
        self.buffer = b""
        self.lines = []
        self.closed = False

    def send(self, data):
        """Sends all of data; False when the console has closed the connection."""
        if self.closed:
            return False
        try:
            self.sock.sendall(data)
            return True
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.closed = True
            return False

    def pump(self, timeout=0.0):
        """Takes what has arrived, waiting at most timeout seconds for the first bytes."""
        if self.closed:
            return
        ready, _, _ = select.select([self.sock], [], [], timeout)
        if not ready:
            return
        try:
            data = self.sock.recv(65536)
        except (ConnectionResetError, ConnectionAbortedError, socket.timeout):
            data = b""
        if not data:
            self.closed = True
            return
        self.buffer += data
        while b"\n" in self.buffer:
            line, self.buffer = self.buffer.split(b"\n", 1)
            self.lines.append(line.rstrip(b"\r").decode("latin-1"))

    def expect(self, wanted, timeout):
        """Waits for a line for which wanted(line) holds; returns it, or None. Lines looked
        at on the way are dropped, so wanted sees each line once."""
        deadline = time.monotonic() + timeout
        while True:
            while self.lines:
                line = self.lines.pop(0)
                if wanted(line):
                    return line
            left = deadline - time.monotonic()
            if left <= 0 or self.closed:
                return None
            self.pump(min(left, 0.5))

    def ask_tc(self, timeout):
        """Sends GetTC and returns the time code answered, or None."""
        self.lines.clear()
        if not self.send(b"GetTC\n"):
            return None
        return self.expect(lambda l: TIME_CODE.match(l) is not None, timeout)

    def close(self):
        """Half-closes and waits briefly for the console to close its side."""
        try:
            self.sock.shutdown(socket.SHUT_WR)
            end = time.monotonic() + 5
            while not self.closed and time.monotonic() < end:
                self.pump(0.5)
        except OSError:
            pass
        self.sock.close()

    def reset(self):
        """Drops the connection abruptly (RST), as a client that dies does."""
        try:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        except OSError:
            pass
        self.sock.close()


class Traffic:
    """Random command lines: valid words, wrong case, unknown words, binary junk, time codes
    good and bad, waits."""

    def __init__(self, seed):
        self.rng = random.Random(seed)

    def valid_tc(self):
        r = self.rng
        return f"{r.randrange(24):02d}:{r.randrange(60):02d}:{r.randrange(60):02d}:{r.randrange(30):02d}"

    def wrong_case(self, word):
        while True:
            mangled = "".join(c.swapcase() if self.rng.random() < 0.5 else c for c in word)
            if mangled != word:
                return mangled

    def junk_word(self):
        letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789#!_"
        return "".join(self.rng.choice(letters) for _ in range(self.rng.randint(1, 12)))

    def line(self):
        """One line of text, with its line end; binary junk may carry line ends of its own."""
        r = self.rng
        pick = r.random()
        if pick < 0.40:
            text = r.choice(WORDS)
        elif pick < 0.50:
            text = self.wrong_case(r.choice(WORDS))
        elif pick < 0.58:
            text = self.junk_word()
        elif pick < 0.66:
            return bytes(r.randrange(256) for _ in range(r.randint(1, 64))) + b"\n"
        elif pick < 0.78:
            text = r.choice(["tc1", "tc2"]) + self.valid_tc()
        elif pick < 0.86:
            text = r.choice(["tc1", "tc2", "TC1", "tc3"]) + r.choice(BAD_TIMES)
        elif pick < 0.92:
            text = "Wait0"
        else:
            text = r.choice(BAD_WAITS)
        return text.encode("utf-8") + r.choice(LINE_ENDS)

    def burst(self):
        """A few lines to send in one write, sometimes split in the middle of a line; returns
        the pieces to write and the number of lines."""
        count = self.rng.randint(1, 6)
        data = b"".join(self.line() for _ in range(count))
        if len(data) > 2 and self.rng.random() < 0.3:
            cut = self.rng.randrange(1, len(data))
            return [data[:cut], data[cut:]], count
        return [data], count

    def over_long(self):
        """A line past the console's 4096-byte limit; the console drops the connection."""
        return b"A" * self.rng.randint(4097, 20000) + b"\n"
