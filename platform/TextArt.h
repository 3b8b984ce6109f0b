#ifndef VAULTREACH_PLATFORM_TEXTART_H
#define VAULTREACH_PLATFORM_TEXTART_H

// Pictures and story pages: text files read whole, byte for byte, and shown by writing exactly
// their bytes (zero bytes, carriage returns and all). A name that ends in dots or blanks opens
// the file without them: the game asks for one picture as "Ogre.txt.", which opens "Ogre.txt".
//
// Only regular files are read; a directory, a missing or unreadable file gives an empty
// picture or page. A picture larger than kMaxTextArtBytes, or a page larger than
// kMaxPlotTextBytes, is taken as damaged and read as empty.

#include <cstdint>
#include <memory>
#include <string>

constexpr std::int64_t kMaxTextArtBytes = 16 * 1024 * 1024;
constexpr std::int64_t kMaxPlotTextBytes = 1024 * 1024;

// A monster's or the gnome's picture. Owned by whoever holds it.
struct cTextArt {
    std::unique_ptr<char[]> data;
    std::int32_t length = 0;
};

// A story page.
struct cPlotText {
    std::string text;
    std::int32_t length = 0;
};

// True when the file was read; otherwise prints "File <name> is not valid." and leaves art empty.
bool LoadTextArt(std::string name, cTextArt& art);
// An unreadable page is an empty page.
void LoadPlotText(std::string name, cPlotText& page);

// Writes the bytes unchanged to standard output; nothing for an empty picture or page. A picture
// goes through the console as a picture of the thing named (see cConsole::ShowPicture).
void ShowTextArt(const std::string& name, const cTextArt& art);
void ShowPlotText(const cPlotText& page);

#endif
