#include "text/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "platform/Console.h"

bool ParseDecimalInteger(const std::string& text, std::int32_t& value) {
    const std::size_t digits = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (digits == text.size() || text.find_first_not_of("0123456789", digits) != text.npos) {
        return false;
    }
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || parsed < std::numeric_limits<std::int32_t>::min() ||
        parsed > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    value = static_cast<std::int32_t>(parsed);
    return true;
}

std::string LogExcerpt(const std::string& text) {
    return text.size() <= kLogExcerptBytes ? text : text.substr(0, kLogExcerptBytes) + "...";
}

std::size_t Utf8CharacterLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    if (at >= text.size()) {
        return 0;
    }
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned low = 0x80;  // the range of the first continuation byte
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

std::size_t Utf8Cut(const std::string& text, std::size_t limit) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = std::max<std::size_t>(Utf8CharacterLength(text, at), 1);
        if (at + length > limit) {
            break;
        }
        at += length;
    }
    return std::min(at, limit);
}

std::string ShownText(const std::string& text) {
    if (gConsoleOutput == nullptr || !gConsoleOutput->ActsOnControlBytes()) {
        return text;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8CharacterLength(text, at);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            shown += {'^', static_cast<char>(byte ^ 0x40)};
            ++at;
        } else if (length == 0 ||
                   (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0)) {
            // Not a letter, or a C1 control (U+0080 to U+009F): each byte as text.
            for (std::size_t end = at + std::max<std::size_t>(length, 1); at < end; ++at) {
                const auto raw = static_cast<unsigned char>(text[at]);
                shown += {'\\', 'x', kHex[raw >> 4], kHex[raw & 0xF]};
            }
        } else {
            shown.append(text, at, length);
            at += length;
        }
    }
    return shown;
}
