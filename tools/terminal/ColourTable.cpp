// Prints, for every attribute value the game uses, the colour the terminal console chooses on a
// black and on a white background (and on any background given as R G B arguments), with its
// contrast ratio against that background.
// Usage: vaultreach_colour_table [R G B]

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/terminal/ColourMap.h"

namespace {

const char* DepthName(eColourDepth depth) {
    switch (depth) {
        case eColourDepth::Colours256:
            return "256";
        case eColourDepth::Colours16:
            return "16";
        case eColourDepth::Colours8:
            return "8";
    }
    return "?";
}

void PrintTable(const cRgb& background) {
    std::printf("background %d,%d,%d (%s)\n", background.red, background.green, background.blue,
                IsDark(background) ? "dark" : "light");
    std::printf("| value | colours | index | rgb | contrast |\n|---|---|---|---|---|\n");
    for (tAttribute attribute :
         {kColourDarkRed, kColourNormal, kColourBlue, kColourGreen, kColourRed, kColourMagenta,
          kColourYellow, kColourWhite, kColourBanner}) {
        for (eColourDepth depth :
             {eColourDepth::Colours256, eColourDepth::Colours16, eColourDepth::Colours8}) {
            const cColourChoice choice = ChooseColour(attribute, background, depth);
            if (choice.foreground == kDefaultColour) {
                std::printf("| %d | %s | default | terminal's own | terminal's own |\n", attribute,
                            DepthName(depth));
                continue;
            }
            const cRgb fg = PaletteColour(choice.foreground);
            const cRgb bg =
                choice.background == kDefaultColour ? background : PaletteColour(choice.background);
            std::printf("| %d | %s | %d%s | %d,%d,%d | %.1f:1 |\n", attribute, DepthName(depth),
                        choice.foreground, choice.bold ? " bold" : "", fg.red, fg.green, fg.blue,
                        Contrast(fg, bg));
        }
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<cRgb> backgrounds = {{0, 0, 0}, {255, 255, 255}};
    if (argc == 4) {
        backgrounds = {{std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3])}};
    }
    for (const cRgb& background : backgrounds) {
        PrintTable(background);
    }
    return 0;
}
