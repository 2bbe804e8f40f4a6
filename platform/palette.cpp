#include "platform/palette.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace colours {

namespace {

// The basic colour that GNU screen, on a terminal with only those, shows for
// an entry of the cube or the grey ramp (the game sends no other): the
// components at the entry's highest level light up, and an entry with all
// three there is black up to the middle level and white above.
int basicFallback(int index)
{
    if (index >= 232) {
        return index < 244 ? 0 : 7;
    }
    const int r = (index - 16) / 36;
    const int g = (index - 16) / 6 % 6;
    const int b = (index - 16) % 6;
    const int high = std::max({r, g, b});
    const int lit = (r == high ? 1 : 0) + (g == high ? 2 : 0) + (b == high ? 4 : 0);
    return high == 0 || (lit == 7 && high < 3) ? 0 : lit;
}

// The cube's entry of a basic colour: its components at level 4 of 5.
int basicEntry(int basic)
{
    return 16 + ((basic & 1) != 0 ? 144 : 0) + ((basic & 2) != 0 ? 24 : 0) + ((basic & 4) != 0 ? 4 : 0);
}

int terminalColour(Depth depth, std::optional<Rgb> c)
{
    if (!c) {
        return DefaultColour;
    }
    switch (depth) {
    case Depth::Basic: return basicIndex(*c);
    case Depth::Palette: return paletteIndex(*c);
    case Depth::Direct: break;
    }
    return (c->r << 16) | (c->g << 8) | c->b;
}

// A foreground that would vanish in its own background gives way to black: the
// backgrounds of the game's cells are all light (the goal's brown falls back to
// yellow, the clear goal is cyan). In the 256-colour palette the same holds for
// the basic colours GNU screen falls back to.
ColourPair readable(Depth depth, ColourPair pair)
{
    if (depth == Depth::Direct || pair.fg == DefaultColour || pair.bg == DefaultColour) {
        return pair;
    }
    const int background = depth == Depth::Basic ? pair.bg : basicFallback(pair.bg);
    if ((depth == Depth::Basic ? pair.fg : basicFallback(pair.fg)) == background) {
        pair.fg = depth == Depth::Basic ? 0 : basicEntry(0);
    }
    return pair;
}

// One colour of the clear palette at each depth.
struct ClearColour {
    int direct;
    int palette;
    int basic;
};

int atDepth(Depth depth, ClearColour c)
{
    return depth == Depth::Basic ? c.basic : depth == Depth::Palette ? c.palette : c.direct;
}

// The clear palette: the wall keeps its red; the floor is blue, which stands
// apart from the player in the terminal's own foreground, light or dark; the
// goal is cyan under black bars. Red, blue and cyan stay apart for every kind
// of colour vision, and the palette entries fall back to the same basic
// colours in GNU screen.
ColourPair clearColours(Depth depth, platform::Cell cell)
{
    constexpr ClearColour Red{0xFF0000, 196, 1};
    constexpr ClearColour Blue{0x0000FF, 21, 4};
    constexpr ClearColour Cyan{0x00FFFF, 51, 6};
    constexpr ClearColour Black{0x000000, 16, 0};
    switch (cell) {
    case platform::Cell::Floor: return {atDepth(depth, Blue), DefaultColour};
    case platform::Cell::Wall: return {atDepth(depth, Red), DefaultColour};
    case platform::Cell::Goal: return {atDepth(depth, Black), atDepth(depth, Cyan)};
    case platform::Cell::Player: break;
    }
    return {};
}

}  // namespace

// The game's own colours: the wall red, the floor green, the goal's yellow
// bars on brown; the player in the terminal's own.
CellRgb classicRgb(platform::Cell cell)
{
    switch (cell) {
    case platform::Cell::Floor: return {Rgb{20, 200, 50}, {}};
    case platform::Cell::Wall: return {Rgb{255, 0, 0}, {}};
    case platform::Cell::Goal: return {Rgb{255, 255, 0}, Rgb{150, 75, 0}};
    case platform::Cell::Player: break;
    }
    return {};
}

Palette choosePalette(std::optional<Palette> chosen, const TerminalFacts& f)
{
    if (chosen) {
        return *chosen;
    }
    return f.terminfoColours >= 0 && f.terminfoColours < 8 && !f.terminfoDirect ? Palette::None : Palette::Classic;
}

int paletteIndex(Rgb rgb)
{
    // The cube's levels are 0, 95, 135, 175, 215, 255; the grey ramp runs
    // from 8 to 238 in steps of 10.
    const auto level = [](int v) { return v < 48 ? 0 : v < 115 ? 1 : (v - 35) / 40; };
    const auto value = [](int i) { return i == 0 ? 0 : 55 + 40 * i; };
    const int r = level(rgb.r);
    const int g = level(rgb.g);
    const int b = level(rgb.b);
    const int average = (rgb.r + rgb.g + rgb.b) / 3;
    const int grey = average > 238 ? 23 : std::max(average - 3, 0) / 10;
    const int greyValue = 8 + 10 * grey;
    const auto distance = [&rgb](int cr, int cg, int cb) {
        return (rgb.r - cr) * (rgb.r - cr) + (rgb.g - cg) * (rgb.g - cg) + (rgb.b - cb) * (rgb.b - cb);
    };
    const int nearest = distance(greyValue, greyValue, greyValue) < distance(value(r), value(g), value(b))
                            ? 232 + grey
                            : 16 + 36 * r + 6 * g + b;
    // Brown lies nearest to entries that fall back to red: a colour like that
    // takes the entry of its own basic colour instead.
    const int basic = basicIndex(rgb);
    return basicFallback(nearest) == basic ? nearest : basicEntry(basic);
}

int basicIndex(Rgb rgb)
{
    const int high = std::max({rgb.r, rgb.g, rgb.b});
    const int low = std::min({rgb.r, rgb.g, rgb.b});
    const int chroma = high - low;
    if (chroma * 4 < high || high < 40) {
        return high >= 128 ? 7 : 0;
    }
    // Hue in degrees, 0 to 360.
    int hue = 0;
    if (high == rgb.r) {
        hue = (60 * (rgb.g - rgb.b) / chroma + 360) % 360;
    } else if (high == rgb.g) {
        hue = 120 + 60 * (rgb.b - rgb.r) / chroma;
    } else {
        hue = 240 + 60 * (rgb.r - rgb.g) / chroma;
    }
    // red 1, yellow 3, green 2, cyan 6, blue 4, magenta 5
    constexpr std::array<std::pair<int, int>, 6> Sectors{{{20, 1}, {75, 3}, {165, 2}, {200, 6}, {260, 4}, {330, 5}}};
    for (const auto& [end, colour] : Sectors) {
        if (hue < end) {
            return colour;
        }
    }
    return 1;
}

ColourPair cellColours(Palette palette, Depth depth, platform::Cell cell)
{
    if (palette == Palette::None) {
        return {};
    }
    if (palette == Palette::Clear) {
        return readable(depth, clearColours(depth, cell));
    }
    const CellRgb rgb = classicRgb(cell);
    return readable(depth, {terminalColour(depth, rgb.fg), terminalColour(depth, rgb.bg)});
}

}  // namespace colours
