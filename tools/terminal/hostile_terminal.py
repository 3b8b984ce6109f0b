#!/usr/bin/env python3
"""Plays the game on a pseudo-terminal whose far side lags, lies or streams, and prints what
came of each case: the name and weapon in the save, how the story showed the name, the largest
window asked for, and every place a shaken window was put in a window manager's frame.

Usage: tools/terminal/hostile_terminal.py BINARY [--preload LIB]
  BINARY  a game binary beside its data files (build/run/vaultreach), run in a scratch copy
  LIB     the tests' preloaded clock (build/tests/libvaultreach_preload_clock.so), so the
          story's pauses pass at once; without it each case plays in real time (minutes)
Run it on two builds to compare them; the machine's load is printed at the end.
"""
import argparse
import fcntl
import os
import pty
import re
import select
import shutil
import signal
import struct
import sys
import tempfile
import termios
import time

START = b"\x1b]11;rgb:0000/0000/0000\x1b\\\x1b[3;100;200t\x1b[4;480;800t\x1b[?62c"
QUESTION = re.compile(rb"\x1b\[(13|14)t|\x1b\[c|\x1b\[([348]);([0-9]+);([0-9]+)t")


class Terminal:
    """The far side: answers questions, keeps the window's place (a move lands at the place
    plus the frame) and records every place and every size asked for."""

    def __init__(self, binary, env, columns=100, rows=30, x=100, y=200, frame=(0, 0),
                 start=None, size=b"\x1b[4;480;800t"):
        self.directory = tempfile.mkdtemp(prefix="vaultreach-hostile-")
        source = os.path.dirname(os.path.abspath(binary))
        for name in os.listdir(source):
            if os.path.isfile(os.path.join(source, name)):
                shutil.copy2(os.path.join(source, name), self.directory)
        self.pid, self.master = pty.fork()
        if self.pid == 0:
            os.chdir(self.directory)
            os.execve(os.path.join(self.directory, os.path.basename(binary)), ["vaultreach"], env)
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
        self.out = b""
        self.scanned = 0
        self.x, self.y, self.frame = x, y, frame
        self.start, self.size = start, size
        self.rounds = 0
        self.places = []
        self.sizes = []

    def pump(self, seconds, marker=None):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if marker is not None and marker in self.out:
                return True
            ready, _, _ = select.select([self.master], [], [], 0.002)
            if ready:
                try:
                    chunk = os.read(self.master, 65536)
                except OSError:
                    return False
                if not chunk:
                    return False
                self.out += chunk
                self.answer()
        return marker is None or marker in self.out

    def answer(self):
        replies = b""
        for found in QUESTION.finditer(self.out, self.scanned):
            self.scanned = found.end()
            question = found.group(0)
            if question == b"\x1b[c":
                first = self.rounds == 0 and self.start is not None
                replies += self.start if first else b"\x1b[?62c"
                self.rounds += 1
            elif self.rounds == 0 and self.start is not None:
                continue
            elif question == b"\x1b[13t":
                replies += b"\x1b[3;%d;%dt" % (self.x, self.y)
            elif question == b"\x1b[14t":
                replies += self.size
            elif found.group(2) == b"3":
                self.x = int(found.group(3)) + self.frame[0]
                self.y = int(found.group(4)) + self.frame[1]
                self.places.append((self.x, self.y))
            else:
                self.sizes.append(question[1:].decode())
        if replies:
            self.write(replies)

    def write(self, data):
        while data:
            ready, writable, _ = select.select([self.master], [self.master], [], 1)
            if ready:
                self.out += os.read(self.master, 65536)
            if writable:
                data = data[os.write(self.master, data[:4096]):]

    def finish(self):
        self.pump(1)
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        self.pump(1)
        os.waitpid(self.pid, 0)
        os.close(self.master)
        with open(os.path.join(self.directory, "Player.txt"), "rb") as f:
            save = f.read().split(b"\n")
        shutil.rmtree(self.directory)
        return save

    def shown(self):
        found = re.search(rb"There is evil afoot (.*?)\.  The castle", self.out)
        return found.group(1) if found else b"?"


def show(data, limit=40):
    """The bytes as Python writes them; a long run as its start and end, and its length."""
    text = repr(data)[2:-1]
    if len(text) <= limit:
        return text
    return "%s...%s (%d bytes)" % (text[:limit // 2], repr(data[-4:])[2:-1], len(data))


def name_case(binary, env, label, at_name=b"", typed=b"Bob", at_weapon=b"", start=None):
    t = Terminal(binary, env, start=start)
    t.pump(30, b"What is your name? ")
    time.sleep(0.3)
    t.write(at_name + typed + b"\n")
    t.pump(30, b"(A)xe\r\n?:")
    time.sleep(0.3)
    t.write(at_weapon + b"a\n")
    t.pump(30, b"(Q)uit\r\n?:")
    t.write(b"q\n\n")
    shown = t.shown()
    save = t.finish()
    print("%-34s name %-40s weapon %-5s shown %s" % (label, show(save[5]), save[6].decode(),
                                                    show(shown)))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binary")
    parser.add_argument("--preload")
    args = parser.parse_args()
    env = dict(os.environ, SDL_AUDIODRIVER="dummy", TERM="xterm-256color")
    env.pop("NO_COLOR", None)
    if args.preload:
        env["LD_PRELOAD"] = os.path.abspath(args.preload)
        env["ASAN_OPTIONS"] = "verify_asan_link_order=0"

    print("== Replies at the prompts (the player types Bob, then a)")
    name_case(args.binary, env, "late answers at the name", START, start=b"\x1b[?62c")
    name_case(args.binary, env, "late answers at the weapon", at_weapon=START,
              start=b"\x1b[?62c")
    for label, reply in [("empty last parameter", b"\x1b[?62;c"),
                         ("OSC 11 ended by 0x9C", b"\x1b]11;rgb:0/0/0\x9c"),
                         ("rgba:", b"\x1b]11;rgba:0/0/0/1\x07"),
                         ("#ffffff", b"\x1b]11;#ffffff\x07"),
                         ("malformed rgb:", b"\x1b]11;rgb:0/0\x1b\\"),
                         ("negative size", b"\x1b[4;-480;800t"),
                         ("huge size", b"\x1b[4;99999999;1t")]:
        name_case(args.binary, env, label, reply)
    name_case(args.binary, env, "garbage position at the weapon", at_weapon=b"\x1b[3;Q")
    name_case(args.binary, env, "1 MB reply at start-up",
              start=b"\x1b]11;rgb:" + b"f" * (1 << 20) + b"\x07\x1b[?62c")
    name_case(args.binary, env, "arrow keys in the name", typed=b"B\x1b[Do\x1b[C\x1b[Ab\x1bOB")
    name_case(args.binary, env, "C1 and invalid UTF-8 in the name",
              typed=b"B\xc2\x9b2Jo\x85\xff\xc3\xa9\xe6\xbc\xa2b\xc3")
    name_case(args.binary, env, "aa + 200 x e-acute", typed=b"aa" + "é".encode() * 200)

    print("== Sizes (largest window asked for in pixels, sizes asked for in characters)")
    for label, columns, rows, size, x in [("1x1 text area", 1, 1, b"\x1b[4;480;800t", 100),
                                          ("999999 pixels", 100, 35,
                                           b"\x1b[4;999999;999999t", 100),
                                          ("position 999999", 100, 30, b"\x1b[4;480;800t",
                                           999999)]:
        t = Terminal(args.binary, env, columns=columns, rows=rows, x=x, size=size)
        t.pump(30, b"What is your name? ")
        t.write(b"Bob\na\nq\n\n")
        t.pump(5)
        t.finish()
        pixels = [s for s in t.sizes if s.startswith("[4;")]
        largest = max((max(map(int, s[3:-1].split(";"))) for s in pixels), default=0)
        print("%-34s largest pixel request %d; in characters %s; moves %s"
              % (label, largest, [s for s in t.sizes if s.startswith("[8;")] or "none",
                 t.places[:3] or "none"))

    print("== Shakes in a 4 by 23 pixel frame, home 100,200 (every place, in order)")
    t = Terminal(args.binary, env, frame=(4, 23))
    t.pump(30, b"What is your name? ")
    t.write(b"Bob\na\n" + b"s\na\nn\na\n" * 150)
    end = time.monotonic() + 60
    while len(t.places) < 14 and time.monotonic() < end:
        t.pump(0.05)
    t.finish()
    print(" ".join("%d,%d" % place for place in t.places[:14]))
    with open("/proc/loadavg") as f:
        print("load average " + " ".join(f.read().split()[:3]))


if __name__ == "__main__":
    sys.exit(main())
