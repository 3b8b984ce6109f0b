// libFuzzer target: every input is the whole standard input of one game, played in-process
// under the virtual clock with the silent audio backend, in one scratch directory that holds
// the data files.
//
// The first two bytes pick the encounter chance and the seed (GameFromFuzzInput); the rest is
// typed.
//
// Besides the sanitizers' reports, a game fails (and the fuzzer stops with the input saved)
// when it ends with a status other than 0, leaves no save that reads back, does not give the
// console back, or keeps asking after the input has ended. A game that never ends is caught by
// the fuzzer's -timeout.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/SoakRunner.h"

namespace {

cSoakRunner& Runner() {
    static cSoakRunner runner;
    runner.hangSeconds = 0;  // -timeout does it, and saves the input
    return runner;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const cSoakGame game =
        GameFromFuzzInput(std::string(reinterpret_cast<const char*>(data), size));
    const cSoakOutcome outcome = Runner().Play(game);
    const std::string faults = outcome.Faults();
    if (!faults.empty()) {
        const std::string& transcript = outcome.transcript;
        std::fprintf(stderr, "Vaultreach game failed (encounter chance %d, seed %lld):\n%s",
                     static_cast<int>(game.encounterChance), static_cast<long long>(game.seed),
                     faults.c_str());
        std::fprintf(
            stderr, "end of the transcript: %s\n",
            EscapeBytes(transcript.substr(transcript.size() > 2000 ? transcript.size() - 2000 : 0))
                .c_str());
        std::abort();
    }
    return 0;
}
