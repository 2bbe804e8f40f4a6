// The board's palettes: the colours each kind of cell is shown in, at each
// colour depth. The game's own colours are 24-bit; a terminal of fewer shows
// the nearest entry of the 256-colour palette, or the basic colour of the same
// hue. Nothing here calls the operating system.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/cell.hpp"
#include "platform/depth.hpp"

namespace colours {

// The colours the board is shown in: the game's own, a set far apart for
// players with a colour-vision deficiency, or none at all.
enum class Palette { Classic, Clear, None };

// The palette the player chose; where none was chosen, the game's own colours,
// or none at all on a terminal whose entry says it shows no colours (which
// outweighs every hint of the environment).
Palette choosePalette(std::optional<Palette> chosen, const TerminalFacts& facts);

// A 24-bit colour: the game's own, and what a screen shows.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A colour as the terminal knows it: 0xRRGGBB, a palette index or a basic
// colour, depending on the depth; DefaultColour is the terminal's own.
inline constexpr int DefaultColour = -1;

struct ColourPair {
    int fg = DefaultColour;
    int bg = DefaultColour;
    friend bool operator==(const ColourPair&, const ColourPair&) = default;
};

// The nearest entry of the 256-colour palette's cube or grey ramp that a
// terminal with only the basic colours still shows in the colour's own basic
// colour (basicIndex).
int paletteIndex(Rgb rgb);
// The basic colour of the same hue: orange and brown are yellow (the colour
// that many terminals show as brown), never red; greys are black or white.
int basicIndex(Rgb rgb);
// The game's own colours of a cell, in 24 bits: what the classic palette shows
// on a terminal that takes them. No value is the terminal's own colour.
struct CellRgb {
    std::optional<Rgb> fg{};
    std::optional<Rgb> bg{};
};
CellRgb classicRgb(platform::Cell cell);

// The pair a cell is printed in, in the palette and depth at hand; the
// terminal's own colours for the player, and for every cell without colours.
// The clear palette's wall, floor and goal stay far apart for red-green and
// blue-yellow colour-blind players too, in every depth. A basic foreground
// that would vanish in its own background gives way to black or white.
ColourPair cellColours(Palette palette, Depth depth, platform::Cell cell);

}  // namespace colours
