#ifndef VAULTREACH_TEXT_TEXT_H
#define VAULTREACH_TEXT_TEXT_H

// Reading numbers out of the game's data files, quoting their text in a log, telling the
// letters of UTF-8 text apart, and showing the player's own text safely on the console in use.

#include <cstdint>
#include <string>

// A decimal integer as the data files mean it: an optional sign, then digits only, within
// 32 bits. "12", "+4" and "-1" are; "", "1.5", "x", "12abc" and "99999999999" are not.
bool ParseDecimalInteger(const std::string& text, std::int32_t& value);

// At most the first kLogExcerptBytes bytes of text, with "..." after them when it was cut, so
// that a log line about a damaged record stays short however long the record is.
constexpr std::size_t kLogExcerptBytes = 40;
std::string LogExcerpt(const std::string& text);

// The length of the UTF-8 character that starts at text[at] (1 to 4), or 0 when the bytes
// there are not one: a stray continuation byte, an overlong form, a surrogate, a code point
// above U+10FFFF, or a character cut short by the end of the text.
std::size_t Utf8CharacterLength(const std::string& text, std::size_t at);

// The longest start of text of at most limit bytes that does not split a UTF-8 character.
// Bytes that are not UTF-8 count one by one.
std::size_t Utf8Cut(const std::string& text, std::size_t limit);

// Text the player typed (the name), as it may be written to the console. Where the console
// acts on control bytes, only letters reach it: each C0 control (below 0x20 except tab, and
// 0x7F) is shown as a caret placeholder ("^[" for escape, "^?" for 0x7F), and each byte of a
// C1 control (U+0080 to U+009F, two bytes in UTF-8) or of anything that is not UTF-8 (a raw
// 0x9B, a lone 0xC3) as the four characters "\x9b" (lower-case hex). Valid UTF-8 letters
// (é, ő, 漢) stay as they are. Elsewhere the text is unchanged.
std::string ShownText(const std::string& text);

#endif
