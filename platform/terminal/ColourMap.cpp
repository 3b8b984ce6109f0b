#include "platform/terminal/ColourMap.h"

#include <cmath>
#include <optional>

namespace {

struct cShades {
    tAttribute attribute;
    cRgb onDark;
    cRgb onLight;
};

// What each value means, on either kind of background.
constexpr cShades kShades[] = {
    {kColourDarkRed, {255, 0, 0}, {135, 0, 0}},      {kColourBlue, {135, 135, 255}, {0, 0, 255}},
    {kColourGreen, {0, 255, 0}, {0, 135, 0}},        {kColourRed, {255, 95, 95}, {215, 0, 0}},
    {kColourMagenta, {255, 95, 255}, {175, 0, 175}}, {kColourYellow, {255, 255, 0}, {135, 95, 0}},
    {kColourWhite, {255, 255, 255}, {0, 0, 0}},
};

constexpr int kCubeLevels[] = {0, 95, 135, 175, 215, 255};

double Linear(int component) {
    const double c = component / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

struct cLab {
    double lightness;
    double a;
    double b;
};

double LabCurve(double t) {
    return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116;
}

cLab ToLab(const cRgb& colour) {
    const double r = Linear(colour.red);
    const double g = Linear(colour.green);
    const double b = Linear(colour.blue);
    const double x = LabCurve((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.9505);
    const double y = LabCurve(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = LabCurve((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.089);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

// How far apart two colours look, with lightness counting for little: the readable colour
// nearest to a shade should keep its hue and give up lightness first.
double Distance(const cRgb& first, const cRgb& second) {
    const cLab a = ToLab(first);
    const cLab b = ToLab(second);
    const double lightness = 0.3 * (a.lightness - b.lightness);
    return lightness * lightness + (a.a - b.a) * (a.a - b.a) + (a.b - b.b) * (a.b - b.b);
}

// Of the colours `colourAt` gives for first to last, the index of the one nearest to `wanted`
// that reads on `background`; kDefaultColour when none does.
template <typename tColourAt>
int Nearest(const cRgb& wanted, const cRgb& background, int first, int last, tColourAt colourAt) {
    int nearest = kDefaultColour;
    double best = 0;
    for (int index = first; index <= last; ++index) {
        const cRgb colour = colourAt(index);
        if (Contrast(colour, background) < kMinimumContrast) {
            continue;
        }
        const double distance = Distance(colour, wanted);
        if (nearest == kDefaultColour || distance < best) {
            nearest = index;
            best = distance;
        }
    }
    return nearest;
}

// The colour an attribute's foreground means on this background; none for the normal colour
// and any value without a meaning of its own.
std::optional<cRgb> Meant(tAttribute attribute, const cRgb& background) {
    for (const cShades& entry : kShades) {
        if (entry.attribute == attribute) {
            return IsDark(background) ? entry.onDark : entry.onLight;
        }
    }
    return std::nullopt;
}

}  // namespace

cRgb PaletteColour(int index) {
    static const cRgb kSystem[16] = {
        {0, 0, 0},       {205, 0, 0},   {0, 205, 0},   {205, 205, 0},
        {0, 0, 238},     {205, 0, 205}, {0, 205, 205}, {229, 229, 229},
        {127, 127, 127}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
        {92, 92, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    if (index < 0 || index > 255) {
        return {};
    }
    if (index < 16) {
        return kSystem[index];
    }
    if (index < 232) {
        const int cube = index - 16;
        return {kCubeLevels[cube / 36], kCubeLevels[cube / 6 % 6], kCubeLevels[cube % 6]};
    }
    const int grey = 8 + 10 * (index - 232);
    return {grey, grey, grey};
}

double Luminance(const cRgb& colour) {
    return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) +
           0.0722 * Linear(colour.blue);
}

double Contrast(const cRgb& first, const cRgb& second) {
    const double a = Luminance(first) + 0.05;
    const double b = Luminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

bool IsDark(const cRgb& background) {
    return Contrast(background, {255, 255, 255}) >= Contrast(background, {0, 0, 0});
}

int NearestReadableColour(const cRgb& wanted, const cRgb& background, eColourDepth depth) {
    const int first = depth == eColourDepth::Colours256 ? 16 : 0;
    const int last =
        depth == eColourDepth::Colours256 ? 255 : (depth == eColourDepth::Colours16 ? 15 : 7);
    return Nearest(wanted, background, first, last, PaletteColour);
}

cColourChoice ChooseColour(tAttribute attribute, const cRgb& background, eColourDepth depth) {
    cColourChoice choice;
    if (attribute == kColourBanner) {
        choice.foreground = depth == eColourDepth::Colours256 ? 16 : 0;
        choice.background = depth == eColourDepth::Colours256 ? 252 : 7;
        return choice;
    }
    const std::optional<cRgb> wanted = Meant(attribute, background);
    if (!wanted) {
        return choice;  // the normal colour, and any value the game does not use
    }
    choice.foreground = NearestReadableColour(*wanted, background, depth);
    if (choice.foreground == kDefaultColour) {
        // Only an 8-colour terminal on a middling background can get here: take whichever of
        // black and white reads better.
        choice.foreground = IsDark(background) ? 7 : 0;
    }
    choice.bold = attribute == kColourWhite;
    return choice;
}

std::string ColourSequence(const cColourChoice& choice, eColourDepth depth) {
    std::string sequence = "\x1b[0";
    if (choice.bold) {
        sequence += ";1";
    }
    const auto add = [&](int index, int base, int brightBase) {
        if (index == kDefaultColour) {
            return;
        }
        if (depth == eColourDepth::Colours256 && index >= 16) {
            sequence += ";" + std::to_string(base + 8) + ";5;" + std::to_string(index);
        } else if (index >= 8) {
            sequence += ";" + std::to_string(brightBase + index - 8);
        } else {
            sequence += ";" + std::to_string(base + index);
        }
    };
    add(choice.foreground, 30, 90);
    add(choice.background, 40, 100);
    return sequence + "m";
}

tColourTable ReadableColourTable(const tColourTable& table) {
    tColourTable readable = table;
    for (const tAttribute attribute : kGameAttributes) {
        const int foreground = attribute & 0xF;
        const int background = (attribute >> 4) & 0xF;
        if (Contrast(table[foreground], table[background]) >= kMinimumContrast) {
            continue;
        }
        if (foreground == 0) {
            // The banner: its grey moves, never the background of everything else.
            readable[background] = PaletteColour(NearestReadableColour(
                table[background], table[foreground], eColourDepth::Colours256));
        } else {
            const cRgb meant = Meant(attribute, table[background]).value_or(table[foreground]);
            readable[foreground] = PaletteColour(
                NearestReadableColour(meant, table[background], eColourDepth::Colours256));
        }
    }
    return readable;
}

tAttribute ReadableAttribute(tAttribute attribute, const tColourTable& table) {
    const int foreground = attribute & 0xF;
    const int background = (attribute >> 4) & 0xF;
    if (Contrast(table[foreground], table[background]) >= kMinimumContrast) {
        return attribute;
    }
    const auto entry = [&table](int index) { return table[index]; };
    if (foreground == 0) {
        const int grey = Nearest(table[background], table[0], 1, kColourTableSize - 1, entry);
        return grey == kDefaultColour ? attribute : static_cast<tAttribute>(grey << 4);
    }
    const cRgb meant = Meant(attribute, table[background]).value_or(table[foreground]);
    const int chosen = Nearest(meant, table[background], 0, kColourTableSize - 1, entry);
    return chosen == kDefaultColour ? attribute
                                    : static_cast<tAttribute>((attribute & 0xFFF0) | chosen);
}
