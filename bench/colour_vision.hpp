// How far apart the board's colours look, to people with normal colour vision
// and to those with one of the three kinds of dichromacy: the board's cells go
// through the encoder into a libvterm screen, whose cells are read in
// xterm's default colours, changed as Machado, Oliveira and Fernandes (2009)
// simulate each dichromacy (severity 1.0, in linear sRGB), and compared with
// CIEDE2000 in CIELAB (D65).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/palette.hpp"
#include "tests/support/screen.hpp"

namespace vision {

enum class Vision { Normal, Deuteranopia, Protanopia, Tritanopia };
inline constexpr std::array<Vision, 4> Visions{Vision::Normal, Vision::Deuteranopia, Vision::Protanopia,
                                               Vision::Tritanopia};
const char* visionName(Vision vision);

struct Lab {
    double l = 0;
    double a = 0;
    double b = 0;
};

// The colour as the vision sees it, in CIELAB.
Lab seenLab(Rgb colour, Vision vision);
double ciede2000(Lab x, Lab y);
// ciede2000 of the two colours as the vision sees them.
double difference(Rgb x, Rgb y, Vision vision);

// What reaches a terminal with the 8 basic colours through GNU screen started
// with TERM=screen-256color: each palette colour becomes a basic one.
std::string throughScreen(std::string_view bytes);

// One cell of each kind as the terminal shows them, in the
// palette and depth; through GNU screen's fallback, on request.
struct BoardCells {
    ScreenCell wall;
    ScreenCell floor;
    ScreenCell goal;
    ScreenCell player;
};
BoardCells boardCells(colours::Palette palette, colours::Depth depth, bool viaScreen = false);

}  // namespace vision
