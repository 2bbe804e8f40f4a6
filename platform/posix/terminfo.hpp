// What the terminfo entry of a terminal type says about its colours.
#pragma once

#include <optional>

namespace terminfo {

struct ColourCapabilities {
    // The RGB or Tc flag, or a setrgbf string: 24-bit colour.
    bool direct = false;
    // The number of colours, -1 when the entry does not say.
    int colours = -1;
};

// Nothing when there is no entry for the type (or no type).
std::optional<ColourCapabilities> colourCapabilities(const char* term);

}  // namespace terminfo
