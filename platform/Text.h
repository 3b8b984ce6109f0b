#ifndef VAULTREACH_PLATFORM_TEXT_H
#define VAULTREACH_PLATFORM_TEXT_H

// Reading numbers out of the game's data files, and quoting their text in a log.

#include <cstdint>
#include <string>

// A decimal integer as the data files mean it: an optional sign, then digits only, within
// 32 bits. "12", "+4" and "-1" are; "", "1.5", "x", "12abc" and "99999999999" are not.
bool ParseDecimalInteger(const std::string& text, std::int32_t& value);

// At most the first kLogExcerptBytes bytes of text, with "..." after them when it was cut, so
// that a log line about a damaged record stays short however long the record is.
constexpr std::size_t kLogExcerptBytes = 40;
std::string LogExcerpt(const std::string& text);

#endif
