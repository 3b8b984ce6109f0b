// How much work the game does per turn, pauses aside.
//
// Plays one scripted game in-process under the virtual clock (pauses end at once): the story,
// then N turns walking back and forth, then a quit. The wall time between the first and the
// last direction answer, divided by the turns, is the game's own cost of a turn (passage line,
// prompt, step, reveal, encounter roll, output).
//
// Usage: vaultreach_benchmark [turns]   (default 10000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "characters/Enemy.h"
#include "support/TestPlatform.h"

namespace {

using tClock = std::chrono::steady_clock;

double Milliseconds(tClock::time_point from, tClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

int main(int argc, char* argv[]) {
    const int turns = argc > 1 ? std::atoi(argv[1]) : 10000;
    std::string walk;
    for (int i = 0; i < turns / 2; ++i) {
        walk += "s\nn\n";
    }

    tClock::time_point firstAnswer;
    tClock::time_point lastAnswer;
    cGameOptions options;
    options.prepare = [&](cSession& session) {
        gEncounterChance = 0;
        session.input().Add("Ann\ns\n");
        session.input().AddAction([&firstAnswer] { firstAnswer = tClock::now(); });
        session.input().Add(walk);
        session.input().AddAction([&lastAnswer] { lastAnswer = tClock::now(); });
        session.input().Add("q\n");
    };
    const tClock::time_point start = tClock::now();
    const cGameResult game = RunGame(options);
    const tClock::time_point end = tClock::now();
    if (game.status != 0) {
        std::fprintf(stderr, "the game ended with status %d\n", game.status);
        return 1;
    }
    const double loop = Milliseconds(firstAnswer, lastAnswer);
    std::printf("turns: %d\n", turns);
    std::printf("whole game in-process: %.1f ms (start-up, story and shutdown included)\n",
                Milliseconds(start, end));
    std::printf("the %d turns: %.1f ms, %.2f us per turn\n", turns, loop, loop * 1000.0 / turns);
    std::printf("transcript: %zu bytes\n", game.transcript.size());
    return 0;
}
