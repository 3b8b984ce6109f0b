#include "platform/TextArt.h"

#include <algorithm>
#include <iostream>

#include "platform/Console.h"
#include "platform/System.h"

namespace {

std::string FileSystemName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

}  // namespace

bool LoadTextArt(std::string name, cTextArt& art) {
    art.data.reset();
    art.length = 0;
    std::string bytes;
    if (Sys_ReadFile(FileSystemName(name), kMaxTextArtBytes, bytes) != eFileRead::Read) {
        std::cout << "File " << name << " is not valid." << std::endl;
        return false;
    }
    // An array of exactly the file's bytes (of none for an empty file), with no end marker.
    art.data = std::make_unique<char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), art.data.get());
    art.length = static_cast<std::int32_t>(bytes.size());
    return true;
}

void LoadPlotText(std::string name, cPlotText& page) {
    Sys_ReadFile(FileSystemName(name), kMaxPlotTextBytes, page.text);
    page.length = static_cast<std::int32_t>(page.text.size());
}

void ShowTextArt(const std::string& name, const cTextArt& art) {
    if (art.data) {
        ShowPicture(name, std::string_view(art.data.get(), static_cast<std::size_t>(art.length)));
    }
}

void ShowPlotText(const cPlotText& page) {
    std::cout.write(page.text.data(), page.length);
}
