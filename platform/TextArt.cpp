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
    art.data.reset();
    art.length = 0;
    std::unique_ptr<char[]> data;
    std::size_t length = 0;
    const eFileRead result = Sys_ReadFile(
        FileSystemName(name), kMaxTextArtBytes,
        [&data](std::size_t size) {
            data = std::make_unique<char[]>(size);
            return data.get();
        },
        length);
    if (result != eFileRead::Read) {
        std::cout << "File " << name << " is not valid." << std::endl;
        return false;
    }
    art.data = std::move(data);
    art.length = static_cast<std::int32_t>(length);
    return true;
}

void LoadPlotText(std::string name, cPlotText& page) {
    ReadFileText(FileSystemName(name), kMaxPlotTextBytes, page.text);
}

void ShowTextArt(const cTextArt& art) {
    if (art.data) {
        std::cout.write(art.data.get(), art.length);
    }
}

void ShowPlotText(const cPlotText& page) {
    std::cout.write(page.text.data(), page.text.size());
}
