#include "platform/TerminalReplies.h"

#include <vector>

namespace {

constexpr char kEscape = '\x1b';
constexpr char kBell = '\x07';
constexpr std::size_t kMaxDigits = 6;

// Reads "n;n;...;n" of decimal numbers, each of 1 to kMaxDigits digits.
bool ReadNumbers(const std::string& text, std::vector<int>& numbers) {
    numbers.clear();
    std::size_t digits = 0;
    int value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > kMaxDigits) {
                return false;
            }
            value = value * 10 + (c - '0');
        } else if (c == ';' && digits > 0) {
            numbers.push_back(value);
            digits = 0;
            value = 0;
        } else {
            return false;
        }
    }
    if (digits == 0) {
        return false;
    }
    numbers.push_back(value);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// One component of rgb:R/G/B, 1 to 4 hex digits, scaled to 0..255.
bool ReadComponent(const std::string& text, std::size_t& at, char end, int& value) {
    int raw = 0;
    int digits = 0;
    while (at < text.size() && text[at] != end) {
        const int digit = HexDigit(text[at]);
        if (digit < 0 || ++digits > 4) {
            return false;
        }
        raw = raw * 16 + digit;
        ++at;
    }
    if (digits == 0 || (end != '\0' && at >= text.size())) {
        return false;
    }
    const int top = (1 << (4 * digits)) - 1;
    value = (raw * 255 + top / 2) / top;
    ++at;
    return true;
}

}  // namespace

void cTerminalReplies::Feed(const char* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        Take(data[i]);
    }
}

void cTerminalReplies::Finish() {
    m_typed += m_held;
    m_held.clear();
    m_state = eState::Text;
}

std::string cTerminalReplies::TakeTyped() {
    std::string typed;
    typed.swap(m_typed);
    return typed;
}

void cTerminalReplies::Take(char c) {
    if (m_state == eState::Text) {
        if (c == kEscape) {
            m_held.assign(1, c);
            m_state = eState::Escape;
        } else {
            m_typed += c;
        }
        return;
    }
    if (m_held.size() >= kMaxReplyLength) {
        // Too long for any answer: it was typed, and this byte starts afresh.
        Finish();
        Take(c);
        return;
    }
    m_held += c;
    switch (m_state) {
        case eState::Escape:
            if (c == '[') {
                m_state = eState::Control;
            } else if (c == ']') {
                m_state = eState::Command;
            } else {
                Reject(1);
            }
            break;
        case eState::Control:
            if (c >= 0x40 && c <= 0x7e) {
                Complete();
            } else if (c < 0x20 || c > 0x3f) {
                Reject(1);  // not the body of a control sequence
            }
            break;
        case eState::Command:
            if (c == kBell) {
                Complete();
            } else if (c == kEscape) {
                m_state = eState::CommandEscape;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                Reject(1);
            }
            break;
        case eState::CommandEscape:
            if (c == '\\') {
                Complete();
            } else {
                Reject(2);
            }
            break;
        case eState::Text:
            break;
    }
}

void cTerminalReplies::Reject(std::size_t replayed) {
    // The last bytes may start something new (an escape begins the next answer): only what
    // comes before them is surely typed.
    const std::string again = m_held.substr(m_held.size() - replayed);
    m_held.resize(m_held.size() - replayed);
    Finish();
    for (char c : again) {
        Take(c);
    }
}

void cTerminalReplies::Complete() {
    const bool answer = m_state == eState::Control ? ParseControl() : ParseCommand();
    if (answer) {
        m_held.clear();
        m_state = eState::Text;
    } else {
        Finish();
    }
}

bool cTerminalReplies::ParseControl() {
    // m_held is ESC [ body final
    const char final = m_held.back();
    const std::string body = m_held.substr(2, m_held.size() - 3);
    std::vector<int> numbers;
    if (final == 'c') {
        if (body.empty() || body[0] != '?') {
            return false;
        }
        if (body.size() > 1 && !ReadNumbers(body.substr(1), numbers)) {
            return false;
        }
        deviceAttributesSeen = true;
        return true;
    }
    if (final != 't' || !ReadNumbers(body, numbers) || numbers.size() != 3) {
        return false;
    }
    if (numbers[0] == 3) {
        positionSeen = true;
        x = numbers[1];
        y = numbers[2];
        return true;
    }
    if (numbers[0] == 4) {
        sizeSeen = true;
        height = numbers[1];
        width = numbers[2];
        return true;
    }
    return false;
}

bool cTerminalReplies::ParseCommand() {
    // m_held is ESC ] body BEL, or ESC ] body ESC backslash
    const std::size_t tail = m_held.back() == kBell ? 1 : 2;
    const std::string body = m_held.substr(2, m_held.size() - 2 - tail);
    const std::string prefix = "11;rgb:";
    if (body.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    std::size_t at = prefix.size();
    cRgb colour;
    if (!ReadComponent(body, at, '/', colour.red) || !ReadComponent(body, at, '/', colour.green) ||
        !ReadComponent(body, at, '\0', colour.blue) || at != body.size() + 1) {
        return false;
    }
    backgroundSeen = true;
    background = colour;
    return true;
}
