#include "text/TableFile.h"

eFileRead cTableFile::Read(std::int64_t maxBytes, std::string& text) {
    const eFileRead read = Sys_ReadFile(name, maxBytes, text);
    if (read == eFileRead::TooLarge) {
        log("Failed to load " + name + ": larger than " + std::to_string(maxBytes) + " bytes.");
    }
    return read;
}

bool cTableFile::CountEntry() {
    if (++counted <= maxEntries) {
        return true;
    }
    log("Stopped reading " + name + " after " + std::to_string(maxEntries) + " " + entries + ".");
    return false;
}
