#ifndef VAULTREACH_TEXT_TABLEFILE_H
#define VAULTREACH_TEXT_TABLEFILE_H

// The bounds of a data table's file (the weapon table, the sound list), so that a damaged or
// hostile file costs a log line, not the game's memory or time. Read takes the file whole only
// when it is a regular file of at most maxBytes; a larger one logs "Failed to load NAME: larger
// than MAX bytes.". CountEntry is true for each of the first maxEntries entries, then false
// with "Stopped reading NAME after MAX ENTRIES." (the entries in the table's own word), and the
// loader stops. The lines go to the owning manager's log.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/System.h"

struct cTableFile {
    eFileRead Read(std::int64_t maxBytes, std::string& text);
    bool CountEntry();
    // True once an entry past the most has been counted.
    bool Stopped() const { return counted > maxEntries; }

    std::string name;
    std::size_t maxEntries;
    const char* entries;
    std::function<void(const std::string&)> log;
    std::size_t counted = 0;
};

#endif
