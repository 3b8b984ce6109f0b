#include "platform/Text.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

bool ParseDecimalInteger(const std::string& text, std::int32_t& value) {
    const std::size_t digits = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (digits == text.size()) {
        return false;
    }
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
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
    if (text.size() <= kLogExcerptBytes) {
        return text;
    }
    return text.substr(0, kLogExcerptBytes) + "...";
}
