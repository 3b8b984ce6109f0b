#include "platform/TextArt.h"

#include <fstream>
#include <iostream>

#include "platform/Files.h"

namespace {

std::string FileSystemName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    return name;
}

// Reads a whole regular file; false for anything that is not one or cannot be read whole.
bool ReadWholeFile(const std::string& name, std::string& bytes) {
    const std::string path = FileSystemName(name);
    const std::int64_t size = Sys_RegularFileSize(path);
    if (size < 0 || size > kMaxTextArtBytes) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.good()) {
        return false;
    }
    bytes.assign(static_cast<std::size_t>(size), '\0');
    file.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    // A file that shrank while being read keeps what was there.
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return !file.bad();
}

}  // namespace

bool LoadTextArt(std::string name, cTextArt& art) {
    art.data.reset();
    art.length = 0;
    std::string bytes;
    if (!ReadWholeFile(name, bytes)) {
        std::cout << "File " << name << " is not valid." << std::endl;
        return false;
    }
    art.data = std::make_unique<char[]>(bytes.size());
    bytes.copy(art.data.get(), bytes.size());
    art.length = static_cast<std::int32_t>(bytes.size());
    return true;
}

void LoadPlotText(std::string name, cPlotText& page) {
    page.text.clear();
    page.length = 0;
    if (ReadWholeFile(name, page.text)) {
        page.length = static_cast<std::int32_t>(page.text.size());
    } else {
        page.text.clear();
    }
}

void ShowTextArt(const cTextArt& art) {
    if (art.data) {
        std::cout.write(art.data.get(), art.length);
    }
}

void ShowPlotText(const cPlotText& page) {
    std::cout.write(page.text.data(), page.length);
}
