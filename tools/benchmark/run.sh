#!/usr/bin/env bash
# Measures the game's speed and memory on a Release build:
#  - the game's own work per turn, from a 10,000-turn scripted walk under the virtual clock;
#  - start-up to the first byte of output of the real program (output to a pipe);
#  - peak memory (maximum resident set size) of the real program over a short game.
# A build folder without the benchmark is configured (a Release build, on a new folder) and
# built with the measuring programs first; one that has it is used as it is (the suite runs this
# script on its own build, with few turns, to prove that it still works).
# Usage: tools/benchmark/run.sh [build dir] [turns]   (defaults build-release and 10000)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build-release}"
turns="${2:-10000}"
if [ ! -x "$build/tools/vaultreach_benchmark" ]; then
  release=()
  [ -f "$build/CMakeCache.txt" ] || release=(-DCMAKE_BUILD_TYPE=Release)
  "$root/tools/setup.sh" "$build" "${release[@]}" -DVAULTREACH_MEASURE=ON >/dev/null
fi

"$build/tools/vaultreach_benchmark" "$turns"

cd "$build/run"
python3 - "$build/run/vaultreach" "$(( turns >= 10000 ? 20 : 3 ))" <<'PY'
import os, resource, subprocess, sys, time
binary = sys.argv[1]
env = dict(os.environ, SDL_AUDIODRIVER=os.environ.get("SDL_AUDIODRIVER", "dummy"))
firsts = []
for _ in range(int(sys.argv[2])):
    start = time.perf_counter()
    game = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, env=env)
    game.stdout.read(1)
    firsts.append((time.perf_counter() - start) * 1000)
    game.kill()
    game.wait()
firsts.sort()
print("start-up to first byte: median %.1f ms, best %.1f ms, worst %.1f ms" %
      (firsts[len(firsts) // 2], firsts[0], firsts[-1]))
# A short real game for the peak memory, on the tests' preloaded clock so its pauses pass at once.
clock = os.path.join(os.path.dirname(os.path.dirname(binary)), "tests",
                     "libvaultreach_preload_clock.so")
game_env = dict(env, LD_PRELOAD=clock, ASAN_OPTIONS="verify_asan_link_order=0") if os.path.exists(clock) else env
subprocess.run([binary], input=b"Ann\ns\ns\nm\nc\nq\n\n", stdout=subprocess.DEVNULL,
               stderr=subprocess.DEVNULL, env=game_env, timeout=300)
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
print("peak memory (max RSS of the game and its helpers): %.1f MB" % (peak / 1024.0))
PY
