#include "platform/terminal/posix/TerminalColours.h"

#include <cstdlib>
#include <iostream>

#include "platform/System.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

eColourDepth DepthFromEnvironment() {
    const std::string term = Environment("TERM");
    const std::string colourTerm = Environment("COLORTERM");
    if (term.find("256color") != std::string::npos || term.find("direct") != std::string::npos ||
        term.rfind("xterm", 0) == 0 || colourTerm == "truecolor" || colourTerm == "24bit") {
        return eColourDepth::Colours256;
    }
    if (term == "ansi" || term.rfind("vt", 0) == 0) {
        return eColourDepth::Colours8;
    }
    return eColourDepth::Colours16;
}

// COLORFGBG is "foreground;background" (sometimes with a middle field), in palette indices.
bool BackgroundFromEnvironment(cRgb& background) {
    const std::string value = Environment("COLORFGBG");
    const std::size_t semicolon = value.rfind(';');
    if (semicolon == std::string::npos) {
        return false;
    }
    const std::string last = value.substr(semicolon + 1);
    if (last.empty() || last.size() > 2 || last.find_first_not_of("0123456789") != last.npos) {
        return false;
    }
    const int index = std::atoi(last.c_str());
    if (index > 15) {
        return false;
    }
    background = PaletteColour(index);
    return true;
}

}  // namespace

cTerminalColours::cTerminalColours()
    : m_colours(Environment("NO_COLOR").empty()), m_depth(DepthFromEnvironment()) {}

std::string cTerminalColours::Question() const {
    return m_colours ? "\x1b]11;?\x1b\\" : "";
}

void cTerminalColours::Learn(const cTerminalReplies* replies) {
    if (replies != nullptr && replies->backgroundSeen) {
        m_background = replies->background;
    } else if (!BackgroundFromEnvironment(m_background)) {
        m_background = cRgb{0, 0, 0};
    }
}

void cTerminalColours::Set(tAttribute attribute) {
    if (!m_colours || attribute == m_attribute) {
        return;
    }
    const cColourChoice choice = ChooseColour(attribute, m_background, m_depth);
    const std::string sequence = ColourSequence(choice, m_depth);
    const bool wrap = choice.background != kDefaultColour;
    if (wrap || m_wrapping) {
        // Line ends are written with the terminal's own background, then the colour again.
        Sys_SetLineEndWrap(wrap ? "\x1b[49m" : "", wrap ? sequence : "");
        m_wrapping = wrap;
    }
    std::cout << sequence;
    m_attribute = attribute;
}

void cTerminalColours::Restore() {
    if (m_wrapping) {
        Sys_SetLineEndWrap("", "");
        m_wrapping = false;
    }
    if (m_attribute != kColourNormal) {
        std::cout << "\x1b[0m";
        m_attribute = kColourNormal;
    }
}
