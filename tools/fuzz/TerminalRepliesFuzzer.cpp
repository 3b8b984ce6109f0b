// libFuzzer target for what a terminal sends while the console waits for its answers: the
// answers (background colour, window position and size, device attributes) interleaved with
// keys the player typed, cut into reads anywhere.
//
// The first byte picks a mode:
//  - even: the rest is fed as it is, cut into reads by a second copy of itself; the result must
//    not depend on the cuts, every byte typed must come from the input in order, and input
//    with no escape byte must come out whole;
//  - odd: the rest is a script of typed keys (any byte but escape) and well-formed answers
//    built from the following bytes; the keys must come out exactly, in order, and each answer
//    must be recognised with its values.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/TerminalReplies.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "terminal replies: %s\n", what);
        std::abort();
    }
}

struct cResult {
    std::string typed;
    bool deviceAttributes;
    bool position;
    int x;
    int y;
    bool background;
    int red;
};

cResult Run(const std::string& bytes, const std::vector<std::size_t>& cuts) {
    cTerminalReplies replies;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        const std::size_t length = std::min(cut, bytes.size() - at);
        replies.Feed(bytes.data() + at, length);
        at += length;
    }
    replies.Feed(bytes.data() + at, bytes.size() - at);
    replies.Finish();
    return {replies.typed(), replies.deviceAttributesSeen, replies.positionSeen,  replies.x,
            replies.y,       replies.backgroundSeen,       replies.background.red};
}

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
    std::vector<std::size_t> oneByOne(bytes.size(), 1);
    std::vector<std::size_t> byData;
    for (char c : bytes) {
        byData.push_back(static_cast<unsigned char>(c) % 17);
    }
    const cResult whole = Run(bytes, {});
    const cResult single = Run(bytes, oneByOne);
    const cResult cut = Run(bytes, byData);
    for (const cResult* other : {&single, &cut}) {
        Check(other->typed == whole.typed, "typed keys depend on how the reads were cut");
        Check(other->deviceAttributes == whole.deviceAttributes &&
                  other->position == whole.position && other->x == whole.x && other->y == whole.y &&
                  other->background == whole.background && other->red == whole.red,
              "answers depend on how the reads were cut");
    }
    Check(IsSubsequence(whole.typed, bytes), "typed bytes that were never sent");
    if (bytes.find('\x1b') == std::string::npos) {
        Check(whole.typed == bytes, "a key was lost");
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
            if (c != 0x1b) {
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
    std::vector<std::size_t> cuts;
    for (char c : script) {
        cuts.push_back(static_cast<unsigned char>(c) % 7 + 1);
    }
    const cResult result = Run(bytes, cuts);
    Check(result.typed == keys, "the typed keys did not come out exactly, in order");
    Check(result.deviceAttributes == wantDevice, "device attributes missed or invented");
    Check(wantX < 0 || (result.position && result.x == wantX && result.y == wantY),
          "position missed");
    Check(wantRed < 0 || (result.background && result.red == wantRed), "background missed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        Raw(rest);
    } else {
        Scripted(rest);
    }
    return 0;
}
