#!/usr/bin/env python3
"""Measures the game's waits and writes as a player's machine sees them.

Usage: tools/terminal/measure.py WHAT BINARY [options]
  cpu BINARY           a scripted game in real time (title, story, one turn) on a pipe:
                       wall time, processor time and its share of the wall time
  turn-cpu BINARY      the game's own processor time per turn on a pipe, over the turns after
                       the tenth (which have no pause), in a real-time game of 10 + --turns
  writes BINARY        write() calls per turn on a pipe: a game of 0 and one of --turns turns
                       (each turn walks into a wall), counted with strace; --preload LIB runs
                       the game on the tests' preloaded clock so its pauses take no time
  first-text BINARY    time from start to the first text on a pseudo-terminal, over --runs
                       runs, with a terminal that answers Device Attributes (as every real
                       one does) and with a silent one
  shake TIMING         how long one shake takes (TIMING is vaultreach_platform_timing), on a
                       pseudo-terminal that answers Device Attributes only, and on one that
                       also reports its window's position
  pause TIMING         overshoot of pauses past their limits and the processor time they use

BINARY is a game binary beside its data files (build/run/vaultreach). Every figure comes with
the machine's load from /proc/loadavg.
"""
import argparse
import os
import pty
import re
import resource
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def load():
    with open("/proc/loadavg") as f:
        return "load average " + " ".join(f.read().split()[:3])


def scratch_copy(binary):
    """A scratch directory with the game's data, so runs never touch the build's save."""
    source = os.path.dirname(os.path.abspath(binary))
    directory = tempfile.mkdtemp(prefix="vaultreach-measure-")
    for name in os.listdir(source):
        path = os.path.join(source, name)
        if os.path.isfile(path):
            shutil.copy2(path, directory)
    return directory, os.path.join(directory, os.path.basename(binary))


def game_env(extra=None):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    env.update(extra or {})
    return env


def script(turns):
    return ("Ann\na\n" + "n\n" * turns + "q\n\n").encode()


def cpu(args):
    directory, binary = scratch_copy(args.binary)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run([binary], input=script(1), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, cwd=directory, env=game_env(), timeout=600)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    used = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    print("real-time game on a pipe: wall %.1f s, processor %.2f s (%.1f%% of the wall time); %s"
          % (wall, used, 100 * used / wall, load()))
    shutil.rmtree(directory)


def process_cpu(pid):
    """Processor time of a running process so far, in seconds, from /proc."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def turn_cpu(args):
    """Games of 10 + N turns on a pipe; the processor time is read when the 11th turn's
    question comes out and again at the end, so the title and the paused first turns (which
    vary with the machine's load when pauses spin) stay out of it."""
    directory, binary = scratch_copy(args.binary)
    question = b"Which way do you want to go?"
    game = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, cwd=directory, env=game_env())
    game.stdin.write(script(10 + args.turns))
    game.stdin.close()
    seen = b""
    asked = 0
    sample = None
    while True:
        chunk = game.stdout.read1(65536)
        if not chunk:
            break
        seen = seen[-(len(question) - 1):] + chunk
        asked += seen.count(question)
        if sample is None and asked >= 11:
            sample = (process_cpu(game.pid), asked)
    _, status, usage = os.wait4(game.pid, 0)
    total = usage.ru_utime + usage.ru_stime
    turns = 10 + args.turns + 1 - sample[1]
    print("processor time per turn on a pipe: %.1f us over the last %d turns (clock ticks of "
          "%.0f ms); %s" % (1e6 * (total - sample[0]) / turns, turns,
                            1000 / os.sysconf("SC_CLK_TCK"), load()))
    shutil.rmtree(directory)


def count_writes(binary, directory, turns, extra_env):
    log = os.path.join(directory, "strace.log")
    subprocess.run(["strace", "-f", "-c", "-e", "trace=write", "-o", log, binary],
                   input=script(turns), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   cwd=directory, env=game_env(extra_env), timeout=1200)
    with open(log) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] == "write":
                return int(fields[3])
    return 0


def writes(args):
    directory, binary = scratch_copy(args.binary)
    extra = {"LD_PRELOAD": os.path.abspath(args.preload),
             "ASAN_OPTIONS": "verify_asan_link_order=0"} if args.preload else {}
    none = count_writes(binary, directory, 0, extra)
    many = count_writes(binary, directory, args.turns, extra)
    print("write() calls on a pipe: %d for a game of no turns, %d for %d turns: %.1f per turn; %s"
          % (none, many, args.turns, (many - none) / args.turns, load()))
    shutil.rmtree(directory)


def answer(master, pending, position):
    """Answers the questions found in what the game wrote, as a terminal would."""
    replies = b""
    if position:
        replies += b"\x1b[3;100;107t" * pending.count(b"\x1b[13t")
    replies += b"\x1b[?64;1;2c" * len(re.findall(rb"\x1b\[c", pending))
    if replies:
        os.write(master, replies)


def first_text(args):
    directory, binary = scratch_copy(args.binary)
    for answers in (True, False):
        times = []
        for _ in range(args.runs):
            start = time.monotonic()
            pid, master = pty.fork()
            if pid == 0:
                os.chdir(directory)
                os.execve(binary, [binary], game_env({"TERM": "xterm-256color"}))
            seen = b""
            while select.select([master], [], [], 5)[0]:
                chunk = os.read(master, 4096)
                seen += chunk
                if answers:
                    answer(master, chunk, False)
                if b"Vaultreach v" in seen:
                    times.append((time.monotonic() - start) * 1000)
                    break
            os.kill(pid, 9)
            os.waitpid(pid, 0)
            os.close(master)
        print("first text on a pseudo-terminal %s: median %.1f ms, best %.1f ms, worst %.1f ms "
              "over %d runs; %s" % ("answering Device Attributes" if answers else "answering nothing",
                                    statistics.median(times), min(times), max(times), len(times),
                                    load()))
    shutil.rmtree(directory)


def shake(args):
    for position in (False, True):
        results = tempfile.mktemp(prefix="vaultreach-shakes-")
        pid, master = pty.fork()
        if pid == 0:
            os.execve(args.binary, [args.binary, "shake", str(args.runs), results],
                      dict(os.environ, TERM="xterm-256color"))
        while select.select([master], [], [], 10)[0]:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                break
            if not chunk:
                break
            answer(master, chunk, position)
        os.waitpid(pid, 0)
        with open(results) as f:
            times = [float(line) for line in f if line.strip()]
        os.unlink(results)
        print("shake on a terminal %s: median %.1f ms, worst %.1f ms over %d shakes; %s"
              % ("reporting its position" if position else "not reporting its position",
                 statistics.median(times), max(times), len(times), load()))


def pause(args):
    subprocess.run([args.binary, "pause", str(args.runs), "100"], check=True)
    print(load())


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    measures = {"cpu": cpu, "turn-cpu": turn_cpu, "writes": writes, "first-text": first_text,
                "shake": shake, "pause": pause}
    parser.add_argument("what", choices=measures)
    parser.add_argument("binary")
    parser.add_argument("--turns", type=int, default=20)
    parser.add_argument("--runs", type=int, default=20)
    parser.add_argument("--preload")
    args = parser.parse_args()
    measures[args.what](args)


if __name__ == "__main__":
    sys.exit(main())
