#include "platform/terminal/TerminalReplies.h"

#include <utility>
#include <vector>

namespace {

constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kBell = 0x07;
// The 8-bit forms of the introducers and of the string terminator.
constexpr unsigned char kSs3 = 0x8F;
constexpr unsigned char kDcs = 0x90;
constexpr unsigned char kCsi = 0x9B;
constexpr unsigned char kSt = 0x9C;
constexpr unsigned char kOsc = 0x9D;
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
    numbers.push_back(value);
    return digits > 0;
}

// The value of a hex digit in either case, -1 for anything else.
int HexDigit(char c) {
    static const std::string kDigits = "0123456789abcdefABCDEF";
    const std::size_t at = kDigits.find(c);
    return at == std::string::npos ? -1 : static_cast<int>(at < 16 ? at : at - 6);
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
        Take(static_cast<unsigned char>(data[i]));
    }
}

void cTerminalReplies::Finish() {
    if (m_state == eState::Escape) {
        m_typed += kEscape;
    } else if (m_state == eState::Lead) {
        m_typed += '\xc2';
    }
    m_state = eState::Text;
    m_body.clear();
    m_continuations = 0;
}

std::string cTerminalReplies::TakeTyped() {
    return std::exchange(m_typed, std::string());
}

void cTerminalReplies::Start(unsigned char introducer) {
    m_kind = introducer == '[' || introducer == kCsi   ? eKind::Control
             : introducer == ']' || introducer == kOsc ? eKind::Command
             : introducer == 'P' || introducer == kDcs ? eKind::Device
                                                       : eKind::Single;
    m_body.clear();
    m_overflowed = false;
    m_state = m_kind == eKind::Control  ? eState::Control
              : m_kind == eKind::Single ? eState::Single
                                        : eState::String;
}

void cTerminalReplies::Hold(unsigned char c) {
    if (m_body.size() < kMaxReplyLength) {
        m_body += static_cast<char>(c);
    } else {
        m_overflowed = true;
    }
}

void cTerminalReplies::Take(unsigned char c) {
    switch (m_state) {
        case eState::Text:
            if (m_continuations > 0 && c >= 0x80 && c <= 0xBF) {
                --m_continuations;
                m_typed += static_cast<char>(c);
                return;
            }
            m_continuations = 0;
            if (c == kEscape) {
                m_state = eState::Escape;
            } else if (c == 0xC2) {
                m_state = eState::Lead;  // U+0080 to U+00BF: maybe an introducer in UTF-8
            } else if (c == kCsi || c == kOsc || c == kDcs || c == kSs3) {
                Start(c);
            } else {
                m_typed += static_cast<char>(c);
                m_continuations = c >= 0xC3 && c <= 0xDF   ? 1
                                  : c >= 0xE0 && c <= 0xEF ? 2
                                  : c >= 0xF0 && c <= 0xF4 ? 3
                                                           : 0;
            }
            return;
        case eState::Lead:
            if (c == kCsi || c == kOsc || c == kDcs || c == kSs3) {
                Start(c);
                return;
            }
            m_typed += '\xc2';
            m_state = eState::Text;
            m_continuations = 1;
            Take(c);
            return;
        case eState::Escape:
            if (c == '[' || c == ']' || c == 'P' || c == 'O') {
                Start(c);
                return;
            }
            // Not a sequence: the player's own escape key.
            m_typed += kEscape;
            m_state = eState::Text;
            Take(c);
            return;
        case eState::Control:
        case eState::Single:
            if (c < 0x20 || c > 0x7E) {
                BreakOff(c);
                return;
            }
            Hold(c);
            // CSI's parameter and intermediate bytes go on to a final byte; SS3 has one byte.
            if (c >= 0x40 || m_state == eState::Single) {
                Complete();
            }
            return;
        case eState::String:
            if (c == kBell || c == kSt) {
                if (c == kSt && !m_body.empty() && m_body.back() == '\xc2') {
                    m_body.pop_back();  // ST in its UTF-8 form
                }
                Complete();
            } else if (c == kEscape) {
                m_state = eState::StringEscape;
            } else if (c < 0x20) {
                BreakOff(c);
            } else {
                Hold(c);
            }
            return;
        case eState::StringEscape:
            if (c == '\\') {
                Complete();
            } else {
                // An escape that does not end the string starts whatever comes next.
                m_body.clear();
                m_state = eState::Escape;
                Take(c);
            }
            return;
    }
}

void cTerminalReplies::BreakOff(unsigned char c) {
    m_body.clear();
    m_state = eState::Text;
    Take(c);
}

void cTerminalReplies::Complete() {
    if (!m_overflowed) {
        if (m_kind == eKind::Control) {
            const char final = m_body.back();
            m_body.pop_back();
            ParseControl(final);
        } else if (m_kind == eKind::Command) {
            ParseCommand();
        }
    }
    m_body.clear();
    m_state = eState::Text;
}

bool cTerminalReplies::ParseControl(char final) {
    std::vector<int> numbers;
    if (final == 'c') {
        if (m_body.empty() || m_body[0] != '?' ||
            (m_body.size() > 1 && !ReadNumbers(m_body.substr(1), numbers))) {
            return false;
        }
        ++deviceAttributes;
        return true;
    }
    if (final != 't' || !ReadNumbers(m_body, numbers) || numbers.size() != 3) {
        return false;
    }
    if (numbers[0] == 3) {
        positionSeen = true;
        positionAfterAttributes = deviceAttributes;
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
    const std::string prefix = "11;rgb:";
    if (m_body.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    std::size_t at = prefix.size();
    cRgb colour;
    if (!ReadComponent(m_body, at, '/', colour.red) ||
        !ReadComponent(m_body, at, '/', colour.green) ||
        !ReadComponent(m_body, at, '\0', colour.blue) || at != m_body.size() + 1) {
        return false;
    }
    backgroundSeen = true;
    background = colour;
    return true;
}
