// libFuzzer target for what a terminal sends while the console waits for its answers: the
// answers (background colour, window position and size, device attributes) interleaved with
// keys the player typed, cut into reads anywhere.
//
// The first byte picks a mode (its remainder by 3):
//  - 0: the rest is fed as it is, cut into reads by a second copy of itself; the result must
//    not depend on the cuts, every byte typed must come from the input in order, and input
//    with no byte that can start a sequence must come out whole;
//  - 1: the rest is a script of typed keys (any byte that cannot start a sequence) and
//    well-formed answers built from the following bytes; the keys must come out exactly, in
//    order, and each answer must be recognised with its values;
//  - 2: the rest is a script of typed lines (a name, answers) with replies arriving between
//    them at any point: good answers, answers no parser could use, keys that are not text, 8-bit
//    and UTF-8 forms, replies kilobytes long. The lines must come out exactly as typed, however
//    the reads are cut.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/terminal/TerminalReplies.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "terminal replies: %s\n", what);
        std::abort();
    }
}

// The answers recognised, as one value to compare.
auto Answers(const cTerminalReplies& replies) {
    return std::make_tuple(replies.deviceAttributes > 0, replies.positionSeen, replies.x, replies.y,
                           replies.backgroundSeen, replies.background.red);
}

cTerminalReplies Run(const std::string& bytes, const std::vector<std::size_t>& cuts) {
    cTerminalReplies replies;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        const std::size_t length = std::min(cut, bytes.size() - at);
        replies.Feed(bytes.data() + at, length);
        at += length;
    }
    replies.Feed(bytes.data() + at, bytes.size() - at);
    replies.Finish();
    return replies;
}

// Read lengths taken from the bytes themselves: each one's remainder by modulus, plus offset.
std::vector<std::size_t> CutsFrom(const std::string& bytes, unsigned modulus, unsigned offset) {
    std::vector<std::size_t> cuts;
    for (char c : bytes) {
        cuts.push_back(static_cast<unsigned char>(c) % modulus + offset);
    }
    return cuts;
}

// Feeds bytes whole, a byte a read, and cut as given; what comes out must not depend on the cuts.
cTerminalReplies RunCutAnyway(const std::string& bytes, const std::vector<std::size_t>& cuts) {
    const cTerminalReplies whole = Run(bytes, {});
    for (const cTerminalReplies& other :
         {Run(bytes, std::vector<std::size_t>(bytes.size(), 1)), Run(bytes, cuts)}) {
        Check(other.typed() == whole.typed(), "typed keys depend on how the reads were cut");
        Check(Answers(other) == Answers(whole), "answers depend on how the reads were cut");
    }
    return whole;
}

// Every byte that may start a sequence, alone or as the lead of its UTF-8 form.
const std::string kIntroducers("\x1b\x8f\x90\x9b\x9d\xc2");

bool IsSubsequence(const std::string& part, const std::string& whole) {
    std::size_t at = 0;
    for (char c : part) {
        at = whole.find(c, at);
        if (at == std::string::npos) {
            return false;
        }
        ++at;
    }
    return true;
}

void Raw(const std::string& bytes) {
    const cTerminalReplies whole = RunCutAnyway(bytes, CutsFrom(bytes, 17, 0));
    Check(IsSubsequence(whole.typed(), bytes), "typed bytes that were never sent");
    if (bytes.find_first_of(kIntroducers) == std::string::npos) {
        Check(whole.typed() == bytes, "a key was lost");
    }
}

void Scripted(const std::string& script) {
    std::string bytes;
    std::string keys;
    bool wantDevice = false;
    int wantX = -1;
    int wantY = -1;
    int wantRed = -1;
    std::size_t i = 0;
    const auto next = [&]() -> unsigned {
        return i < script.size() ? static_cast<unsigned char>(script[i++]) : 0u;
    };
    while (i < script.size()) {
        const unsigned c = next();
        if (c < 0xF0) {
            if (kIntroducers.find(static_cast<char>(c)) == std::string::npos) {
                bytes += static_cast<char>(c);
                keys += static_cast<char>(c);
            }
            continue;
        }
        switch (c % 4) {
            case 0: {
                const unsigned x = next() * 256 + next();
                const unsigned y = next();
                bytes += "\x1b[3;" + std::to_string(x) + ";" + std::to_string(y) + "t";
                wantX = static_cast<int>(x);
                wantY = static_cast<int>(y);
                break;
            }
            case 1: {
                const unsigned red = next();
                char colour[64];
                std::snprintf(colour, sizeof colour, "\x1b]11;rgb:%02x%02x/%x/%04x%s", red, red,
                              next() % 16, next(), (c & 8) ? "\x07" : "\x1b\\");
                bytes += colour;
                wantRed = static_cast<int>(red);
                break;
            }
            case 2:
                bytes += "\x1b[4;" + std::to_string(next()) + ";" + std::to_string(next()) + "t";
                break;
            default:
                bytes += (c & 8) ? "\x1b[?64;1;2;6;22c" : "\x1b[?6c";
                wantDevice = true;
                break;
        }
    }
    const cTerminalReplies result = Run(bytes, CutsFrom(script, 7, 1));
    Check(result.typed() == keys, "the typed keys did not come out exactly, in order");
    Check((result.deviceAttributes > 0) == wantDevice, "device attributes missed or invented");
    Check(wantX < 0 || (result.positionSeen && result.x == wantX && result.y == wantY),
          "position missed");
    Check(wantRed < 0 || (result.backgroundSeen && result.background.red == wantRed),
          "background missed");
}

// What a terminal may send between two typed lines, chosen by one byte (and a length byte).
std::string Reply(unsigned choice, unsigned length) {
    static const char* const kReplies[] = {
        "\x1b]11;rgb:0000/0000/0000\x1b\\\x1b[3;100;200t\x1b[4;480;800t\x1b[?62c",
        "\x9d"
        "11;rgb:ff/ff/ff\x9c",
        "\xc2\x9d"
        "11;rgb:ff/ff/ff\xc2\x9c\xc2\x9b?1c",
        "\x1b[?62;c",
        "\x1b]11;rgba:1/2/3/4\x07",
        "\x1b]11;#ffffff\x1b\\",
        "\x1b]11;rgb:1/2/\x07",
        "\x1b[3;-1;5t",
        "\x1b[4;999999;999999t",
        "\x1b[A\x1b[D\x1bOP\x8fQ",
        "\x1bP1$r0m\x1b\\",
        "\x9b?1c",
    };
    constexpr unsigned kCount = sizeof kReplies / sizeof kReplies[0];
    if (choice % (kCount + 1) == kCount) {
        // A reply far longer than any answer, ended properly.
        return "\x1b]11;rgb:" + std::string(length * 64, 'f') + "\x07";
    }
    return kReplies[choice % (kCount + 1)];
}

void Lines(const std::string& script) {
    std::string bytes;
    std::string typed;
    std::size_t i = 0;
    const auto next = [&]() -> unsigned {
        return i < script.size() ? static_cast<unsigned char>(script[i++]) : 0u;
    };
    while (i < script.size()) {
        const unsigned c = next();
        if (c >= 0xF0) {
            // Between lines; the previous line, if any, has ended.
            const unsigned choice = next();
            bytes += Reply(choice, next());
            continue;
        }
        // One line: up to 15 bytes of typed text, then its line end.
        for (unsigned k = 0; k < c % 16 && i < script.size(); ++k) {
            const unsigned key = next();
            if (kIntroducers.find(static_cast<char>(key)) == std::string::npos && key != '\n') {
                bytes += static_cast<char>(key);
                typed += static_cast<char>(key);
            }
        }
        bytes += '\n';
        typed += '\n';
    }
    Check(RunCutAnyway(bytes, CutsFrom(script, 31, 1)).typed() == typed,
          "the typed lines did not come out exactly as typed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 3 == 0) {
        Raw(rest);
    } else if (data[0] % 3 == 1) {
        Scripted(rest);
    } else {
        Lines(rest);
    }
    return 0;
}
