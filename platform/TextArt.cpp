#include "platform/TextArt.h"

#include <iostream>

#include "platform/Files.h"

namespace {

std::string FileSystemName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

}  // namespace

bool LoadTextArt(std::string name, cTextArt& art) {
    art.bytes.emplace();
    if (Sys_ReadFile(FileSystemName(name), kMaxTextArtBytes, *art.bytes) != eFileRead::Read) {
        art.bytes.reset();
        std::cout << "File " << name << " is not valid." << std::endl;
        return false;
    }
    return true;
}

void LoadPlotText(std::string name, cPlotText& page) {
    Sys_ReadFile(FileSystemName(name), kMaxPlotTextBytes, page.text);
}

void ShowTextArt(const cTextArt& art) {
    if (art.bytes) {
        std::cout.write(art.bytes->data(), art.bytes->size());
    }
}

void ShowPlotText(const cPlotText& page) {
    std::cout.write(page.text.data(), page.text.size());
}
