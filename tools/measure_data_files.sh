#!/usr/bin/env bash
# How long the game takes to start, and how much memory it takes, with the worst data files we
# can think of: each row is one data file set (the shipped files with one or more replaced),
# the time from the start of the process to the title's first line, and the peak memory
# (maximum resident set size) up to then. The goal for every row: under 1 s and under 64 MB.
# Usage: tools/measure_data_files.sh [build dir]   (default build; the game must be built)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
binary="$(cd "$build" && pwd)/vaultreach"
[ -x "$binary" ] || { echo "no game at $binary: build it first" >&2; exit 1; }

python3 - "$binary" "$root/data" <<'PY'
import os, shutil, signal, struct, subprocess, sys, tempfile, time

binary, data = sys.argv[1], sys.argv[2]
MB = 1024 * 1024

def wav(seconds, rate, bits, channels):
    width = bits // 8
    frames = int(seconds * rate)
    size = frames * width * channels
    body = (bytes(range(256)) * (size // 256 + 1))[:size]
    return (b"RIFF" + struct.pack("<I", 36 + len(body)) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * width * channels,
                        width * channels, bits) + b"data" + struct.pack("<I", len(body)) + body)

def sparse(path, size):
    with open(path, "wb") as f:
        f.truncate(size)

def write(path, content):
    with open(path, "wb") as f:
        f.write(content if isinstance(content, bytes) else content.encode())

def sounds_list(effects, music=()):
    lines = ["sounds"] + ["%s %s" % e for e in effects] + [";"]
    lines += ["%s %s %d" % m for m in music]
    return "\n".join(lines) + "\n"

def shipped(d):
    pass

def weapons_gib_of_zeros(d):
    sparse(os.path.join(d, "Weapons.txt"), 1024 * MB)

def weapons_megabyte_of_records(d):
    records, i, size = [], 0, 0
    while size < MB - 32:
        records.append("W%d %d %d\n" % (i, i % 20, 1 + i % 7))
        size += len(records[-1])
        i += 1
    write(os.path.join(d, "Weapons.txt"), "Sword 10 2\nAxe 12 6\n" + "".join(records))

def weapons_megabyte_of_bad_records(d):
    write(os.path.join(d, "Weapons.txt"), "Sword 10 2\nAxe 12 6\n" + "x\n" * (MB // 2 - 16))

def sounds_gib_of_zeros(d):
    sparse(os.path.join(d, "sounds.txt"), 1024 * MB)

def sounds_one_wav_20000_times(d):
    write(os.path.join(d, "sounds.txt"),
          sounds_list([("clash.wav", "e%d" % i) for i in range(20000)], [("intro.ogg", "introb", -1)]))

def widest_effects(d, count):
    # 8-bit mono at 4 kHz grows the most when it is converted to the mixer's 16-bit stereo.
    effects = []
    for i in range(count):
        name = "fx%d.wav" % i
        write(os.path.join(d, name), wav(64 * 1024 / 4000.0, 4000, 8, 1))
        effects.append((name, "fx%d" % i))
    return effects

def sounds_widest_effects(d):
    effects = widest_effects(d, 256)
    write(os.path.join(d, "sounds.txt"), sounds_list(effects, [("intro.ogg", "introb", -1)]))

def many_music_files(d, count):
    with open(os.path.join(data, "intro.ogg"), "rb") as f:
        ogg = f.read()
    music = []
    for i in range(count):
        name = "m%d.ogg" % i
        write(os.path.join(d, name), ogg[:32 * 1024])
        music.append((name, "m%d" % i, 1))
    return music

def sounds_many_music_files(d):
    music = many_music_files(d, 255)
    write(os.path.join(d, "sounds.txt"), sounds_list([], music + [("intro.ogg", "introb", -1)]))

def largest_pictures_and_pages(d):
    write(os.path.join(d, "gnomeofantithesis.txt"), b"#" * (16 * MB))
    write(os.path.join(d, "Plot Point 1.txt"), b"1" * MB)
    write(os.path.join(d, "Plot Point 2.txt"), b"2" * MB)

def everything_at_once(d):
    weapons_megabyte_of_bad_records(d)
    music = many_music_files(d, 200)
    write(os.path.join(d, "sounds.txt"), sounds_list(widest_effects(d, 55), music))
    largest_pictures_and_pages(d)

cases = [shipped, weapons_gib_of_zeros, weapons_megabyte_of_records,
         weapons_megabyte_of_bad_records, sounds_gib_of_zeros, sounds_one_wav_20000_times,
         sounds_widest_effects, sounds_many_music_files, largest_pictures_and_pages,
         everything_at_once]

env = dict(os.environ, SDL_AUDIODRIVER=os.environ.get("SDL_AUDIODRIVER", "dummy"))
worst_time, worst_memory = 0.0, 0.0
print("%-34s %9s %9s" % ("data file set", "start s", "peak MB"))
for case in cases:
    d = tempfile.mkdtemp(prefix="vaultreach-data-")
    try:
        for name in os.listdir(data):
            shutil.copy(os.path.join(data, name), d)
        case(d)
        start = time.perf_counter()
        game = subprocess.Popen([binary], cwd=d, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, env=env)
        seen = b""
        while b"Vaultreach v" not in seen:
            chunk = game.stdout.read1(4096)
            if not chunk:
                break
            seen += chunk
        elapsed = time.perf_counter() - start
        # The process's own high-water mark (a child's rusage would count the forked script).
        with open("/proc/%d/status" % game.pid) as status:
            peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM")) / 1024.0
        game.send_signal(signal.SIGKILL)
        game.wait()
        game.stdout.close()
        worst_time, worst_memory = max(worst_time, elapsed), max(worst_memory, peak)
        print("%-34s %9.3f %9.1f" % (case.__name__, elapsed, peak), flush=True)
    finally:
        shutil.rmtree(d)
print("worst: %.3f s, %.1f MB (goal: under 1 s and under 64 MB); load: %s" %
      (worst_time, worst_memory, open("/proc/loadavg").read().split()[0]))
PY
